// The Blowfish engine: one keyed state for the whole process, rounds written out on
// two local words so that a block costs no calls and no memory traffic but table loads.
#include "blowfish.h"

#include <cstring>

namespace {

BlowfishContext g_state = kBlowfishInitialTables;

inline uint32_t RoundFunction(const BlowfishContext& c, uint32_t x)
{
    return ((c.S[0][x >> 24] + c.S[1][(x >> 16) & 0xFF]) ^ c.S[2][(x >> 8) & 0xFF]) +
           c.S[3][x & 0xFF];
}

// One round on the pair (a, b): b takes F(a) after a took its P-word. The caller
// alternates the roles of the two locals instead of exchanging them.
#define KST_ROUND(a, b, n) \
    b ^= RoundFunction(c, a) ^ c.P[n]

// L ^= P[0] first, then the rounds fold each following P-word into the half that the
// next round reads: the same order of operations as exchanging the halves 16 times.
inline void EncipherPair(const BlowfishContext& c, uint32_t& left, uint32_t& right)
{
    uint32_t l = left ^ c.P[0];
    uint32_t r = right;
    KST_ROUND(l, r, 1);  KST_ROUND(r, l, 2);
    KST_ROUND(l, r, 3);  KST_ROUND(r, l, 4);
    KST_ROUND(l, r, 5);  KST_ROUND(r, l, 6);
    KST_ROUND(l, r, 7);  KST_ROUND(r, l, 8);
    KST_ROUND(l, r, 9);  KST_ROUND(r, l, 10);
    KST_ROUND(l, r, 11); KST_ROUND(r, l, 12);
    KST_ROUND(l, r, 13); KST_ROUND(r, l, 14);
    KST_ROUND(l, r, 15); KST_ROUND(r, l, 16);
    left = r ^ c.P[17];
    right = l;
}

inline void DecipherPair(const BlowfishContext& c, uint32_t& left, uint32_t& right)
{
    uint32_t l = left ^ c.P[17];
    uint32_t r = right;
    KST_ROUND(l, r, 16); KST_ROUND(r, l, 15);
    KST_ROUND(l, r, 14); KST_ROUND(r, l, 13);
    KST_ROUND(l, r, 12); KST_ROUND(r, l, 11);
    KST_ROUND(l, r, 10); KST_ROUND(r, l, 9);
    KST_ROUND(l, r, 8);  KST_ROUND(r, l, 7);
    KST_ROUND(l, r, 6);  KST_ROUND(r, l, 5);
    KST_ROUND(l, r, 4);  KST_ROUND(r, l, 3);
    KST_ROUND(l, r, 2);  KST_ROUND(r, l, 1);
    left = r ^ c.P[0];
    right = l;
}

// Four independent blocks, round by round: while one block waits for its S-box loads
// the others have work, which a single block's strictly serial rounds cannot offer.
#define KST_ROUND4(a, b, n)                                                  \
    do {                                                                     \
        const uint32_t pw = c.P[n];                                          \
        b##0 ^= RoundFunction(c, a##0) ^ pw;                                 \
        b##1 ^= RoundFunction(c, a##1) ^ pw;                                 \
        b##2 ^= RoundFunction(c, a##2) ^ pw;                                 \
        b##3 ^= RoundFunction(c, a##3) ^ pw;                                 \
    } while (0)

inline void EncipherFour(const BlowfishContext& c, uint32_t* w)
{
    const uint32_t p0 = c.P[0];
    uint32_t l0 = w[0] ^ p0, l1 = w[2] ^ p0, l2 = w[4] ^ p0, l3 = w[6] ^ p0;
    uint32_t r0 = w[1], r1 = w[3], r2 = w[5], r3 = w[7];
    KST_ROUND4(l, r, 1);  KST_ROUND4(r, l, 2);
    KST_ROUND4(l, r, 3);  KST_ROUND4(r, l, 4);
    KST_ROUND4(l, r, 5);  KST_ROUND4(r, l, 6);
    KST_ROUND4(l, r, 7);  KST_ROUND4(r, l, 8);
    KST_ROUND4(l, r, 9);  KST_ROUND4(r, l, 10);
    KST_ROUND4(l, r, 11); KST_ROUND4(r, l, 12);
    KST_ROUND4(l, r, 13); KST_ROUND4(r, l, 14);
    KST_ROUND4(l, r, 15); KST_ROUND4(r, l, 16);
    const uint32_t p17 = c.P[17];
    w[0] = r0 ^ p17; w[1] = l0;
    w[2] = r1 ^ p17; w[3] = l1;
    w[4] = r2 ^ p17; w[5] = l2;
    w[6] = r3 ^ p17; w[7] = l3;
}

inline void DecipherFour(const BlowfishContext& c, uint32_t* w)
{
    const uint32_t p17 = c.P[17];
    uint32_t l0 = w[0] ^ p17, l1 = w[2] ^ p17, l2 = w[4] ^ p17, l3 = w[6] ^ p17;
    uint32_t r0 = w[1], r1 = w[3], r2 = w[5], r3 = w[7];
    KST_ROUND4(l, r, 16); KST_ROUND4(r, l, 15);
    KST_ROUND4(l, r, 14); KST_ROUND4(r, l, 13);
    KST_ROUND4(l, r, 12); KST_ROUND4(r, l, 11);
    KST_ROUND4(l, r, 10); KST_ROUND4(r, l, 9);
    KST_ROUND4(l, r, 8);  KST_ROUND4(r, l, 7);
    KST_ROUND4(l, r, 6);  KST_ROUND4(r, l, 5);
    KST_ROUND4(l, r, 4);  KST_ROUND4(r, l, 3);
    KST_ROUND4(l, r, 2);  KST_ROUND4(r, l, 1);
    const uint32_t p0 = c.P[0];
    w[0] = r0 ^ p0; w[1] = l0;
    w[2] = r1 ^ p0; w[3] = l1;
    w[4] = r2 ^ p0; w[5] = l2;
    w[6] = r3 ^ p0; w[7] = l3;
}

#undef KST_ROUND4
#undef KST_ROUND

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

template <void (*Four)(const BlowfishContext&, uint32_t*),
          void (*One)(const BlowfishContext&, uint32_t&, uint32_t&)>
void TransformBlocks(const BlowfishContext& c, uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    uint32_t w[8];
    for (; blockCount >= 4; blockCount -= 4, bytes += 32) {
        for (int i = 0; i < 8; ++i) w[i] = LoadHalf(bytes + 4 * i, order);
        Four(c, w);
        for (int i = 0; i < 8; ++i) StoreHalf(bytes + 4 * i, w[i], order);
    }
    for (; blockCount > 0; --blockCount, bytes += 8) {
        uint32_t left = LoadHalf(bytes, order), right = LoadHalf(bytes + 4, order);
        One(c, left, right);
        StoreHalf(bytes, left, order);
        StoreHalf(bytes + 4, right, order);
    }
}

}  // namespace

