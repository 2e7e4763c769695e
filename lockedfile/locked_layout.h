// Where things are in a locked file, and how many bytes of it are the plain file's. The
// writer, the readers and kst's info all take their offsets and lengths from here.
//
//   offset 0      4 bytes  "BLOW"
//   offset 4      1 byte   name length n (1..255)
//   offset 5      n bytes  stored name (no terminator)
//   offset 5+n    1 byte   tail count t = L mod 8
//   offset 6+n    8*ceil(L/8) bytes of Blowfish blocks, halves least significant byte first
#pragma once

#include <cstddef>
#include <cstdint>

namespace lockedfile {

constexpr size_t kBlockSize = 8;
constexpr size_t kMagicLength = 4;

// The offset of the tail count, which the header reader hands to the decryption.
constexpr uint64_t DataOffset(size_t nameLength) { return kMagicLength + 1 + nameLength; }
// Magic, name length, name and tail count.
constexpr uint64_t HeaderLength(size_t nameLength) { return DataOffset(nameLength) + 1; }
// The plain file's bytes rounded up to whole blocks: the last block is padded with zeros.
constexpr uint64_t PaddedLength(uint64_t plainLength)
{
    return plainLength / kBlockSize * kBlockSize + (plainLength % kBlockSize != 0 ? kBlockSize : 0);
}
constexpr uint8_t TailCountOf(uint64_t plainLength) { return static_cast<uint8_t>(plainLength % kBlockSize); }

// What follows the tail count of a locked file: whole blocks, perhaps a few stray bytes, and
// how much of the last block is the plain file's.
struct BlockLayout {
    uint64_t wholeBlocks = 0;
    size_t extraBytes = 0;              // 1 to 7 bytes after the last whole block, copied unchanged
    size_t lastBlockBytes = kBlockSize; // bytes of the last block that belong to the plain file

    // Only the block that ends the file is shortened to the tail count.
    uint64_t DroppedAtEnd() const
    {
        return extraBytes == 0 && wholeBlocks > 0 ? kBlockSize - lastBlockBytes : 0;
    }
    uint64_t PlainLength() const { return wholeBlocks * kBlockSize - DroppedAtEnd() + extraBytes; }
};

// `dataBytes`: the bytes after the tail count. The one place of the tail-count rule: the
// writer never stores 8 or more, and such a count leaves the last block whole (never more
// than a block's 8 bytes); so do stray bytes after the last block.
BlockLayout LayoutOf(uint64_t dataBytes, uint8_t tailCount);

}  // namespace lockedfile
