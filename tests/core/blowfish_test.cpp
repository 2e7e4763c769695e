// The engine against the published vectors, OpenSSL's Blowfish, and the properties of
// its key schedule.
#include "blowfish.h"
#include "blowfish_key_context.h"
#include "published_vectors.h"

#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> BigEndianBytes(uint64_t value)
{
    std::vector<uint8_t> bytes(8);
    for (int i = 0; i < 8; ++i) bytes[i] = uint8_t(value >> (56 - 8 * i));
    return bytes;
}

void Key(const std::vector<uint8_t>& key)
{
    Blowfish_Init(key.data(), int16_t(key.size()));
}

bool SameState(const BlowfishContext& a, const BlowfishContext& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes) b = uint8_t(rng());
    return bytes;
}

TEST(BlowfishTables, HoldThePublishedAnchors)
{
    const BlowfishContext& t = kBlowfishInitialTables;
    EXPECT_EQ(t.P[0], 0x243F6A88u);
    EXPECT_EQ(t.P[1], 0x85A308D3u);
    EXPECT_EQ(t.P[17], 0x8979FB1Bu);
    EXPECT_EQ(t.S[0][0], 0xD1310BA6u);
    EXPECT_EQ(t.S[3][255], 0x3AC372E6u);
}

TEST(BlowfishTables, ResetRestoresThemAfterKeying)
{
    const uint8_t key[] = {1, 2, 3};
    Blowfish_Init(key, 3);
    EXPECT_FALSE(SameState(Blowfish_State(), kBlowfishInitialTables));
    Blowfish_Reset();
    EXPECT_TRUE(SameState(Blowfish_State(), kBlowfishInitialTables));
}

TEST(BlowfishCipher, PublishedVectorsHoldBothWays)
{
    for (const PublishedVector& v : kPublishedVectors) {
        Key(BigEndianBytes(v.key));
        uint32_t left = uint32_t(v.plain >> 32), right = uint32_t(v.plain);
        Blowfish_Encipher(left, right);
        EXPECT_EQ((uint64_t(left) << 32 | right), v.cipher) << std::hex << "key " << v.key;
        Blowfish_Decipher(left, right);
        EXPECT_EQ((uint64_t(left) << 32 | right), v.plain) << std::hex << "key " << v.key;
    }
}

TEST(BlowfishCipher, AgreesWithOpenSslForKeysOfEveryLengthUpTo100)
{
    std::mt19937 rng(7);
    for (size_t length = 1; length <= 100; ++length) {
        const auto key = RandomBytes(rng, length);
        auto block = RandomBytes(rng, 8);

        BF_KEY reference;
        BF_set_key(&reference, int(length), key.data());
        uint8_t expected[8];
        BF_ecb_encrypt(block.data(), expected, &reference, BF_ENCRYPT);

        Key(key);
        Blowfish_EncipherBlocks(block.data(), 1, HalfOrder::BigEndian);
        EXPECT_EQ(0, std::memcmp(block.data(), expected, 8)) << "key length " << length;
    }
}

TEST(BlowfishKeySchedule, OneByteKeyEqualsThatByteSeventyTwoTimes)
{
    for (uint8_t byte : {0x00, 0x41, 0x7F, 0x80, 0xFF}) {
        Key({byte});
        const BlowfishContext once = Blowfish_State();
        Key(std::vector<uint8_t>(72, byte));
        EXPECT_TRUE(SameState(once, Blowfish_State())) << int(byte);
    }
}

TEST(BlowfishKeySchedule, OnlyTheFirstSeventyTwoBytesCount)
{
    std::mt19937 rng(11);
    const auto prefix = RandomBytes(rng, 72);
    Key(prefix);
    const BlowfishContext reference = Blowfish_State();
    for (size_t extra : {1u, 7u, 100u, 32767u - 72u}) {
        auto longer = prefix;
        const auto tail = RandomBytes(rng, extra);
        longer.insert(longer.end(), tail.begin(), tail.end());
        Key(longer);
        EXPECT_TRUE(SameState(reference, Blowfish_State())) << "extra " << extra;
    }
    auto differentAt72 = prefix;
    differentAt72[71] ^= 1;
    Key(differentAt72);
    EXPECT_FALSE(SameState(reference, Blowfish_State()));
}

