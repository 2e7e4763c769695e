// What follows the tail count of a locked file: whole blocks, perhaps a few stray bytes,
// and how much of the last block is the plain file's.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kst {

struct BlockLayout {
    uint64_t wholeBlocks = 0;
    size_t extraBytes = 0;      // 1 to 7 bytes after the last whole block, copied unchanged
    size_t lastBlockBytes = 8;  // bytes of the last block that belong to the plain file
    uint64_t DroppedAtEnd() const { return extraBytes == 0 && wholeBlocks > 0 ? 8 - lastBlockBytes : 0; }
    uint64_t PlainLength() const { return wholeBlocks * 8 - DroppedAtEnd() + extraBytes; }
};

// `dataBytes`: the bytes after the tail count. A tail count of 8 or more leaves the last
// block whole, as the program reads it; so do stray bytes after the last block.
BlockLayout LayoutOf(uint64_t dataBytes, uint8_t tailCount);

}  // namespace kst
