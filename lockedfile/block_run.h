// Inside the codec: one run of blocks from a source to a sink, cut into chunks, and the
// steps the serial and the threaded runner share, so that both give the same bytes, report
// the same positions and stop at the same points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "block_runner.h"
#include "blowfish.h"
#include "locked_format.h"
#include "progress_schedule.h"

namespace lockedfile {

struct BlockRun {
    uint64_t inputBytes = 0;    // read from the source; the last block is padded with zeros
    uint64_t droppedAtEnd = 0;  // bytes at the end of the last block that are not written
    const BlowfishContext* context = nullptr;
    bool encipher = true;
};

// One chunk of a run: its first block, what is read into it and what is written from it.
struct Chunk {
    uint64_t firstBlock;
    size_t readBytes;
    size_t blocks;
    size_t writeBytes;
};

class ChunkPlan {
public:
    ChunkPlan(const BlockRun& run, ChunkSize size);
    uint64_t Count() const { return m_count; }
    Chunk At(uint64_t index) const;

private:
    const BlockRun& m_run;
    const ChunkSize m_size;
    const uint64_t m_count;
};

// Reports each progress event once, in file order: an event belongs to the block at which
// its position is first reached, and is reported before the chunk holding that block is
// written.
class ProgressTrack {
public:
    ProgressTrack(ProgressSink& progress, std::vector<ProgressEvent> events);
    void ReportBefore(uint64_t block);
    bool StopRequested() { return m_progress.StopRequested(); }
    // The events of the position where the blocks end, then 100.
    void Finish();

private:
    ProgressSink& m_progress;
    const std::vector<ProgressEvent> m_events;
    size_t m_next;
};

// Reads exactly `want` bytes: Ok, ReadFailed, or SourceShorter when the source ends first.
CodecStatus ReadExactly(ByteSource& source, uint8_t* buffer, size_t want);
// Whether the source ends where its stated length said: Ok, SourceLonger, or ReadFailed.
CodecStatus CheckSourceEnds(ByteSource& source);

// The three steps of a chunk. `bytes` holds at least chunk.blocks blocks.
CodecStatus ReadChunk(ByteSource& source, const Chunk& chunk, uint8_t* bytes);
void CipherChunk(const BlockRun& run, const Chunk& chunk, uint8_t* bytes);
bool WriteChunk(ByteSink& sink, ProgressTrack& track, const Chunk& chunk, const uint8_t* bytes);

// Runs every chunk of `run` as `runner` says, asking before each chunk whether to stop.
// Exceptions from the source, the sink or the progress sink reach the caller, from
// whichever thread they came, once every thread of the run has ended.
CodecStatus RunBlocks(ByteSource& source, ByteSink& sink, const BlockRun& run, const BlockRunner& runner,
                      ProgressTrack& track);
CodecStatus RunSerial(ByteSource& source, ByteSink& sink, const BlockRun& run, ChunkSize chunkSize,
                      ProgressTrack& track);
// Where too few of its threads can start, runs serially in the same chunks.
CodecStatus RunThreaded(ByteSource& source, ByteSink& sink, const BlockRun& run, const BlockRunner& runner,
                        ProgressTrack& track);

}  // namespace lockedfile
