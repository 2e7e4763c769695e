// The engine's building blocks, shared by every way of running it: the round function,
// one block on two locals, and how buffer bytes map onto the halves. Internal to cipher/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "blowfish.h"
#include "secret_bytes.h"

namespace blowfish_detail {

enum class Direction { Encipher, Decipher };

// Calls run with the direction as a compile-time constant (read it as decltype(d)::value),
// so that each path compiles the rounds of either direction as code of their own.
template <class Run>
inline void WithDirection(Direction direction, Run&& run)
{
    if (direction == Direction::Encipher)
        run(std::integral_constant<Direction, Direction::Encipher>());
    else
        run(std::integral_constant<Direction, Direction::Decipher>());
}

inline uint32_t RoundFunction(const BlowfishContext& c, uint32_t x)
{
    return ((c.S[0][x >> 24] + c.S[1][(x >> 16) & 0xFF]) ^ c.S[2][(x >> 8) & 0xFF]) +
           c.S[3][x & 0xFF];
}

// The P-word a step of the given direction folds in: steps 0..17, deciphering takes the
// array backwards.
template <Direction D>
inline uint32_t PWord(const BlowfishContext& c, int step)
{
    return D == Direction::Encipher ? c.P[step] : c.P[17 - step];
}

// L ^= P[0] first, then each round folds the following P-word into the half that the next
// round reads: the same order of operations as exchanging the halves 16 times. The two
// locals alternate their roles instead of being exchanged.
template <Direction D>
inline void CipherPair(const BlowfishContext& c, uint32_t& left, uint32_t& right)
{
    uint32_t l = left ^ PWord<D>(c, 0);
    uint32_t r = right;
    for (int step = 1; step <= 16; step += 2) {
        r ^= RoundFunction(c, l) ^ PWord<D>(c, step);
        l ^= RoundFunction(c, r) ^ PWord<D>(c, step + 1);
    }
    left = r ^ PWord<D>(c, 17);
    right = l;
}

inline uint32_t LoadHalf(const uint8_t* p, HalfOrder order)
{
    if (order == HalfOrder::LittleEndian)
        return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
    return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

inline void StoreHalf(uint8_t* p, uint32_t v, HalfOrder order)
{
    if (order == HalfOrder::LittleEndian) {
        p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
    } else {
        p[0] = uint8_t(v >> 24); p[1] = uint8_t(v >> 16); p[2] = uint8_t(v >> 8); p[3] = uint8_t(v);
    }
}

// One way of passing a run of whole blocks through the cipher, in place.
using BlockTransform = void (*)(const BlowfishContext& context, uint8_t* bytes, size_t blockCount,
                                HalfOrder order, Direction direction);

// The portable path: four blocks interleaved round by round.
void TransformInterleaved4(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order,
                           Direction direction);
// The vector path that looks the S-boxes up with AVX2 gathers; only called where the
// processor and the operating system support AVX2. The blocks that do not fill its
// registers go through the four-way path.
void TransformAvx2Gather(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order,
                         Direction direction);

// 64-bit x86 only (see its file): five blocks in assembly using BMI1's bextr.
void TransformScalarBmi(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order,
                        Direction direction);
// x86 only (see its file): 64 blocks byte-sliced with AVX-512 VBMI permutes. Its leftover
// blocks take the BMI1 path in the 64-bit build and the AVX2 path in the 32-bit one, so it
// is only called where the processor has that path too.
void TransformByteSliced(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order,
                         Direction direction);

// Whichever path the dispatcher chose (see blowfish_paths.h).
void TransformOnChosenPath(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order,
                           Direction direction);

}  // namespace blowfish_detail
