// In-memory streams and a recording progress sink for the codec's tests.
#pragma once

#include "locked_format.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace testing_codec {

// Serves a byte vector; fails every read once `failAfter` bytes have been served.
class MemorySource : public lockedfile::ByteSource {
public:
    explicit MemorySource(std::vector<uint8_t> bytes,
                          size_t failAfter = std::numeric_limits<size_t>::max())
        : m_bytes(std::move(bytes)), m_failAfter(failAfter)
    {
    }
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        if (m_position >= m_failAfter)
            return false;
        got = std::min({want, m_bytes.size() - m_position, m_failAfter - m_position});
        if (got > 0)
            std::memcpy(buffer, m_bytes.data() + m_position, got);
        m_position += got;
        return true;
    }
    size_t Position() const { return m_position; }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_failAfter;
    size_t m_position = 0;
};

// Serves a byte vector a few bytes at a time, as a pipe or a network drive may: each read
// hands out at most 1, 2, ... 13 bytes in turn, whatever was asked.
class ShortReadSource : public lockedfile::ByteSource {
public:
    explicit ShortReadSource(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        m_step = m_step % 13 + 1;
        got = std::min({want, m_bytes.size() - m_position, m_step});
        if (got > 0)
            std::memcpy(buffer, m_bytes.data() + m_position, got);
        m_position += got;
        return true;
    }

private:
    std::vector<uint8_t> m_bytes;
    size_t m_position = 0;
    size_t m_step = 0;
};

// Produces `length` zero bytes without holding them.
class ZeroSource : public lockedfile::ByteSource {
public:
    explicit ZeroSource(uint64_t length) : m_left(length) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        got = size_t(std::min<uint64_t>(want, m_left));
        std::memset(buffer, 0, got);
        m_left -= got;
        return true;
    }

private:
    uint64_t m_left;
};

// Collects what is written; refuses writes that would pass `failAfter` bytes.
class MemorySink : public lockedfile::ByteSink {
public:
    explicit MemorySink(size_t failAfter = std::numeric_limits<size_t>::max())
        : m_failAfter(failAfter)
    {
    }
    bool Write(const uint8_t* buffer, size_t count) override
    {
        if (bytes.size() + count > m_failAfter)
            return false;
        bytes.insert(bytes.end(), buffer, buffer + count);
        return true;
    }
    std::vector<uint8_t> bytes;

private:
    size_t m_failAfter;
};

// Counts bytes and keeps nothing.
class CountingSink : public lockedfile::ByteSink {
public:
    bool Write(const uint8_t*, size_t count) override
    {
        written += count;
        return true;
    }
    uint64_t written = 0;
};

class RecordingProgress : public lockedfile::ProgressSink {
public:
    void SetRange() override { ++rangeCalls; }
    void SetPos(int percent) override { positions.push_back(percent); }
    bool StopRequested() override { return ++stopChecks > stopAfterChecks; }

    int rangeCalls = 0;
    std::vector<int> positions;
    int stopChecks = 0;
    int stopAfterChecks = std::numeric_limits<int>::max();
};

// The locked file the codec makes of `plain` with the stored name and key, as text.
inline std::string LockedText(const std::string& plain, const std::string& storedName, const std::string& key)
{
    MemorySource source(std::vector<uint8_t>(plain.begin(), plain.end()));
    MemorySink sink;
    RecordingProgress progress;
    lockedfile::EncryptStream(source, plain.size(), storedName, sink, reinterpret_cast<const uint8_t*>(key.data()),
                              int(key.size()), progress);
    return std::string(sink.bytes.begin(), sink.bytes.end());
}

// Bytes that look random and come back the same for the same seed.
inline std::vector<uint8_t> Pattern(size_t length, uint32_t seed)
{
    std::vector<uint8_t> bytes(length);
    uint32_t state = 2463534242u ^ (seed * 2654435761u);
    for (auto& value : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        value = static_cast<uint8_t>(state);
    }
    return bytes;
}

}  // namespace testing_codec
