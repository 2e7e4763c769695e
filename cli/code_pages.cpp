#include "code_pages.h"

namespace kst {

namespace {

bool NoLeadBytes(uint8_t)
{
    return false;
}

// Japanese (Shift JIS as Windows has it).
bool LeadBytesOf932(uint8_t byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Simplified Chinese, Korean and Traditional Chinese.
bool LeadBytesOf936949950(uint8_t byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

const KnownCodePage kKnownCodePages[] = {
    {874, "CP874", NoLeadBytes},            {932, "CP932", LeadBytesOf932},
    {936, "CP936", LeadBytesOf936949950},   {949, "CP949", LeadBytesOf936949950},
    {950, "CP950", LeadBytesOf936949950},   {1250, "CP1250", NoLeadBytes},
    {1251, "CP1251", NoLeadBytes},          {1252, "CP1252", NoLeadBytes},
    {1253, "CP1253", NoLeadBytes},          {1254, "CP1254", NoLeadBytes},
    {1255, "CP1255", NoLeadBytes},          {1256, "CP1256", NoLeadBytes},
    {1257, "CP1257", NoLeadBytes},          {1258, "CP1258", NoLeadBytes},
    {65001, "UTF-8", nullptr},
};

}  // namespace

const KnownCodePage* FindCodePage(unsigned number)
{
    for (const KnownCodePage& known : kKnownCodePages) {
        if (known.number == number)
            return &known;
    }
    return nullptr;
}

bool IsKnownCodePage(unsigned number)
{
    return FindCodePage(number) != nullptr;
}

}  // namespace kst
