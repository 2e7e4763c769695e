#include "file_streams.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr size_t kBufferSize = 64 * 1024;
// How much a new file takes between the flushes that start putting it on the disk.
constexpr uint64_t kWriteBehindStretch = 8 << 20;
}  // namespace

FileSource::FileSource(CFile& file) : m_file(file), m_buffer(kBufferSize), m_next(0), m_filled(0) {}

bool FileSource::Read(uint8_t* buffer, size_t want, size_t& got) {
    got = 0;
    while (got < want) {
        if (m_next == m_filled) {
            size_t left = want - got;
            // Large requests go straight to the file; the buffer would only add a copy.
            if (left >= m_buffer.size()) {
                UINT direct = 0;
                UINT ask = static_cast<UINT>(std::min<size_t>(left, 0x40000000));
                if (!m_file.Read(buffer + got, ask, direct)) return false;
                if (direct == 0) return true;
                got += direct;
                continue;
            }
            UINT filled = 0;
            if (!m_file.Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()), filled)) return false;
            m_next = 0;
            m_filled = filled;
            if (filled == 0) return true;
        }
        size_t take = std::min(want - got, m_filled - m_next);
        std::memcpy(buffer + got, m_buffer.data() + m_next, take);
        m_next += take;
        got += take;
    }
    return true;
}

FileSink::FileSink(CFile& file)
    : m_file(file), m_buffer(kBufferSize), m_filled(0), m_failed(false), m_writeBehind(file, kWriteBehindStretch) {}

bool FileSink::WriteToFile(const uint8_t* buffer, size_t count) {
    // A flush that failed behind the writes lost bytes already written.
    m_failed = !m_file.Write(buffer, static_cast<UINT>(count)) || m_writeBehind.Failed();
    if (!m_failed) m_writeBehind.Written(count);
    return !m_failed;
}

bool FileSink::Drain() {
    if (m_filled > 0 && !m_failed) WriteToFile(m_buffer.data(), m_filled);
    m_filled = 0;
    return !m_failed;
}

bool FileSink::Write(const uint8_t* buffer, size_t count) {
    if (m_failed) return false;
    if (count >= m_buffer.size()) {
        if (!Drain()) return false;
        return WriteToFile(buffer, count);
    }
    if (m_filled + count > m_buffer.size() && !Drain()) return false;
    std::memcpy(m_buffer.data() + m_filled, buffer, count);
    m_filled += count;
    return true;
}

bool FileSink::Finish() {
    const bool drained = Drain();
    return m_writeBehind.Finish() && drained;
}
