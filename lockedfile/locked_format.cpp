// Writing and reading locked files: the header, and the blocks in buffered chunks so
// that memory use does not depend on the file's size.
#include "locked_format.h"

#include "blowfish.h"
#include "progress_schedule.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace lockedfile {

const char* const kNotLockedMessage = "This file was not encrypted with Kestrine.";
const char* const kBadHeaderMessage = "Error reading Kestrine.";

namespace {

constexpr size_t kBlockSize = 8;
constexpr size_t kChunkBlocks = 16 * 1024;  // 128 KiB per read and write

// Reads until `want` bytes have come or the stream ends.
bool ReadFully(ByteSource& source, uint8_t* buffer, size_t want, size_t& got)
{
    got = 0;
    while (got < want) {
        size_t now = 0;
        if (!source.Read(buffer + got, want - got, now))
            return false;
        if (now == 0)
            break;
        got += now;
    }
    return true;
}

bool KeyEngine(const uint8_t* key, int keyLength)
{
    if (key == nullptr || keyLength <= 0)
        return false;
    // Only the first 72 bytes reach the schedule, so a longer key may be cut freely.
    const int usable = std::min(keyLength, int(std::numeric_limits<int16_t>::max()));
    Blowfish_Init(key, static_cast<int16_t>(usable));
    return true;
}

// Runs `transform` over blocks [first, first + count) of a run whose progress events
// are `events`, reporting each event just before the block it belongs to.
class BlockRun {
public:
    BlockRun(ProgressSink& progress, std::vector<ProgressEvent> events)
        : m_progress(progress), m_events(std::move(events)), m_next(0)
    {
    }

    template <typename Transform>
    void Process(uint8_t* bytes, uint64_t first, size_t count, Transform transform)
    {
        const uint64_t end = first + count;
        uint64_t done = first;
        while (m_next < m_events.size() && m_events[m_next].step < end) {
            const uint64_t at = m_events[m_next].step;
            transform(bytes + (done - first) * kBlockSize, size_t(at - done));
            done = at;
            m_progress.SetPos(m_events[m_next++].percent);
        }
        transform(bytes + (done - first) * kBlockSize, size_t(end - done));
    }

    // Reports what is left: the position where the loop ends, then 100.
    void Finish()
    {
        while (m_next < m_events.size())
            m_progress.SetPos(m_events[m_next++].percent);
        m_progress.SetPos(100);
    }

private:
    ProgressSink& m_progress;
    std::vector<ProgressEvent> m_events;
    size_t m_next;
};

void Encipher(uint8_t* bytes, size_t blocks)
{
    Blowfish_EncipherBlocks(bytes, blocks, HalfOrder::LittleEndian);
}

void Decipher(uint8_t* bytes, size_t blocks)
{
    Blowfish_DecipherBlocks(bytes, blocks, HalfOrder::LittleEndian);
}

}  // namespace

std::vector<uint8_t> BuildHeader(const std::string& storedName, uint64_t sourceLength)
{
    const size_t n = std::min(storedName.size(), kMaxStoredName);
    std::vector<uint8_t> header(kMagic, kMagic + sizeof kMagic);
    header.push_back(static_cast<uint8_t>(n));
    header.insert(header.end(), storedName.begin(), storedName.begin() + n);
    header.push_back(static_cast<uint8_t>(sourceLength % kBlockSize));
    return header;
}

HeaderInfo ReadHeader(ByteSource& source, uint64_t totalLength)
{
    HeaderInfo info;
    uint8_t magic[sizeof kMagic];
    size_t got = 0;
    if (!ReadFully(source, magic, sizeof magic, got)) {
        info.status = HeaderStatus::ReadFailed;
        return info;
    }
    if (got < sizeof magic || std::memcmp(magic, kMagic, sizeof magic) != 0) {
        info.status = HeaderStatus::NotLocked;
        return info;
    }

    uint8_t nameLength = 0;
    if (!ReadFully(source, &nameLength, 1, got)) {
        info.status = HeaderStatus::ReadFailed;
        return info;
    }
    if (got < 1 || nameLength == 0) {
        info.status = HeaderStatus::BadHeader;
        return info;
    }

    uint8_t name[kMaxStoredName];
    if (!ReadFully(source, name, nameLength, got)) {
        info.status = HeaderStatus::ReadFailed;
        return info;
    }
    // A name cut short by the end of the file would not be the name the file was made from.
    if (got < nameLength) {
        info.status = HeaderStatus::BadHeader;
        return info;
    }
    info.storedName.assign(reinterpret_cast<const char*>(name), nameLength);
    info.dataOffset = sizeof kMagic + 1 + nameLength;
    // The writer always stores the tail count, even for an empty source: a file that ends
    // right after the name was not written by it.
    info.status = totalLength > info.dataOffset ? HeaderStatus::Ok : HeaderStatus::NoTailCount;
    return info;
}

