#include "line_reader.h"

namespace kst {

namespace {

// The two bytes of a line end in UTF-16 text of the order its mark gave.
struct Utf16Ends {
    uint8_t lineFeed[2];
    uint8_t carriageReturn[2];
};

// A line that began with a UTF-16 byte order mark (Notepad's "Unicode" saves so): read in
// two-byte units, since a unit may hold the byte of '\n' (U+010A is 0A 01 in little-endian
// order), and only the unit U+000A ends the line.
bool ReadUtf16Rest(lockedfile::ByteSource& source, SecretBytes& line, const Utf16Ends& ends)
{
    for (;;) {
        uint8_t unit[2] = {};
        size_t got = 0;
        if (!source.Read(unit, 1, got))
            return false;
        if (got == 0)
            break;
        if (!source.Read(unit + 1, 1, got))
            return false;
        if (got == 0) {
            line.push_back(unit[0]);  // half a unit: no text, as the decoder will say
            break;
        }
        if (unit[0] == ends.lineFeed[0] && unit[1] == ends.lineFeed[1])
            break;
        line.push_back(unit[0]);
        line.push_back(unit[1]);
    }
    const size_t size = line.size();
    if (size >= 4 && line[size - 2] == ends.carriageReturn[0] && line[size - 1] == ends.carriageReturn[1])
        line.resize(size - 2);
    return true;
}

}  // namespace

bool ReadLine(lockedfile::ByteSource& source, SecretBytes& line)
{
    line.clear();
    for (;;) {
        uint8_t c = 0;
        size_t got = 0;
        if (!source.Read(&c, 1, got))
            return false;
        if (got == 0 || c == '\n')
            break;
        line.push_back(c);
        if (line.size() == 2 && Utf16ByteOrder(line) != Utf16Order::None) {
            const bool little = Utf16ByteOrder(line) == Utf16Order::LittleEndian;
            return ReadUtf16Rest(source, line, little ? Utf16Ends{{0x0A, 0}, {0x0D, 0}} : Utf16Ends{{0, 0x0A}, {0, 0x0D}});
        }
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

Utf16Order Utf16ByteOrder(const SecretBytes& line)
{
    if (line.size() < 2)
        return Utf16Order::None;
    if (line[0] == 0xFF && line[1] == 0xFE)
        return Utf16Order::LittleEndian;
    if (line[0] == 0xFE && line[1] == 0xFF)
        return Utf16Order::BigEndian;
    return Utf16Order::None;
}

}  // namespace kst
