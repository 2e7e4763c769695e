// The scalar path for 64-bit x86 with BMI1: five blocks round by round, written in
// assembly because the compiler's own code for the same rounds spends half again as many
// instructions on moving and masking bytes. A round of one block is then nine arithmetic
// instructions (one bextr per middle byte) and five loads, and five blocks keep the four
// integer units busy while each block waits on its loads. Five blocks take fifteen of the
// sixteen registers, so the 32-bit build, with eight, does without this path.
#include "blowfish_block.h"

#if defined(__x86_64__)

#include <cstddef>

namespace blowfish_detail {

namespace {

constexpr size_t kBlocks = 5;

// bextr's control word: the start bit, and the length (8) in the second byte.
constexpr uint32_t kSecondByte = 0x0810;
constexpr uint32_t kThirdByte = 0x0808;

// Y ^= F(X) ^ P: F's four S-box loads folded into the arithmetic that combines them, the
// P-word read from the context beside the boxes.
#define KST_BLOWFISH_ROUND(X, Y)                                    \
    "movl %k[" #X "], %k[f]\n\t"                                    \
    "shrl $24, %k[f]\n\t"                                           \
    "bextrl %k[second], %k[" #X "], %k[t]\n\t"                      \
    "movl %c[box0](%[c],%q[f],4), %k[f]\n\t"                        \
    "addl %c[box1](%[c],%q[t],4), %k[f]\n\t"                        \
    "bextrl %k[third], %k[" #X "], %k[t]\n\t"                       \
    "xorl %c[box2](%[c],%q[t],4), %k[f]\n\t"                        \
    "movzbl %b[" #X "], %k[t]\n\t"                                  \
    "addl %c[box3](%[c],%q[t],4), %k[f]\n\t"                        \
    "xorl %c[p](%[c]), %k[" #Y "]\n\t"                              \
    "xorl %k[f], %k[" #Y "]\n\t"

// One round of all five blocks; P is the byte offset of the round's P-word in the context.
template <size_t P>
__attribute__((target("bmi"))) inline void Round(const BlowfishContext& c, const uint32_t (&x)[kBlocks],
                                                 uint32_t (&y)[kBlocks])
{
    uint32_t f, t;
    asm(KST_BLOWFISH_ROUND(x0, y0) KST_BLOWFISH_ROUND(x1, y1) KST_BLOWFISH_ROUND(x2, y2)
            KST_BLOWFISH_ROUND(x3, y3) KST_BLOWFISH_ROUND(x4, y4)
        : [y0] "+r"(y[0]), [y1] "+r"(y[1]), [y2] "+r"(y[2]), [y3] "+r"(y[3]), [y4] "+r"(y[4]), [f] "=&r"(f),
          [t] "=&r"(t)
        : [x0] "r"(x[0]), [x1] "r"(x[1]), [x2] "r"(x[2]), [x3] "r"(x[3]), [x4] "r"(x[4]), [c] "r"(&c),
          [second] "r"(kSecondByte), [third] "r"(kThirdByte), [p] "i"(P),
          [box0] "i"(offsetof(BlowfishContext, S) + 0 * sizeof c.S[0]),
          [box1] "i"(offsetof(BlowfishContext, S) + 1 * sizeof c.S[0]),
          [box2] "i"(offsetof(BlowfishContext, S) + 2 * sizeof c.S[0]),
          [box3] "i"(offsetof(BlowfishContext, S) + 3 * sizeof c.S[0])
        : "cc");
}

#undef KST_BLOWFISH_ROUND

template <Direction D, int Step>
constexpr size_t POffset()
{
    return offsetof(BlowfishContext, P) + sizeof(uint32_t) * size_t(D == Direction::Encipher ? Step : 17 - Step);
}

// Rounds Step..16, the halves trading roles as the one-block engine's locals do.
template <Direction D, int Step>
__attribute__((target("bmi"))) inline void Rounds(const BlowfishContext& c, uint32_t (&l)[kBlocks],
                                                  uint32_t (&r)[kBlocks])
{
    if constexpr (Step <= 16) {
        if constexpr (Step % 2 == 1)
            Round<POffset<D, Step>()>(c, l, r);
        else
            Round<POffset<D, Step>()>(c, r, l);
        Rounds<D, Step + 1>(c, l, r);
    }
}

template <Direction D>
__attribute__((target("bmi"))) void CipherGroups(const BlowfishContext& c, uint8_t* bytes, size_t groups,
                                                 HalfOrder order)
{
    for (; groups > 0; --groups, bytes += 8 * kBlocks) {
        uint32_t l[kBlocks], r[kBlocks];
        for (size_t i = 0; i < kBlocks; ++i) {
            l[i] = LoadHalf(bytes + 8 * i, order) ^ PWord<D>(c, 0);
            r[i] = LoadHalf(bytes + 8 * i + 4, order);
        }
        Rounds<D, 1>(c, l, r);
        for (size_t i = 0; i < kBlocks; ++i) {
            StoreHalf(bytes + 8 * i, r[i] ^ PWord<D>(c, 17), order);
            StoreHalf(bytes + 8 * i + 4, l[i], order);
        }
    }
}

}  // namespace

void TransformScalarBmi(const BlowfishContext& c, uint8_t* bytes, size_t blockCount, HalfOrder order,
                        Direction direction)
{
    const size_t groups = blockCount / kBlocks;
    WithDirection(direction, [&](auto d) { CipherGroups<decltype(d)::value>(c, bytes, groups, order); });
    TransformInterleaved4(c, bytes + 8 * kBlocks * groups, blockCount % kBlocks, order, direction);
}

}  // namespace blowfish_detail

#endif
