// An open file, closed when it goes: a file descriptor on POSIX systems, a HANDLE on
// Windows. Reads and writes are cut to what one system call takes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace files {

#ifdef _WIN32
using NativeHandle = void*;  // a HANDLE
#else
using NativeHandle = int;    // a file descriptor
#endif

class File {
public:
    File() noexcept;
    explicit File(NativeHandle handle) noexcept : m_handle(handle) {}
    ~File() { Close(); }
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool IsOpen() const noexcept;
    NativeHandle Native() const noexcept { return m_handle; }
    // Returns false when closing reports an error (a delayed write that failed).
    bool Close() noexcept;

    // Reads up to `want` bytes in one call; got == 0 without an error is the end of the
    // file (or of a pipe whose writer has gone).
    bool Read(uint8_t* buffer, size_t want, size_t& got);
    // Writes all `count` bytes or reports failure.
    bool WriteAll(const uint8_t* buffer, size_t count);
    // Does not return before the bytes written so far are on the disk.
    bool Flush();

    enum class From { Begin, Current, End };
    // Moves the position; false on failure, `position` is then left alone.
    bool Seek(int64_t offset, From from, uint64_t& position);
    bool Position(uint64_t& position) const;
    bool Length(uint64_t& length) const;

    // The most one read or write system call is given: ReadFile and WriteFile count in
    // 32 bits, and Linux moves at most a little under 2 GiB per call.
    static constexpr size_t kMaxTransfer = size_t(1) << 30;

private:
    NativeHandle m_handle;
};

}  // namespace files
