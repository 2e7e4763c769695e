// How the codec runs the blocks of a file: on the calling thread, or on worker threads
// between a thread that reads ahead and the calling thread, which writes in file order.
// Either way the bytes written, the progress positions and the points where a stop is
// honoured are the same, and memory stays at a fixed number of chunks whatever the length.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "locked_layout.h"

namespace lockedfile {

// The bytes the runner reads, ciphers and writes at a time. Always a whole number of
// blocks: a chunk's blocks are padded and ciphered in place, so a size between two blocks
// would write past the chunk's buffer. Checked here, where it is set; a constant of the
// wrong size does not compile.
class ChunkSize {
public:
    constexpr explicit ChunkSize(size_t bytes) : m_bytes(bytes)
    {
        if (bytes == 0 || bytes % kBlockSize != 0)
            throw std::invalid_argument("a chunk is a whole number of 8-byte blocks");
    }
    constexpr size_t Bytes() const { return m_bytes; }
    constexpr size_t Blocks() const { return m_bytes / kBlockSize; }

private:
    size_t m_bytes;
};

constexpr ChunkSize kSerialChunk{128 * 1024};
// Larger, so that handing a chunk from thread to thread costs little beside ciphering it.
// kst on two cores ciphered 256 MiB as fast with these as with 1 MiB chunks, in two
// thirds of the memory (6.7 MB at its peak against 9.8 MB).
constexpr ChunkSize kThreadedChunk{512 * 1024};
// Where handing over costs more, larger still: measured by the program's jobs on two
// cores under Wine, 256 MiB encrypted in 0.57-0.63 s with 1 MiB chunks against 0.73-0.79 s
// with 512 KiB, and decrypted in 0.81 s against 1.07-1.54 s; 2 MiB chunks were no faster
// and held more memory.
constexpr ChunkSize kLargeThreadedChunk{1024 * 1024};

// Below this size handing chunks between threads costs more than a second core saves:
// measured by kst on two cores, 4 MiB took longer on two threads than on one, 64 MiB far less.
constexpr uint64_t kThreadsPayFrom = uint64_t(8) << 20;

class BlockRunner {
public:
    // Reads, ciphers and writes one chunk after the other on the calling thread.
    static constexpr BlockRunner Serial(ChunkSize chunk = kSerialChunk) { return BlockRunner(0, chunk); }
    // `workers` threads (at least one) cipher the chunks that another thread reads ahead,
    // and the calling thread writes them in file order. Only the source is read on another
    // thread; the sink and the progress sink, with its stop question, are called on the
    // calling thread alone, as with the serial runner. Where the system lets fewer threads
    // start, fewer workers do the work, or with none the calling thread does it alone.
    static constexpr BlockRunner Threaded(unsigned workers, ChunkSize chunk = kThreadedChunk)
    {
        return BlockRunner(workers == 0 ? 1 : workers, chunk);
    }

    constexpr unsigned Workers() const { return m_workers; }  // 0 for the serial runner
    constexpr ChunkSize Chunk() const { return m_chunk; }

private:
    constexpr BlockRunner(unsigned workers, ChunkSize chunk) : m_workers(workers), m_chunk(chunk) {}

    unsigned m_workers;
    ChunkSize m_chunk;
};

// Beyond a few threads a processor, more workers only hold more chunks in memory (256 of
// them took 270 MB) without ciphering any faster.
constexpr unsigned kThreadsPerProcessor = 4;

// The runner a front end asked for: `threads` 1 for the serial runner, N for N workers (at
// most kThreadsPerProcessor a processor), or 0 to let the file decide: one worker per
// processor where threads pay (`length` bytes on a machine with `processors` processors),
// the serial runner elsewhere. `processors` 0 means the count is unknown: one. Workers
// hand `chunk` bytes at a time.
constexpr BlockRunner RunnerFor(unsigned threads, uint64_t length, unsigned processors,
                                ChunkSize chunk = kThreadedChunk)
{
    const unsigned known = processors == 0 ? 1 : processors;
    if (threads == 1)
        return BlockRunner::Serial();
    if (threads > 1)
        return BlockRunner::Threaded(std::min(threads, kThreadsPerProcessor * known), chunk);
    return known > 1 && length >= kThreadsPayFrom ? BlockRunner::Threaded(known, chunk) : BlockRunner::Serial();
}

}  // namespace lockedfile
