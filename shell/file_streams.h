// The codec's byte streams over open files, buffered: the codec may ask for a few bytes
// at a time, and every Read or Write of a file is a system call.
#pragma once

#include <cstdint>
#include <vector>

#include "file.h"
#include "locked_format.h"
#include "write_behind.h"

class FileSource : public lockedfile::ByteSource {
public:
    explicit FileSource(CFile& file);
    bool Read(uint8_t* buffer, size_t want, size_t& got) override;

private:
    CFile& m_file;
    std::vector<uint8_t> m_buffer;
    size_t m_next;    // first unread byte in m_buffer
    size_t m_filled;  // bytes of m_buffer holding file data
};

class FileSink : public lockedfile::ByteSink {
public:
    explicit FileSink(CFile& file);
    bool Write(const uint8_t* buffer, size_t count) override;
    // Writes out what is still buffered and ends the flushing behind the writes; false when
    // that fails or an earlier write or flush failed. Called however the job ended, before
    // the file is flushed and closed.
    bool Finish();

private:
    bool Drain();
    bool WriteToFile(const uint8_t* buffer, size_t count);

    CFile& m_file;
    std::vector<uint8_t> m_buffer;
    size_t m_filled;
    bool m_failed;
    WriteBehind m_writeBehind;
};
