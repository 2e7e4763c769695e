// How an encryption or a decryption runs its blocks: on every processor for files where
// threads pay, on the job's own thread below that, as the view's m_nCipherThreads allows.
// The jobs hand the larger chunks between threads, which measured faster for them.
#pragma once

#include <cstdint>
#include <thread>

#include "block_runner.h"
#include "blowfish_view.h"

inline lockedfile::BlockRunner JobRunner(const CBlowfishView& view, uint64_t length) {
    return lockedfile::RunnerFor(view.m_nCipherThreads, length, std::thread::hardware_concurrency(),
                                 lockedfile::kLargeThreadedChunk);
}
