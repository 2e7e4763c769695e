// Enciphers or deciphers a run of 8-byte blocks on several threads at once: one thread
// reads chunks, the workers cipher them, one thread writes them back in order. ECB blocks
// are independent, so the bytes are those of a single pass; memory stays at a fixed number
// of chunks whatever the length.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blowfish.h"
#include "locked_format.h"

namespace kst {

enum class PipelineStatus { Ok, ReadFailed, WriteFailed, Stopped };

// Returns true when the work should stop between two chunks.
using StopCheck = bool (*)();

struct BlockPipelineJob {
    uint64_t inputBytes = 0;    // read from the source; the last block is padded with zeros
    uint64_t droppedAtEnd = 0;  // bytes at the end of the last block that are not written
    const BlowfishContext* context = nullptr;
    bool encipher = true;
    unsigned workers = 2;
    size_t chunkBytes = size_t(512) * 1024;  // a multiple of 8
};

PipelineStatus RunBlockPipeline(lockedfile::ByteSource& source, lockedfile::ByteSink& sink,
                                const BlockPipelineJob& job, StopCheck stopRequested);

}  // namespace kst
