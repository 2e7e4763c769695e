#include "line_reader.h"

namespace kst {

namespace {

// A line that began with a UTF-16 byte order mark (Notepad's "Unicode" saves so): read in
// two-byte units, since a unit may hold the byte of '\n' (U+010A is 0A 01 in little-endian
// order), and only the unit U+000A ends the line.
bool ReadUtf16Rest(lockedfile::ByteSource& source, SecretBytes& line, Utf16Order order)
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
        if (Utf16Unit(unit, order) == u'\n')
            break;
        line.push_back(unit[0]);
        line.push_back(unit[1]);
    }
    if (line.size() >= 4 && line.size() % 2 == 0 && Utf16Unit(&line[line.size() - 2], order) == u'\r')
        line.resize(line.size() - 2);
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
        if (line.size() == 2) {
            const Utf16Order order = Utf16ByteOrder(line);
            if (order != Utf16Order::None)
                return ReadUtf16Rest(source, line, order);
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

char16_t Utf16Unit(const uint8_t* bytes, Utf16Order order)
{
    return order == Utf16Order::LittleEndian ? char16_t(bytes[0] | bytes[1] << 8) : char16_t(bytes[0] << 8 | bytes[1]);
}

}  // namespace kst
