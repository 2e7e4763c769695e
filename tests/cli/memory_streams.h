// Byte streams over memory, with a failure that can be switched on at a chosen byte.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <cstring>
#include <vector>

#include "locked_format.h"

class MemorySource : public lockedfile::ByteSource {
public:
    explicit MemorySource(const std::vector<uint8_t>& bytes, size_t failAt = SIZE_MAX)
        : m_bytes(bytes), m_next(0), m_failAt(failAt) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        if (m_next >= m_failAt)
            return false;
        got = std::min(want, m_bytes.size() - m_next);
        std::memcpy(buffer, m_bytes.data() + m_next, got);
        m_next += got;
        return true;
    }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_next;
    size_t m_failAt;
};

class MemorySink : public lockedfile::ByteSink {
public:
    explicit MemorySink(size_t failAfter = SIZE_MAX) : bytes(), m_failAfter(failAfter) {}
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

class SilentProgress : public lockedfile::ProgressSink {
public:
    void SetRange() override {}
    void SetPos(int) override {}
};

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

// What the codec itself writes for these bytes: the reference kst must match.
inline std::vector<uint8_t> CodecLocked(const std::vector<uint8_t>& plain, const std::string& storedName,
                                        const std::string& password)
{
    MemorySource source(plain);
    MemorySink sink;
    SilentProgress progress;
    lockedfile::EncryptStream(source, plain.size(), storedName, sink,
                              reinterpret_cast<const uint8_t*>(password.data()), int(password.size()), progress);
    return sink.bytes;
}