const BlowfishContext& Blowfish_State()
{
    return g_state;
}

void Blowfish_Reset()
{
    Blowfish_Reset(g_state);
}

int16_t Blowfish_Init(const uint8_t* key, int16_t length)
{
    return Blowfish_Init(g_state, key, length);
}

void Blowfish_Encipher(uint32_t& left, uint32_t& right)
{
    EncipherPair(g_state, left, right);
}

void Blowfish_Decipher(uint32_t& left, uint32_t& right)
{
    DecipherPair(g_state, left, right);
}

void Blowfish_EncipherBlocks(uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformBlocks<EncipherFour, EncipherPair>(g_state, bytes, blockCount, order);
}

void Blowfish_DecipherBlocks(uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformBlocks<DecipherFour, DecipherPair>(g_state, bytes, blockCount, order);
}

void Blowfish_Reset(BlowfishContext& context)
{
    std::memcpy(context.P, kBlowfishInitialTables.P, sizeof context.P);
    std::memcpy(context.S, kBlowfishInitialTables.S, sizeof context.S);
}

int16_t Blowfish_Init(BlowfishContext& context, const uint8_t* key, int16_t length)
{
    Blowfish_Reset(context);
    // No key bytes means no key material: the state stays at the initial tables rather
    // than reducing indices modulo zero.
    if (key == nullptr || length <= 0)
        return 0;

    const size_t n = size_t(length);
    size_t j = 0;
    for (uint32_t& word : context.P) {
        uint32_t d = 0;
        for (int b = 0; b < 4; ++b) {
            d = d << 8 | key[j];
            j = j + 1 == n ? 0 : j + 1;
        }
        word ^= d;
    }

    uint32_t left = 0, right = 0;
    for (size_t i = 0; i < 18; i += 2) {
        EncipherPair(context, left, right);
        context.P[i] = left;
        context.P[i + 1] = right;
    }
    for (auto& box : context.S) {
        for (size_t m = 0; m < 256; m += 2) {
            EncipherPair(context, left, right);
            box[m] = left;
            box[m + 1] = right;
        }
    }
    return 0;
}

void Blowfish_EncipherBlocks(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformBlocks<EncipherFour, EncipherPair>(context, bytes, blockCount, order);
}

void Blowfish_DecipherBlocks(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformBlocks<DecipherFour, DecipherPair>(context, bytes, blockCount, order);
}

void Blowfish_Wipe(BlowfishContext& context)
{
    // Through a volatile pointer, so that wiping a context about to die is not optimised away.
    volatile uint32_t* word = context.P;
    for (size_t i = 0; i < sizeof context.P / sizeof *word; ++i)
        word[i] = 0;
    for (auto& box : context.S) {
        volatile uint32_t* entry = box;
        for (size_t i = 0; i < 256; ++i)
            entry[i] = 0;
    }
}