TEST(BlowfishKeySchedule, HighBytesEnterUnsigned)
{
    // 0x80 sign-extended would put 0xFFFFFF80 into the key words: compare the first
    // key word against the published tables directly.
    const std::vector<uint8_t> key = {0x80, 0xFF, 0x90, 0xA0};
    Key(key);
    const BlowfishContext highKey = Blowfish_State();
    BF_KEY reference;
    BF_set_key(&reference, 4, key.data());
    EXPECT_EQ(0, std::memcmp(highKey.P, reference.P, sizeof highKey.P));
    EXPECT_EQ(0, std::memcmp(highKey.S, reference.S, sizeof highKey.S));
}

TEST(BlowfishKeySchedule, RekeyingGivesTheSameStateWhateverCameBetween)
{
    const std::vector<uint8_t> key = {'s', 'e', 'c', 'r', 'e', 't'};
    Key(key);
    const BlowfishContext first = Blowfish_State();
    Key({'o', 't', 'h', 'e', 'r'});
    EXPECT_FALSE(SameState(first, Blowfish_State()));
    Key(key);
    EXPECT_TRUE(SameState(first, Blowfish_State()));
}

TEST(BlowfishKeySchedule, EmptyOrNegativeLengthLeavesTheInitialTables)
{
    const uint8_t key[] = {9, 8, 7};
    for (int16_t length : {int16_t(0), int16_t(-1), int16_t(-32768)}) {
        Blowfish_Init(key, 3);
        EXPECT_EQ(Blowfish_Init(key, length), 0);
        EXPECT_TRUE(SameState(Blowfish_State(), kBlowfishInitialTables)) << length;
    }
    Blowfish_Init(nullptr, 0);
    EXPECT_TRUE(SameState(Blowfish_State(), kBlowfishInitialTables));
}

TEST(BlowfishCipher, DecipherUndoesEncipher)
{
    std::mt19937 rng(3);
    for (int k = 0; k < 20; ++k) {
        Key(RandomBytes(rng, 1 + rng() % 56));
        for (int b = 0; b < 200; ++b) {
            const uint32_t left = rng(), right = rng();
            uint32_t l = left, r = right;
            Blowfish_Encipher(l, r);
            EXPECT_FALSE(l == left && r == right);
            Blowfish_Decipher(l, r);
            ASSERT_EQ(l, left);
            ASSERT_EQ(r, right);
        }
    }
}

void EncipherOneByOne(uint8_t* bytes, size_t blocks, HalfOrder order, bool decipher)
{
    for (size_t i = 0; i < blocks; ++i) {
        uint8_t* p = bytes + 8 * i;
        auto load = [order](const uint8_t* q) {
            return order == HalfOrder::LittleEndian
                       ? uint32_t(q[0] | q[1] << 8 | q[2] << 16 | uint32_t(q[3]) << 24)
                       : uint32_t(uint32_t(q[0]) << 24 | q[1] << 16 | q[2] << 8 | q[3]);
        };
        auto store = [order](uint8_t* q, uint32_t v) {
            for (int j = 0; j < 4; ++j)
                q[j] = uint8_t(order == HalfOrder::LittleEndian ? v >> (8 * j) : v >> (24 - 8 * j));
        };
        uint32_t left = load(p), right = load(p + 4);
        if (decipher)
            Blowfish_Decipher(left, right);
        else
            Blowfish_Encipher(left, right);
        store(p, left);
        store(p + 4, right);
    }
}

