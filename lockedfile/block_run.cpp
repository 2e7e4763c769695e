// The chunk steps both runners share, and the serial runner.
#include "block_run.h"

#include <algorithm>

namespace lockedfile {

ChunkPlan::ChunkPlan(const BlockRun& run, ChunkSize size)
    : m_run(run), m_size(size), m_count((run.inputBytes + size.Bytes() - 1) / size.Bytes())
{
}

Chunk ChunkPlan::At(uint64_t index) const
{
    const uint64_t offset = index * m_size.Bytes();
    Chunk chunk;
    chunk.firstBlock = index * m_size.Blocks();
    chunk.readBytes = size_t(std::min<uint64_t>(m_size.Bytes(), m_run.inputBytes - offset));
    chunk.blocks = (chunk.readBytes + kBlockSize - 1) / kBlockSize;
    chunk.writeBytes = chunk.blocks * kBlockSize;
    if (index + 1 == m_count)
        chunk.writeBytes -= size_t(m_run.droppedAtEnd);
    return chunk;
}

ProgressTrack::ProgressTrack(ProgressSink& progress, std::vector<ProgressEvent> events)
    : m_progress(progress), m_events(std::move(events)), m_next(0)
{
}

void ProgressTrack::ReportBefore(uint64_t block)
{
    while (m_next < m_events.size() && m_events[m_next].step < block)
        m_progress.SetPos(m_events[m_next++].percent);
}

void ProgressTrack::Finish()
{
    ReportBefore(UINT64_MAX);
    m_progress.SetPos(100);
}

CodecStatus ReadExactly(ByteSource& source, uint8_t* buffer, size_t want)
{
    size_t got = 0;
    if (!ReadFully(source, buffer, want, got))
        return CodecStatus::ReadFailed;
    return got < want ? CodecStatus::SourceShorter : CodecStatus::Ok;
}

CodecStatus CheckSourceEnds(ByteSource& source)
{
    uint8_t beyond = 0;
    const CodecStatus status = ReadExactly(source, &beyond, 1);
    if (status == CodecStatus::ReadFailed)
        return status;
    return status == CodecStatus::Ok ? CodecStatus::SourceLonger : CodecStatus::Ok;
}

CodecStatus ReadChunk(ByteSource& source, const Chunk& chunk, uint8_t* bytes)
{
    const CodecStatus status = ReadExactly(source, bytes, chunk.readBytes);
    if (status != CodecStatus::Ok)
        return status;
    // The last block is padded with zeros.
    std::fill(bytes + chunk.readBytes, bytes + chunk.blocks * kBlockSize, uint8_t(0));
    return CodecStatus::Ok;
}

void CipherChunk(const BlockRun& run, const Chunk& chunk, uint8_t* bytes)
{
    if (run.encipher)
        Blowfish_EncipherBlocks(*run.context, bytes, chunk.blocks, HalfOrder::LittleEndian);
    else
        Blowfish_DecipherBlocks(*run.context, bytes, chunk.blocks, HalfOrder::LittleEndian);
}

bool WriteChunk(ByteSink& sink, ProgressTrack& track, const Chunk& chunk, const uint8_t* bytes)
{
    track.ReportBefore(chunk.firstBlock + chunk.blocks);
    return sink.Write(bytes, chunk.writeBytes);
}

CodecStatus RunBlocks(ByteSource& source, ByteSink& sink, const BlockRun& run, const BlockRunner& runner,
                      ProgressTrack& track)
{
    if (runner.Workers() > 0)
        return RunThreaded(source, sink, run, runner, track);
    return RunSerial(source, sink, run, runner.Chunk(), track);
}

CodecStatus RunSerial(ByteSource& source, ByteSink& sink, const BlockRun& run, ChunkSize chunkSize,
                      ProgressTrack& track)
{
    const ChunkPlan plan(run, chunkSize);
    std::vector<uint8_t> bytes(chunkSize.Bytes());
    for (uint64_t index = 0; index < plan.Count(); ++index) {
        if (track.StopRequested())
            return CodecStatus::Stopped;
        const Chunk chunk = plan.At(index);
        const CodecStatus read = ReadChunk(source, chunk, bytes.data());
        if (read != CodecStatus::Ok)
            return read;
        CipherChunk(run, chunk, bytes.data());
        if (!WriteChunk(sink, track, chunk, bytes.data()))
            return CodecStatus::WriteFailed;
    }
    return CodecStatus::Ok;
}

}  // namespace lockedfile
