// Files on POSIX systems: file descriptors.
#include "file_handle.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "system_posix.h"

namespace files {

File::File() noexcept : m_handle(-1) {}

File::File(File&& other) noexcept : m_handle(other.m_handle)
{
    other.m_handle = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        m_handle = other.m_handle;
        other.m_handle = -1;
    }
    return *this;
}

bool File::IsOpen() const noexcept
{
    return m_handle >= 0;
}

bool File::Close() noexcept
{
    if (!IsOpen())
        return true;
    // Never retried: the descriptor is gone even when close reports EINTR.
    const int result = ::close(m_handle);
    m_handle = -1;
    return result == 0;
}

bool File::Read(uint8_t* buffer, size_t want, size_t& got)
{
    got = 0;
    for (;;) {
        const ssize_t now = ::read(m_handle, buffer, std::min(want, kMaxTransfer));
        if (now >= 0) {
            got = static_cast<size_t>(now);
            return true;
        }
        if (!posix::TryAgain(errno))
            return false;
    }
}

bool File::WriteAll(const uint8_t* buffer, size_t count)
{
    while (count > 0) {
        const ssize_t now = ::write(m_handle, buffer, std::min(count, kMaxTransfer));
        if (now < 0) {
            if (posix::TryAgain(errno))
                continue;
            return false;
        }
        buffer += now;
        count -= static_cast<size_t>(now);
    }
    return true;
}

bool File::Flush()
{
    return ::fsync(m_handle) == 0;
}

bool File::Seek(int64_t offset, From from, uint64_t& position)
{
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    const off_t moved = ::lseek(m_handle, off_t(offset), kWhence[int(from)]);
    if (moved < 0)
        return false;
    position = uint64_t(moved);
    return true;
}

bool File::Position(uint64_t& position) const
{
    const off_t at = ::lseek(m_handle, 0, SEEK_CUR);
    if (at < 0)
        return false;
    position = uint64_t(at);
    return true;
}

bool File::Length(uint64_t& length) const
{
    struct stat info;
    if (::fstat(m_handle, &info) != 0)
        return false;
    length = uint64_t(info.st_size);
    return true;
}

std::string LastErrorText()
{
    return std::strerror(errno);
}

}  // namespace files