TEST(BlowfishBlocks, InterleavedPathMatchesBlockByBlock)
{
    std::mt19937 rng(5);
    Key(RandomBytes(rng, 16));
    for (HalfOrder order : {HalfOrder::LittleEndian, HalfOrder::BigEndian}) {
        for (size_t blocks = 0; blocks <= 40; ++blocks) {
            const auto plain = RandomBytes(rng, 8 * blocks);
            auto fast = plain, slow = plain;
            Blowfish_EncipherBlocks(fast.data(), blocks, order);
            EncipherOneByOne(slow.data(), blocks, order, false);
            ASSERT_EQ(fast, slow) << blocks << " blocks";
            Blowfish_DecipherBlocks(fast.data(), blocks, order);
            EncipherOneByOne(slow.data(), blocks, order, true);
            ASSERT_EQ(fast, slow) << blocks << " blocks";
            ASSERT_EQ(fast, plain);
        }
    }
}

TEST(BlowfishBlocks, BigEndianOrderMatchesOpenSslEcb)
{
    std::mt19937 rng(9);
    const auto key = RandomBytes(rng, 20);
    Key(key);
    BF_KEY reference;
    BF_set_key(&reference, int(key.size()), key.data());
    auto data = RandomBytes(rng, 8 * 1001);
    std::vector<uint8_t> expected(data.size());
    for (size_t i = 0; i < data.size(); i += 8)
        BF_ecb_encrypt(data.data() + i, expected.data() + i, &reference, BF_ENCRYPT);
    Blowfish_EncipherBlocks(data.data(), 1001, HalfOrder::BigEndian);
    EXPECT_EQ(data, expected);
}

TEST(BlowfishContextApi, OwnContextAgreesWithTheProcessWideStateAndLeavesItAlone)
{
    std::mt19937 rng(11);
    for (size_t keyLength : {1u, 7u, 56u, 80u}) {
        const auto key = RandomBytes(rng, keyLength);
        Key(key);
        BlowfishContext own;
        Blowfish_Init(own, key.data(), int16_t(key.size()));
        EXPECT_EQ(std::memcmp(&own, &Blowfish_State(), sizeof own), 0) << keyLength;

        // Keying another context must not disturb the process-wide one.
        BlowfishContext other;
        Blowfish_Init(other, reinterpret_cast<const uint8_t*>("other"), 5);
        const auto plain = RandomBytes(rng, 8 * 13);
        auto global = plain, mine = plain;
        Blowfish_EncipherBlocks(global.data(), 13, HalfOrder::LittleEndian);
        Blowfish_EncipherBlocks(own, mine.data(), 13, HalfOrder::LittleEndian);
        EXPECT_EQ(mine, global);
        Blowfish_DecipherBlocks(own, mine.data(), 13, HalfOrder::LittleEndian);
        EXPECT_EQ(mine, plain);

        Blowfish_Wipe(own);
        const BlowfishContext zero{};
        EXPECT_EQ(std::memcmp(&own, &zero, sizeof own), 0);
    }
}

// A job's own context: keyed like the engine, and nothing of the key left once wiped. A
// key longer than the engine's 16-bit length is cut, not wrapped to a negative length
// (which would leave the context unkeyed and encipher with the bare initial tables).
TEST(BlowfishKeyContext, KeysLikeTheEngineAndWipesToZeros)
{
    std::mt19937 rng(12);
    const BlowfishContext zero{};
    for (size_t keyLength : {1u, 56u, 72u, 40000u, 70000u}) {
        const auto key = RandomBytes(rng, keyLength);
        BlowfishKeyContext context;
        EXPECT_EQ(std::memcmp(&context.Context(), &zero, sizeof zero), 0) << "holds no key before keying";
        context.Key(key.data(), int(key.size()));
        BlowfishContext expected;
        Blowfish_Init(expected, key.data(), int16_t(std::min<size_t>(key.size(), 72)));
        EXPECT_EQ(std::memcmp(&context.Context(), &expected, sizeof expected), 0) << keyLength;
        context.Wipe();
        EXPECT_EQ(std::memcmp(&context.Context(), &zero, sizeof zero), 0) << keyLength;
    }
}

}  // namespace
