#include "parallel_codec.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "locked_layout.h"

namespace kst {

namespace {

// A keyed context that is wiped when the job ends, however it ends.
class KeyedContext {
public:
    KeyedContext(const uint8_t* key, int keyLength) : m_context()
    {
        // Only the first 72 key bytes reach the schedule, so a longer key may be cut freely.
        const int usable = std::min(keyLength, int(std::numeric_limits<int16_t>::max()));
        Blowfish_Init(m_context, key, static_cast<int16_t>(usable));
    }
    ~KeyedContext() { Blowfish_Wipe(m_context); }
    KeyedContext(const KeyedContext&) = delete;
    KeyedContext& operator=(const KeyedContext&) = delete;
    const BlowfishContext& Get() const { return m_context; }

private:
    BlowfishContext m_context;
};

lockedfile::CodecStatus StatusOf(PipelineStatus status)
{
    switch (status) {
    case PipelineStatus::Ok: return lockedfile::CodecStatus::Ok;
    case PipelineStatus::ReadFailed: return lockedfile::CodecStatus::ReadFailed;
    case PipelineStatus::WriteFailed: return lockedfile::CodecStatus::WriteFailed;
    case PipelineStatus::Stopped: return lockedfile::CodecStatus::Stopped;
    }
    return lockedfile::CodecStatus::ReadFailed;
}

PipelineStatus RunBlocks(lockedfile::ByteSource& source, lockedfile::ByteSink& dest, const KeyedContext& key,
                         bool encipher, uint64_t inputBytes, uint64_t droppedAtEnd,
                         const ParallelSettings& settings)
{
    BlockPipelineJob job;
    job.inputBytes = inputBytes;
    job.droppedAtEnd = droppedAtEnd;
    job.context = &key.Get();
    job.encipher = encipher;
    job.workers = std::max(1u, settings.workers);
    job.chunkBytes = settings.chunkBytes;
    return RunBlockPipeline(source, dest, job, settings.stopRequested);
}

bool ReadByte(lockedfile::ByteSource& source, uint8_t& byte)
{
    size_t got = 0;
    while (got == 0) {
        if (!source.Read(&byte, 1, got))
            return false;
        if (got == 0)
            return false;
    }
    return true;
}

}  // namespace

lockedfile::CodecStatus ParallelEncrypt(lockedfile::ByteSource& source, uint64_t length,
                                        const std::string& storedName, lockedfile::ByteSink& dest,
                                        const uint8_t* key, int keyLength, const ParallelSettings& settings)
{
    if (key == nullptr || keyLength <= 0)
        return lockedfile::CodecStatus::EmptyKey;
    const std::vector<uint8_t> header = lockedfile::BuildHeader(storedName, length);
    if (!dest.Write(header.data(), header.size()))
        return lockedfile::CodecStatus::WriteFailed;
    const KeyedContext keyed(key, keyLength);
    return StatusOf(RunBlocks(source, dest, keyed, true, length, 0, settings));
}

lockedfile::CodecStatus ParallelDecrypt(lockedfile::ByteSource& source, uint64_t totalLength,
                                        uint64_t dataOffset, lockedfile::ByteSink& dest, const uint8_t* key,
                                        int keyLength, const ParallelSettings& settings)
{
    if (key == nullptr || keyLength <= 0)
        return lockedfile::CodecStatus::EmptyKey;
    // A file that ends before its tail count holds no block: the plain file is empty.
    if (totalLength <= dataOffset)
        return lockedfile::CodecStatus::Ok;
    uint8_t tailCount = 0;
    if (!ReadByte(source, tailCount))
        return lockedfile::CodecStatus::ReadFailed;
    const BlockLayout layout = LayoutOf(totalLength - dataOffset - 1, tailCount);

    const KeyedContext keyed(key, keyLength);
    const PipelineStatus status =
        RunBlocks(source, dest, keyed, false, layout.wholeBlocks * 8, layout.DroppedAtEnd(), settings);
    if (status != PipelineStatus::Ok)
        return StatusOf(status);

    // Bytes after the last whole block are no block: they go out as they are.
    uint8_t extra[8];
    size_t done = 0;
    while (done < layout.extraBytes) {
        size_t got = 0;
        if (!source.Read(extra + done, layout.extraBytes - done, got) || got == 0)
            return lockedfile::CodecStatus::ReadFailed;
        done += got;
    }
    if (layout.extraBytes > 0 && !dest.Write(extra, layout.extraBytes))
        return lockedfile::CodecStatus::WriteFailed;
    return lockedfile::CodecStatus::Ok;
}

}  // namespace kst