CodecStatus EncryptStream(ByteSource& source, uint64_t length, const std::string& storedName,
                          ByteSink& dest, const uint8_t* key, int keyLength, ProgressSink& progress)
{
    if (key == nullptr || keyLength <= 0)
        return CodecStatus::EmptyKey;

    const std::vector<uint8_t> header = BuildHeader(storedName, length);
    if (!dest.Write(header.data(), header.size()))
        return CodecStatus::WriteFailed;
    KeyEngine(key, keyLength);
    progress.SetRange();

    const uint64_t blockCount = length / kBlockSize + (length % kBlockSize != 0 ? 1 : 0);
    BlockRun run(progress, ProgressEvents(0, length, blockCount, length));
    std::vector<uint8_t> chunk(kChunkBlocks * kBlockSize);
    for (uint64_t block = 0; block < blockCount;) {
        if (progress.StopRequested())
            return CodecStatus::Stopped;
        const uint64_t offset = block * kBlockSize;
        const size_t want = size_t(std::min<uint64_t>(chunk.size(), length - offset));
        size_t got = 0;
        if (!ReadFully(source, chunk.data(), want, got) || got < want)
            return CodecStatus::ReadFailed;
        // The last block is padded with zeros.
        const size_t blocks = (want + kBlockSize - 1) / kBlockSize;
        std::fill(chunk.begin() + want, chunk.begin() + blocks * kBlockSize, 0);
        run.Process(chunk.data(), block, blocks, Encipher);
        if (!dest.Write(chunk.data(), blocks * kBlockSize))
            return CodecStatus::WriteFailed;
        block += blocks;
    }
    run.Finish();
    return CodecStatus::Ok;
}

CodecStatus DecryptStream(ByteSource& source, uint64_t totalLength, uint64_t dataOffset,
                          ByteSink& dest, const uint8_t* key, int keyLength, ProgressSink& progress)
{
    if (key == nullptr || keyLength <= 0)
        return CodecStatus::EmptyKey;

    const bool hasTailCount = totalLength > dataOffset;
    uint8_t tailCount = 0;
    if (hasTailCount) {
        size_t got = 0;
        if (!ReadFully(source, &tailCount, 1, got) || got < 1)
            return CodecStatus::ReadFailed;
    }
    // The writer never stores 8 or more; such a count leaves the last block whole.
    const size_t lastBlockBytes = tailCount >= 1 && tailCount < kBlockSize ? tailCount : kBlockSize;
    KeyEngine(key, keyLength);
    progress.SetRange();

    const uint64_t dataStart = hasTailCount ? dataOffset + 1 : totalLength;
    const uint64_t dataBytes = totalLength - dataStart;
    const uint64_t blockCount = dataBytes / kBlockSize;
    const size_t extraBytes = size_t(dataBytes % kBlockSize);
    BlockRun run(progress, ProgressEvents(dataStart, totalLength, blockCount, totalLength));

    std::vector<uint8_t> chunk(kChunkBlocks * kBlockSize);
    for (uint64_t block = 0; block < blockCount;) {
        if (progress.StopRequested())
            return CodecStatus::Stopped;
        const size_t blocks = size_t(std::min<uint64_t>(kChunkBlocks, blockCount - block));
        size_t got = 0;
        if (!ReadFully(source, chunk.data(), blocks * kBlockSize, got) || got < blocks * kBlockSize)
            return CodecStatus::ReadFailed;
        run.Process(chunk.data(), block, blocks, Decipher);
        block += blocks;
        // Only the block that ends the file is shortened to the tail count.
        size_t count = blocks * kBlockSize;
        if (block == blockCount && extraBytes == 0)
            count -= kBlockSize - lastBlockBytes;
        if (!dest.Write(chunk.data(), count))
            return CodecStatus::WriteFailed;
    }

    // Bytes after the last whole block are no block: they go out as they are.
    if (extraBytes > 0) {
        size_t got = 0;
        if (!ReadFully(source, chunk.data(), extraBytes, got) || got < extraBytes)
            return CodecStatus::ReadFailed;
        if (!dest.Write(chunk.data(), extraBytes))
            return CodecStatus::WriteFailed;
    }
    run.Finish();
    return CodecStatus::Ok;
}

}  // namespace lockedfile
