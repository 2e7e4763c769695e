// Where the progress bar of an encryption or decryption moves. The jobs look at their
// position once per block, p_i = min(first + 8 i, last) for i = 0..steps, and show
// q_i = trunc(p_i / total * 100.0) (double precision) when q_i is a multiple of 3.
// Sending the same position twice changes nothing on the bar but costs a cross-thread
// message, so only the first block of each new position is reported; the positions
// are found once up front instead of dividing per block.
#pragma once

#include <cstdint>
#include <vector>

namespace lockedfile {

struct ProgressEvent {
    uint64_t step;  // the i at which the position is first reached
    int percent;
};

// Each distinct multiple-of-3 position in order, with the first step that reaches it.
// Empty when total is 0.
std::vector<ProgressEvent> ProgressEvents(uint64_t first, uint64_t last, uint64_t steps,
                                          uint64_t total);

}  // namespace lockedfile
