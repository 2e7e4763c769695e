// The vector path: each lane of a register holds one block's half, and every S-box
// lookup of a round is one gather for all eight lanes. Compiled for AVX2 per function, so
// the rest of the program runs on any processor of its architecture; the dispatcher calls
// it only where the processor and the operating system support AVX2.
#include "blowfish_block.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define KST_AVX2 __attribute__((target("avx2")))

namespace blowfish_detail {

namespace {

// Independent registers per step: a gather's latency is long and the rounds of one
// register are strictly serial. Measured: one register alone is slower than the four-way
// scalar path, two are faster, three no faster than two.
constexpr int kAvx2Groups = 2;

const int* Box(const BlowfishContext& c, int box)
{
    return reinterpret_cast<const int*>(c.S[box]);
}

KST_AVX2 inline __m256i RoundFunction8(const BlowfishContext& c, __m256i x)
{
    const __m256i low = _mm256_set1_epi32(0xFF);
    const __m256i a = _mm256_i32gather_epi32(Box(c, 0), _mm256_srli_epi32(x, 24), 4);
    const __m256i b = _mm256_i32gather_epi32(Box(c, 1), _mm256_and_si256(_mm256_srli_epi32(x, 16), low), 4);
    const __m256i d = _mm256_i32gather_epi32(Box(c, 2), _mm256_and_si256(_mm256_srli_epi32(x, 8), low), 4);
    const __m256i e = _mm256_i32gather_epi32(Box(c, 3), _mm256_and_si256(x, low), 4);
    return _mm256_add_epi32(_mm256_xor_si256(_mm256_add_epi32(a, b), d), e);
}

// Words arrive little-endian; the other order swaps the bytes of each word.
KST_AVX2 inline __m256i InOrder8(__m256i v, HalfOrder order)
{
    if (order == HalfOrder::LittleEndian)
        return v;
    const __m256i swap = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12,
                                          3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
    return _mm256_shuffle_epi8(v, swap);
}

// Eight blocks of memory (L0 R0 L1 R1 ...) into a register of lefts and one of rights.
KST_AVX2 inline void Load8(const uint8_t* p, HalfOrder order, __m256i& left, __m256i& right)
{
    const __m256i split = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    const __m256i a = _mm256_permutevar8x32_epi32(
        InOrder8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), order), split);
    const __m256i b = _mm256_permutevar8x32_epi32(
        InOrder8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32)), order), split);
    left = _mm256_permute2x128_si256(a, b, 0x20);
    right = _mm256_permute2x128_si256(a, b, 0x31);
}

KST_AVX2 inline void Store8(uint8_t* p, HalfOrder order, __m256i left, __m256i right)
{
    const __m256i join = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m256i a = _mm256_permutevar8x32_epi32(_mm256_permute2x128_si256(left, right, 0x20), join);
    const __m256i b = _mm256_permutevar8x32_epi32(_mm256_permute2x128_si256(left, right, 0x31), join);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), InOrder8(a, order));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), InOrder8(b, order));
}

template <Direction D>
KST_AVX2 void CipherAvx2(const BlowfishContext& c, uint8_t* bytes, size_t groups, HalfOrder order)
{
    constexpr size_t kBytes = 64 * kAvx2Groups;
    for (; groups > 0; --groups, bytes += kBytes) {
        __m256i l[kAvx2Groups], r[kAvx2Groups];
        const __m256i first = _mm256_set1_epi32(int(PWord<D>(c, 0)));
        for (int g = 0; g < kAvx2Groups; ++g) {
            Load8(bytes + 64 * g, order, l[g], r[g]);
            l[g] = _mm256_xor_si256(l[g], first);
        }
        for (int step = 1; step <= 16; step += 2) {
            const __m256i odd = _mm256_set1_epi32(int(PWord<D>(c, step)));
            const __m256i even = _mm256_set1_epi32(int(PWord<D>(c, step + 1)));
            for (int g = 0; g < kAvx2Groups; ++g)
                r[g] = _mm256_xor_si256(r[g], _mm256_xor_si256(RoundFunction8(c, l[g]), odd));
            for (int g = 0; g < kAvx2Groups; ++g)
                l[g] = _mm256_xor_si256(l[g], _mm256_xor_si256(RoundFunction8(c, r[g]), even));
        }
        const __m256i last = _mm256_set1_epi32(int(PWord<D>(c, 17)));
        for (int g = 0; g < kAvx2Groups; ++g)
            Store8(bytes + 64 * g, order, _mm256_xor_si256(r[g], last), l[g]);
    }
}

}  // namespace

void TransformAvx2Gather(const BlowfishContext& c, uint8_t* bytes, size_t blockCount, HalfOrder order,
                         Direction direction)
{
    constexpr size_t kBlocks = 8 * kAvx2Groups;
    const size_t groups = blockCount / kBlocks;
    WithDirection(direction, [&](auto d) { CipherAvx2<decltype(d)::value>(c, bytes, groups, order); });
    TransformInterleaved4(c, bytes + groups * kBlocks * 8, blockCount % kBlocks, order, direction);
}

}  // namespace blowfish_detail

#endif
