#include "locked_layout.h"

namespace lockedfile {

BlockLayout LayoutOf(uint64_t dataBytes, uint8_t tailCount)
{
    BlockLayout layout;
    layout.wholeBlocks = dataBytes / kBlockSize;
    layout.extraBytes = size_t(dataBytes % kBlockSize);
    layout.lastBlockBytes = tailCount >= 1 && tailCount < kBlockSize ? tailCount : kBlockSize;
    return layout;
}

}  // namespace lockedfile
