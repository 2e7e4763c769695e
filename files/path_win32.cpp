#include "path.h"

#include <windows.h>

#include "system_win32.h"

namespace files {

namespace {

// The narrow text the faces hold is in the ANSI code page, as the system's narrow
// functions read it.
std::wstring Widen(const char* narrow, size_t length)
{
    if (length == 0)
        return std::wstring();
    const int size = ::MultiByteToWideChar(CP_ACP, 0, narrow, int(length), nullptr, 0);
    std::wstring wide(size_t(size > 0 ? size : 0), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_ACP, 0, narrow, int(length), &wide[0], size);
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
    if (m_native.empty())
        return std::string();
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, m_native.data(), int(m_native.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, m_native.data(), int(m_native.size()), &narrow[0], size, nullptr, nullptr);
    return narrow;
}

namespace win32 {

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

}  // namespace win32

}  // namespace files
