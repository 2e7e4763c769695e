#include "file_streams.h"

#include <algorithm>
#include <cstring>

#include "result.h"

namespace files {

FileSource::FileSource(ReadFunction read, size_t readAhead)
    : m_read(std::move(read)), m_buffer(readAhead), m_next(0), m_filled(0), m_failure()
{
}

FileSource::FileSource(File& file, size_t readAhead)
    : FileSource([&file](uint8_t* buffer, size_t want, size_t& got) { return file.Read(buffer, want, got); },
                 readAhead)
{
}

bool FileSource::ReadFromFile(uint8_t* buffer, size_t want, size_t& got)
{
    if (m_read(buffer, want, got))
        return true;
    if (m_failure.empty())
        m_failure = LastErrorText();
    return false;
}

bool FileSource::Read(uint8_t* buffer, size_t want, size_t& got)
{
    got = 0;
    while (got < want) {
        if (m_next == m_filled) {
            const size_t left = want - got;
            // Large requests go straight to the file; the buffer would only add a copy.
            if (left >= m_buffer.size()) {
                size_t direct = 0;
                if (!ReadFromFile(buffer + got, left, direct))
                    return false;
                got += direct;
                // Without read-ahead one read is all: the rest may not have come yet.
                if (direct == 0 || m_buffer.empty())
                    return true;
                continue;
            }
            size_t filled = 0;
            if (!ReadFromFile(m_buffer.data(), m_buffer.size(), filled))
                return false;
            m_next = 0;
            m_filled = filled;
            if (filled == 0)
                return true;
        }
        const size_t take = std::min(want - got, m_filled - m_next);
        std::memcpy(buffer + got, m_buffer.data() + m_next, take);
        m_next += take;
        got += take;
    }
    return true;
}

FileSink::FileSink(WriteFunction write, WriteBehind* writeBehind)
    : m_write(std::move(write)), m_writeBehind(writeBehind), m_buffer(kBufferSize), m_filled(0), m_failed(false),
      m_failure()
{
}

FileSink::FileSink(File& file, WriteBehind* writeBehind)
    : FileSink([&file](const uint8_t* buffer, size_t count) { return file.WriteAll(buffer, count); }, writeBehind)
{
}

bool FileSink::Fail(const std::string& reason)
{
    if (m_failure.empty())
        m_failure = reason;
    m_failed = true;
    return false;
}

bool FileSink::WriteToFile(const uint8_t* buffer, size_t count)
{
    if (!m_write(buffer, count))
        return Fail(LastErrorText());
    // A flush behind the writes that failed lost bytes already written.
    if (m_writeBehind != nullptr && m_writeBehind->Failed())
        return Fail("the disk did not take what was written");
    if (m_writeBehind != nullptr)
        m_writeBehind->Written(count);
    return true;
}

bool FileSink::Drain()
{
    if (m_filled > 0 && !m_failed)
        WriteToFile(m_buffer.data(), m_filled);
    m_filled = 0;
    return !m_failed;
}

bool FileSink::Write(const uint8_t* buffer, size_t count)
{
    if (m_failed)
        return false;
    if (count >= m_buffer.size()) {
        if (!Drain())
            return false;
        return WriteToFile(buffer, count);
    }
    if (m_filled + count > m_buffer.size() && !Drain())
        return false;
    std::memcpy(m_buffer.data() + m_filled, buffer, count);
    m_filled += count;
    return true;
}

bool FileSink::Finish()
{
    const bool drained = Drain();
    if (m_writeBehind != nullptr && !m_writeBehind->Finish())
        return Fail("the disk did not take what was written");
    return drained;
}

}  // namespace files
