// The ways this engine can run a buffer of blocks. Every path gives the same bytes; they
// differ only in speed. Blowfish_EncipherBlocks and Blowfish_DecipherBlocks take the one
// the dispatcher chose: the fastest this processor supports, unless one was forced.
#pragma once

#include <cstddef>
#include <cstdint>

#include "blowfish.h"

// Only paths that measured faster than the ones below them where they run are kept (eight
// blocks interleaved in C++, AVX-512 gathers, and AVX2 gathers beside the scalar rounds
// measured no faster on our machines). The AVX2 path is kept for the 32-bit build, which
// has too few registers for the BMI1 path, for processors without AVX-512 VBMI.
enum class BlowfishPath {
    Interleave4,   // four blocks round by round; portable, runs everywhere
    Avx2Gather,    // eight blocks per AVX2 register, S-boxes looked up by gathers
    ScalarBmi,     // 64-bit x86 with BMI1: five blocks round by round in assembly
    ByteSliced,    // x86 with AVX-512 VBMI: 64 blocks, S-boxes looked up by byte permutes
};

constexpr BlowfishPath kBlowfishPaths[] = {BlowfishPath::Interleave4, BlowfishPath::Avx2Gather,
                                           BlowfishPath::ScalarBmi, BlowfishPath::ByteSliced};

// A short name, as the environment variable KST_BLOWFISH_PATH and the benchmarks spell it.
const char* BlowfishPathName(BlowfishPath path);
// Whether this build has the path at all (the BMI1 path is 64-bit x86 only, the
// byte-sliced one x86 only).
bool BlowfishPathInBuild(BlowfishPath path);
// Whether this build has the path and this processor and operating system can run it.
bool BlowfishPathSupported(BlowfishPath path);

// The path the block functions use now. Without forcing: the path named by
// KST_BLOWFISH_PATH when it is supported, otherwise the fastest supported one.
BlowfishPath BlowfishChosenPath();
// Makes the block functions use `path` (tests and benchmarks). A path the processor lacks
// is refused: false, and nothing changes.
bool BlowfishForcePath(BlowfishPath path);
// Back to the dispatcher's own choice.
void BlowfishUnforcePath();

// Runs one given path, whatever is chosen. False, with the bytes untouched, when the
// processor lacks it.
bool Blowfish_EncipherBlocksOn(BlowfishPath path, const BlowfishContext& context, uint8_t* bytes,
                               size_t blockCount, HalfOrder order);
bool Blowfish_DecipherBlocksOn(BlowfishPath path, const BlowfishContext& context, uint8_t* bytes,
                               size_t blockCount, HalfOrder order);
