// The portable path: four independent blocks round by round. While one block waits for
// its S-box loads the others have work, which a single block's strictly serial rounds
// cannot offer. Eight blocks measured slower: their sixteen halves no longer fit the
// registers.
#include "blowfish_block.h"

namespace blowfish_detail {

namespace {

// w holds the 2N halves of N consecutive blocks, left then right.
template <size_t N, Direction D>
inline void CipherGroup(const BlowfishContext& c, uint32_t* w)
{
    uint32_t l[N], r[N];
#pragma GCC unroll 16
    for (size_t i = 0; i < N; ++i) {
        l[i] = w[2 * i] ^ PWord<D>(c, 0);
        r[i] = w[2 * i + 1];
    }
#pragma GCC unroll 16
    for (int step = 1; step <= 16; step += 2) {
        const uint32_t odd = PWord<D>(c, step), even = PWord<D>(c, step + 1);
#pragma GCC unroll 16
        for (size_t i = 0; i < N; ++i)
            r[i] ^= RoundFunction(c, l[i]) ^ odd;
#pragma GCC unroll 16
        for (size_t i = 0; i < N; ++i)
            l[i] ^= RoundFunction(c, r[i]) ^ even;
    }
#pragma GCC unroll 16
    for (size_t i = 0; i < N; ++i) {
        w[2 * i] = r[i] ^ PWord<D>(c, 17);
        w[2 * i + 1] = l[i];
    }
}

template <size_t N, Direction D>
void TransformGroups(const BlowfishContext& c, uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    uint32_t w[2 * N];
    for (; blockCount >= N; blockCount -= N, bytes += 8 * N) {
        for (size_t i = 0; i < 2 * N; ++i) w[i] = LoadHalf(bytes + 4 * i, order);
        CipherGroup<N, D>(c, w);
        for (size_t i = 0; i < 2 * N; ++i) StoreHalf(bytes + 4 * i, w[i], order);
    }
    for (; blockCount > 0; --blockCount, bytes += 8) {
        uint32_t left = LoadHalf(bytes, order), right = LoadHalf(bytes + 4, order);
        CipherPair<D>(c, left, right);
        StoreHalf(bytes, left, order);
        StoreHalf(bytes + 4, right, order);
    }
}

}  // namespace

void TransformInterleaved4(const BlowfishContext& c, uint8_t* bytes, size_t blockCount, HalfOrder order,
                           Direction direction)
{
    WithDirection(direction, [&](auto d) { TransformGroups<4, decltype(d)::value>(c, bytes, blockCount, order); });
}

}  // namespace blowfish_detail
