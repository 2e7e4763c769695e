// Writing and reading locked files: the header, and the blocks through the runner the
// caller chose, in chunks, so that memory use does not depend on the file's size.
#include "locked_format.h"

#include "block_run.h"
#include "progress_schedule.h"

#include <algorithm>
#include <cstring>

namespace lockedfile {

const char* const kNotLockedMessage = "This file was not encrypted with Kestrine.";
const char* const kBadHeaderMessage = "Error reading Kestrine.";

static_assert(sizeof kMagic == kMagicLength, "the magic is four bytes");

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

std::vector<uint8_t> BuildHeader(const std::string& storedName, uint64_t sourceLength)
{
    const size_t n = std::min(storedName.size(), kMaxStoredName);
    std::vector<uint8_t> header(kMagic, kMagic + sizeof kMagic);
    header.push_back(static_cast<uint8_t>(n));
    header.insert(header.end(), storedName.begin(), storedName.begin() + n);
    header.push_back(TailCountOf(sourceLength));
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
    info.dataOffset = DataOffset(nameLength);
    // The writer always stores the tail count, even for an empty source: a file that ends
    // right after the name was not written by it.
    info.status = totalLength > info.dataOffset ? HeaderStatus::Ok : HeaderStatus::NoTailCount;
    return info;
}

CodecStatus EncryptStream(ByteSource& source, uint64_t length, const std::string& storedName, ByteSink& dest,
                          const uint8_t* key, int keyLength, BlowfishKeyContext& context, ProgressSink& progress,
                          const BlockRunner& runner)
{
    if (key == nullptr || keyLength <= 0)
        return CodecStatus::EmptyKey;

    const std::vector<uint8_t> header = BuildHeader(storedName, length);
    if (!dest.Write(header.data(), header.size()))
        return CodecStatus::WriteFailed;
    context.Key(key, keyLength);
    progress.SetRange();

    const uint64_t blockCount = PaddedLength(length) / kBlockSize;
    ProgressTrack track(progress, ProgressEvents(0, length, blockCount, length));
    BlockRun run;
    run.inputBytes = length;
    run.context = &context.Context();
    run.encipher = true;
    CodecStatus status = RunBlocks(source, dest, run, runner, track);
    if (status == CodecStatus::Ok)
        status = CheckSourceEnds(source);
    if (status == CodecStatus::Ok)
        track.Finish();
    return status;
}

CodecStatus DecryptStream(ByteSource& source, uint64_t totalLength, uint64_t dataOffset, ByteSink& dest,
                          const uint8_t* key, int keyLength, BlowfishKeyContext& context, ProgressSink& progress,
                          const BlockRunner& runner)
{
    if (key == nullptr || keyLength <= 0)
        return CodecStatus::EmptyKey;

    // A file that ends before its tail count holds no block: the plain file is empty.
    const bool hasTailCount = totalLength > dataOffset;
    uint8_t tailCount = 0;
    if (hasTailCount) {
        const CodecStatus read = ReadExactly(source, &tailCount, 1);
        if (read != CodecStatus::Ok)
            return read;
    }
    context.Key(key, keyLength);
    progress.SetRange();

    const uint64_t dataStart = hasTailCount ? dataOffset + 1 : totalLength;
    const BlockLayout layout = LayoutOf(totalLength - dataStart, tailCount);
    ProgressTrack track(progress, ProgressEvents(dataStart, totalLength, layout.wholeBlocks, totalLength));
    BlockRun run;
    run.inputBytes = layout.wholeBlocks * kBlockSize;
    run.droppedAtEnd = layout.DroppedAtEnd();
    run.context = &context.Context();
    run.encipher = false;
    const CodecStatus status = RunBlocks(source, dest, run, runner, track);
    if (status != CodecStatus::Ok)
        return status;

    // Bytes after the last whole block are no block: they go out as they are.
    if (layout.extraBytes > 0) {
        uint8_t extra[kBlockSize];
        const CodecStatus read = ReadExactly(source, extra, layout.extraBytes);
        if (read != CodecStatus::Ok)
            return read;
        if (!dest.Write(extra, layout.extraBytes))
            return CodecStatus::WriteFailed;
    }
    const CodecStatus ended = CheckSourceEnds(source);
    if (ended != CodecStatus::Ok)
        return ended;
    track.Finish();
    return CodecStatus::Ok;
}

CodecStatus EncryptStream(ByteSource& source, uint64_t length, const std::string& storedName, ByteSink& dest,
                          const uint8_t* key, int keyLength, ProgressSink& progress)
{
    BlowfishKeyContext context;
    return EncryptStream(source, length, storedName, dest, key, keyLength, context, progress, BlockRunner::Serial());
}

CodecStatus DecryptStream(ByteSource& source, uint64_t totalLength, uint64_t dataOffset, ByteSink& dest,
                          const uint8_t* key, int keyLength, ProgressSink& progress)
{
    BlowfishKeyContext context;
    return DecryptStream(source, totalLength, dataOffset, dest, key, keyLength, context, progress,
                         BlockRunner::Serial());
}

}  // namespace lockedfile
