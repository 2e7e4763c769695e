#include "iconv_converter.h"

#include "code_page.h"

namespace kst {

bool IconvConverter::Convert(const std::string& in, std::string& out) const
{
    out.clear();
    if (!IsOpen())
        return false;
    ::iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
    std::string input = in;
    char* next = input.empty() ? nullptr : &input[0];
    size_t left = input.size();
    // One converted character is a few bytes; names and passwords are short.
    std::string buffer(in.size() * 8 + 16, '\0');
    char* written = &buffer[0];
    size_t room = buffer.size();
    const bool converted = ::iconv(m_handle, &next, &left, &written, &room) != size_t(-1) &&
                           ::iconv(m_handle, nullptr, nullptr, &written, &room) != size_t(-1) && left == 0;
    if (converted)
        out.assign(buffer.data(), size_t(written - buffer.data()));
    // The text may be a password.
    for (std::string* secret : {&input, &buffer})
        WipeBytes(&(*secret)[0], secret->size());
    return converted;
}

std::string Utf32Bytes(char32_t character)
{
    const char bytes[4] = {char(character & 0xFF), char(character >> 8 & 0xFF), char(character >> 16 & 0xFF),
                           char(character >> 24 & 0xFF)};
    return std::string(bytes, 4);
}

char32_t FromUtf32Bytes(const std::string& bytes)
{
    if (bytes.size() != 4)
        return lockedfile::kNoCharacter;
    return char32_t(uint8_t(bytes[0])) | char32_t(uint8_t(bytes[1])) << 8 | char32_t(uint8_t(bytes[2])) << 16 |
           char32_t(uint8_t(bytes[3])) << 24;
}

}  // namespace kst
