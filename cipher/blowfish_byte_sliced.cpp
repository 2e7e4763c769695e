// The byte-sliced path for 64-bit x86 with AVX-512 VBMI: 64 blocks at a time, each byte
// of their halves in a register of its own (byte i of a register belongs to block i). An
// S-box lookup is then a byte permute of the box's tables, 64 blocks per instruction and
// no loads from the box at all, which is what the scalar paths wait on. The price is
// the additions: a 32-bit sum is built from byte sums and their carries.
//
// The S-boxes are sliced the same way, once per call: byte k of all 256 words of a box
// is a 256-byte table, four 64-byte registers, which two two-register permutes and a
// blend on the index's top bit look up.
#include "blowfish_block.h"

#if defined(__x86_64__)

#include <immintrin.h>

#define KST_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi"), always_inline)) inline

namespace blowfish_detail {

namespace {

constexpr size_t kBlocks = 64;

struct alignas(64) SlicedBoxes {
    uint8_t byte[4][4][256];  // [box][byte of the word, least significant first][entry]
};

void SliceBoxes(const BlowfishContext& c, SlicedBoxes& sliced)
{
    for (int box = 0; box < 4; ++box)
        for (int entry = 0; entry < 256; ++entry)
            for (int k = 0; k < 4; ++k)
                sliced.byte[box][k][entry] = uint8_t(c.S[box][entry] >> (8 * k));
}

// Byte 8m+b takes byte 8b+m: in a register of eight blocks, byte m of each block gathers
// into the register's m-th eight bytes. Its own inverse.
KST_AVX512 __m512i TransposeBytesOfEightBlocks(__m512i v)
{
    const __m512i index = _mm512_set_epi8(
        63, 55, 47, 39, 31, 23, 15, 7, 62, 54, 46, 38, 30, 22, 14, 6, 61, 53, 45, 37, 29, 21, 13, 5,
        60, 52, 44, 36, 28, 20, 12, 4, 59, 51, 43, 35, 27, 19, 11, 3, 58, 50, 42, 34, 26, 18, 10, 2,
        57, 49, 41, 33, 25, 17, 9, 1, 56, 48, 40, 32, 24, 16, 8, 0);
    // The two-register permute with one register twice: the one-register form trips a
    // false uninitialised-value warning in GCC 12's header.
    return _mm512_permutex2var_epi8(v, index, v);
}

// Eight registers as an 8x8 matrix of 64-bit words, transposed in three rounds of
// two-register permutes. Its own inverse.
KST_AVX512 void TransposeWords(__m512i (&w)[8])
{
    const __m512i pairsLow = _mm512_set_epi64(11, 3, 10, 2, 9, 1, 8, 0);
    const __m512i pairsHigh = _mm512_set_epi64(15, 7, 14, 6, 13, 5, 12, 4);
    const __m512i quadsLow = _mm512_set_epi64(11, 10, 3, 2, 9, 8, 1, 0);
    const __m512i quadsHigh = _mm512_set_epi64(15, 14, 7, 6, 13, 12, 5, 4);
    const __m512i halvesLow = _mm512_set_epi64(11, 10, 9, 8, 3, 2, 1, 0);
    const __m512i halvesHigh = _mm512_set_epi64(15, 14, 13, 12, 7, 6, 5, 4);
    __m512i pairs[8], quads[8];
#pragma GCC unroll 8
    for (int j = 0; j < 8; j += 2) {  // columns 0-3 (low) and 4-7 (high) of rows j, j+1
        pairs[j] = _mm512_permutex2var_epi64(w[j], pairsLow, w[j + 1]);
        pairs[j + 1] = _mm512_permutex2var_epi64(w[j], pairsHigh, w[j + 1]);
    }
#pragma GCC unroll 8
    for (int g = 0; g < 2; ++g)      // rows 4g..4g+3
#pragma GCC unroll 8
        for (int h = 0; h < 2; ++h) {  // columns 4h..4h+3, two at a time
            quads[4 * g + 2 * h] = _mm512_permutex2var_epi64(pairs[4 * g + h], quadsLow, pairs[4 * g + 2 + h]);
            quads[4 * g + 2 * h + 1] = _mm512_permutex2var_epi64(pairs[4 * g + h], quadsHigh, pairs[4 * g + 2 + h]);
        }
#pragma GCC unroll 8
    for (int q = 0; q < 4; ++q) {  // columns 2q, 2q+1 of all eight rows
        w[2 * q] = _mm512_permutex2var_epi64(quads[q], halvesLow, quads[4 + q]);
        w[2 * q + 1] = _mm512_permutex2var_epi64(quads[q], halvesHigh, quads[4 + q]);
    }
}

// 64 32-bit words as four byte registers, least significant first.
struct Words {
    __m512i byte[4];
};

KST_AVX512 Words Lookup(const SlicedBoxes& boxes, int box, __m512i index)
{
    const __mmask64 upperHalf = _mm512_movepi8_mask(index);
    Words words;
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) {
        const __m512i* table = reinterpret_cast<const __m512i*>(boxes.byte[box][k]);
        const __m512i lower = _mm512_permutex2var_epi8(_mm512_load_si512(table), index, _mm512_load_si512(table + 1));
        const __m512i upper =
            _mm512_permutex2var_epi8(_mm512_load_si512(table + 2), index, _mm512_load_si512(table + 3));
        words.byte[k] = _mm512_mask_blend_epi8(upperHalf, lower, upper);
    }
    return words;
}

// Byte sums, each carry added into the next byte: a carry comes out of a byte when its
// sum wrapped, or when the incoming carry made it wrap to zero.
KST_AVX512 Words Add(const Words& a, const Words& b)
{
    const __m512i one = _mm512_set1_epi8(1), zero = _mm512_setzero_si512();
    Words sum;
    sum.byte[0] = _mm512_add_epi8(a.byte[0], b.byte[0]);
    __mmask64 carry = _mm512_cmplt_epu8_mask(sum.byte[0], a.byte[0]);
#pragma GCC unroll 2
    for (int k = 1; k < 3; ++k) {
        const __m512i plain = _mm512_add_epi8(a.byte[k], b.byte[k]);
        const __mmask64 wrapped = _mm512_cmplt_epu8_mask(plain, a.byte[k]);
        sum.byte[k] = _mm512_mask_add_epi8(plain, carry, plain, one);
        carry = wrapped | _mm512_mask_cmpeq_epi8_mask(carry, sum.byte[k], zero);
    }
    const __m512i plain = _mm512_add_epi8(a.byte[3], b.byte[3]);
    sum.byte[3] = _mm512_mask_add_epi8(plain, carry, plain, one);
    return sum;
}

KST_AVX512 __m512i Broadcast(uint32_t word, int k)
{
    return _mm512_set1_epi8(char(word >> (8 * k)));
}

// y ^= F(x) ^ p, F as the one-block engine computes it.
KST_AVX512 void Round(const SlicedBoxes& boxes, const Words& x, Words& y, uint32_t p)
{
    Words f = Add(Lookup(boxes, 0, x.byte[3]), Lookup(boxes, 1, x.byte[2]));
    const Words third = Lookup(boxes, 2, x.byte[1]);
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k) f.byte[k] = _mm512_xor_si512(f.byte[k], third.byte[k]);
    f = Add(f, Lookup(boxes, 3, x.byte[0]));
#pragma GCC unroll 4
    for (int k = 0; k < 4; ++k)
        y.byte[k] = _mm512_ternarylogic_epi32(y.byte[k], f.byte[k], Broadcast(p, k), 0x96);  // three-way xor
}

