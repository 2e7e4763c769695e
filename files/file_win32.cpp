// Files on Windows: HANDLEs.
#include "file_handle.h"

#include <algorithm>

#include "system_win32.h"

namespace files {

File::File() noexcept : m_handle(INVALID_HANDLE_VALUE) {}

File::File(File&& other) noexcept : m_handle(other.m_handle)
{
    other.m_handle = INVALID_HANDLE_VALUE;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = other.m_handle;
        other.m_handle = INVALID_HANDLE_VALUE;
    }
    return *this;
}

bool File::IsOpen() const noexcept
{
    return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr;
}

bool File::Close() noexcept
{
    if (!IsOpen())
        return true;
    const BOOL closed = ::CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
    return closed != FALSE;
}

bool File::Read(uint8_t* buffer, size_t want, size_t& got)
{
    got = 0;
    DWORD now = 0;
    // A pipe whose writer has closed it has come to its end; that is no error.
    if (!::ReadFile(m_handle, buffer, DWORD(std::min(want, kMaxTransfer)), &now, nullptr) &&
        ::GetLastError() != ERROR_BROKEN_PIPE)
        return false;
    got = now;
    return true;
}

bool File::WriteAll(const uint8_t* buffer, size_t count)
{
    while (count > 0) {
        DWORD now = 0;
        if (!::WriteFile(m_handle, buffer, DWORD(std::min(count, kMaxTransfer)), &now, nullptr))
            return false;
        if (now == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        buffer += now;
        count -= now;
    }
    return true;
}

bool File::Flush()
{
    return ::FlushFileBuffers(m_handle) != FALSE;
}

bool File::Seek(int64_t offset, From from, uint64_t& position)
{
    static const DWORD kMethods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER distance, moved;
    distance.QuadPart = offset;
    if (!::SetFilePointerEx(m_handle, distance, &moved, kMethods[int(from)]))
        return false;
    position = uint64_t(moved.QuadPart);
    return true;
}

bool File::Position(uint64_t& position) const
{
    LARGE_INTEGER zero, at;
    zero.QuadPart = 0;
    if (!::SetFilePointerEx(m_handle, zero, &at, FILE_CURRENT))
        return false;
    position = uint64_t(at.QuadPart);
    return true;
}

bool File::Length(uint64_t& length) const
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(m_handle, &size))
        return false;
    length = uint64_t(size.QuadPart);
    return true;
}

std::string LastErrorText()
{
    return win32::SystemText(::GetLastError());
}

namespace win32 {

std::string SystemText(DWORD error)
{
    // Wide, as the names beside it in a message are: a system in another language spells
    // its texts with letters the ANSI code page may lack.
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const LocalMemory owned(text);
    std::string result =
        length > 0 && text != nullptr ? NarrowOf(std::wstring(text, length)) : "error " + std::to_string(error);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == '.'))
        result.pop_back();
    return result;
}

}  // namespace win32

}  // namespace files
