// The codec's byte streams over open files, for both faces. Reads and writes go through
// the face's own file object where it has one (the framework's CFile, which a test may
// stand in for) or straight to the file layer's handle. Both keep the system's reason for
// their first failure, taken on the thread that failed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "file_handle.h"
#include "locked_format.h"
#include "write_behind.h"

namespace files {

using ReadFunction = std::function<bool(uint8_t* buffer, size_t want, size_t& got)>;
using WriteFunction = std::function<bool(const uint8_t* buffer, size_t count)>;

class FileSource : public lockedfile::ByteSource {
public:
    // Reads ahead into a buffer of `readAhead` bytes: the codec may ask for a few bytes at
    // a time, and every read of a file is a system call. Without read-ahead nothing beyond
    // what is asked is taken, so that a descriptor another reader shares keeps the rest.
    FileSource(ReadFunction read, size_t readAhead);
    FileSource(File& file, size_t readAhead);
    bool Read(uint8_t* buffer, size_t want, size_t& got) override;
    const std::string& Failure() const { return m_failure; }

    static constexpr size_t kReadAhead = 64 * 1024;
    static constexpr size_t kNoReadAhead = 0;

private:
    bool ReadFromFile(uint8_t* buffer, size_t want, size_t& got);

    ReadFunction m_read;
    std::vector<uint8_t> m_buffer;
    size_t m_next;    // first unread byte in m_buffer
    size_t m_filled;  // bytes of m_buffer holding file data
    std::string m_failure;
};

class FileSink : public lockedfile::ByteSink {
public:
    // Gathers small writes into a buffer before they go to `write`. `writeBehind`, when
    // given, follows what reaches the file, a new and empty one.
    FileSink(WriteFunction write, WriteBehind* writeBehind);
    FileSink(File& file, WriteBehind* writeBehind);
    bool Write(const uint8_t* buffer, size_t count) override;
    // Writes out what is still buffered and ends the writing behind; false when that fails
    // or an earlier write or flush failed. Called however the work ended, before the file
    // is flushed and closed.
    bool Finish();
    const std::string& Failure() const { return m_failure; }

    static constexpr size_t kBufferSize = 64 * 1024;

private:
    bool Drain();
    bool WriteToFile(const uint8_t* buffer, size_t count);
    bool Fail(const std::string& reason);

    WriteFunction m_write;
    WriteBehind* const m_writeBehind;
    std::vector<uint8_t> m_buffer;
    size_t m_filled;
    bool m_failed;
    std::string m_failure;
};

}  // namespace files
