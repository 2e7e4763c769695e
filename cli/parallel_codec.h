// Locked files written and read on several threads: the same bytes as the codec's
// EncryptStream and DecryptStream, with the blocks ciphered by a pipeline of workers.
#pragma once

#include <cstdint>
#include <string>

#include "block_pipeline.h"
#include "locked_format.h"

namespace kst {

struct ParallelSettings {
    unsigned workers = 2;
    size_t chunkBytes = size_t(512) * 1024;
    StopCheck stopRequested = nullptr;
};

lockedfile::CodecStatus ParallelEncrypt(lockedfile::ByteSource& source, uint64_t length,
                                        const std::string& storedName, lockedfile::ByteSink& dest,
                                        const uint8_t* key, int keyLength, const ParallelSettings& settings);

// `source` is positioned at `dataOffset`, the tail count, of a locked file of `totalLength` bytes.
lockedfile::CodecStatus ParallelDecrypt(lockedfile::ByteSource& source, uint64_t totalLength,
                                        uint64_t dataOffset, lockedfile::ByteSink& dest, const uint8_t* key,
                                        int keyLength, const ParallelSettings& settings);

}  // namespace kst
