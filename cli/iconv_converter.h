// One iconv conversion, closed when it goes (POSIX systems only).
#pragma once

#include <iconv.h>

#include <string>

namespace kst {

class IconvConverter {
public:
    IconvConverter(const char* to, const char* from) : m_handle(::iconv_open(to, from)) {}
    ~IconvConverter()
    {
        if (IsOpen())
            ::iconv_close(m_handle);
    }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    bool IsOpen() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
    // Converts all of `in` from the initial state, flushing what a stateful encoding holds
    // back; false when any of it does not convert.
    bool Convert(const std::string& in, std::string& out) const;

private:
    iconv_t m_handle;
};

// A code point as the four bytes of UTF-32LE, and back (kNoCharacter unless exactly four).
std::string Utf32Bytes(char32_t character);
char32_t FromUtf32Bytes(const std::string& bytes);

}  // namespace kst
