#include "locked_layout.h"

namespace kst {

BlockLayout LayoutOf(uint64_t dataBytes, uint8_t tailCount)
{
    BlockLayout layout;
    layout.wholeBlocks = dataBytes / 8;
    layout.extraBytes = size_t(dataBytes % 8);
    layout.lastBlockBytes = tailCount >= 1 && tailCount < 8 ? tailCount : 8;
    return layout;
}

}  // namespace kst
