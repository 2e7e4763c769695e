#include "path.h"

#include <windows.h>

#include "path_names.h"
#include "system_win32.h"
#include "windows_code_page.h"

namespace files {

namespace {

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// A character of narrow text, or kNoCharacter; a lone surrogate's three bytes read as it.
char32_t ReadNarrowCharacter(const char* text, size_t length)
{
    const auto byte = [text](size_t i) { return static_cast<uint8_t>(text[i]); };
    if (length == 3 && byte(0) == 0xED && byte(1) >= 0xA0)
        return char32_t(0xD000 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F));
    char32_t c = lockedfile::kNoCharacter;
    lockedfile::ReadUtf8(text, length, [&c](char32_t read) {
        if (c == lockedfile::kNoCharacter)
            c = read;
    });
    return c;
}

std::wstring Widen(const char* narrow, size_t length)
{
    std::wstring wide;
    for (size_t at = 0; at < length;) {
        const size_t size = lockedfile::CharacterLength(narrow + at, length - at, nullptr);
        const char32_t c = ReadNarrowCharacter(narrow + at, size);
        if (c == lockedfile::kNoCharacter)
            wide += L'\xFFFD';  // no UTF-8: names no file
        else if (IsSurrogate(c))
            wide += wchar_t(c);
        else
            wide += WideOf(std::u32string(1, c));
        at += size;
    }
    return wide;
}

}  // namespace

Path::Path(const char* narrow) : m_native(Widen(narrow, std::char_traits<char>::length(narrow))) {}

Path::Path(const std::string& narrow) : m_native(Widen(narrow.data(), narrow.size())) {}

Path Path::FromNative(NativePath native)
{
    Path path;
    path.m_native = std::move(native);
    return path;
}

std::string Path::Narrow() const
{
    return win32::NarrowOf(m_native);
}

namespace win32 {

std::string NarrowOf(const std::wstring& wide)
{
    std::string narrow;
    char bytes[4];
    const std::u16string units(wide.begin(), wide.end());
    lockedfile::ReadUtf16(units.data(), units.size(), [&](char32_t c) {
        if (IsSurrogate(c)) {
            const char lone[] = {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
            narrow.append(lone, sizeof lone);
        } else {
            narrow.append(bytes, lockedfile::EncodeUtf8(c, bytes));
        }
    });
    return narrow;
}

bool FullPath(const std::wstring& path, std::wstring& full, size_t* nameStart)
{
    const size_t size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return false;
    std::wstring made(size, L'\0');
    wchar_t* name = nullptr;
    const size_t length = ::GetFullPathNameW(path.c_str(), DWORD(size), &made[0], &name);
    if (length == 0 || length >= size)
        return false;
    if (nameStart != nullptr)
        *nameStart = name != nullptr ? size_t(name - made.data()) : length;
    made.resize(length);
    full = std::move(made);
    return true;
}

bool FullLongPath(const std::wstring& path, std::wstring& full, size_t* nameStart)
{
    static const wchar_t kLongPrefix[] = L"\\\\?\\";
    size_t start = 0;
    std::wstring made;
    if (!FullPath(path, made, &start))
        return false;
    std::wstring prefix;
    if (made.compare(0, 4, kLongPrefix) == 0 || made.compare(0, 4, L"\\\\.\\") == 0) {
        // Already long, or a device: taken as it is.
    } else if (made.compare(0, 2, L"\\\\") == 0) {
        made.erase(0, 2);
        start -= 2;
        prefix = L"\\\\?\\UNC\\";
    } else if (made.size() >= 2 && made[1] == L':') {
        prefix = kLongPrefix;
    }
    full = prefix + made;
    if (nameStart != nullptr)
        *nameStart = start + prefix.size();
    return true;
}

std::wstring LongForm(const std::wstring& path)
{
    std::wstring full;
    // A device (CONIN$, NUL) is opened by the name it was given.
    if (!FullLongPath(path, full) || full.compare(0, 4, L"\\\\.\\") == 0)
        return path;
    return full;
}

}  // namespace win32

}  // namespace files