// Which of a block's eight bytes holds byte k (least significant first) of its left or
// right half.
constexpr int ByteOfHalf(HalfOrder order, int half, int k)
{
    return 4 * half + (order == HalfOrder::LittleEndian ? k : 3 - k);
}

template <Direction D, HalfOrder O>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void CipherGroups(const BlowfishContext& c,
                                                                        const SlicedBoxes& boxes,
                                                                        uint8_t* bytes, size_t groups)
{
    for (; groups > 0; --groups, bytes += 8 * kBlocks) {
        __m512i w[8];  // w[m]: byte m of every block, once transposed
#pragma GCC unroll 8
        for (int j = 0; j < 8; ++j) w[j] = TransposeBytesOfEightBlocks(_mm512_loadu_si512(bytes + 64 * j));
        TransposeWords(w);
        Words l, r;
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) {
            l.byte[k] = _mm512_xor_si512(w[ByteOfHalf(O, 0, k)], Broadcast(PWord<D>(c, 0), k));
            r.byte[k] = w[ByteOfHalf(O, 1, k)];
        }
#pragma GCC unroll 8
        for (int step = 1; step <= 16; step += 2) {
            Round(boxes, l, r, PWord<D>(c, step));
            Round(boxes, r, l, PWord<D>(c, step + 1));
        }
#pragma GCC unroll 4
        for (int k = 0; k < 4; ++k) {
            w[ByteOfHalf(O, 0, k)] = _mm512_xor_si512(r.byte[k], Broadcast(PWord<D>(c, 17), k));
            w[ByteOfHalf(O, 1, k)] = l.byte[k];
        }
        TransposeWords(w);
#pragma GCC unroll 8
        for (int j = 0; j < 8; ++j) _mm512_storeu_si512(bytes + 64 * j, TransposeBytesOfEightBlocks(w[j]));
    }
}

template <Direction D>
void CipherGroups(const BlowfishContext& c, const SlicedBoxes& boxes, uint8_t* bytes, size_t groups,
                  HalfOrder order)
{
    if (order == HalfOrder::LittleEndian)
        CipherGroups<D, HalfOrder::LittleEndian>(c, boxes, bytes, groups);
    else
        CipherGroups<D, HalfOrder::BigEndian>(c, boxes, bytes, groups);
}

}  // namespace

void TransformByteSliced(const BlowfishContext& c, uint8_t* bytes, size_t blockCount, HalfOrder order,
                         Direction direction)
{
    const size_t groups = blockCount / kBlocks;
    if (groups > 0) {
        // Derived from the key: wiped before the stack frame is given back.
        SlicedBoxes boxes;
        SliceBoxes(c, boxes);
        WithDirection(direction, [&](auto d) { CipherGroups<decltype(d)::value>(c, boxes, bytes, groups, order); });
        WipeBytes(&boxes, sizeof boxes);
    }
    TransformScalarBmi(c, bytes + 8 * kBlocks * groups, blockCount % kBlocks, order, direction);
}

}  // namespace blowfish_detail

#endif
