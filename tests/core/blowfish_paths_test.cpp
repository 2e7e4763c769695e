// Every way the engine can run a buffer gives the bytes of the one-block engine: on the
// published vectors, on random keys and buffers of every length up to 64 blocks, at
// every misalignment, in both half orders; and the dispatcher only ever runs a path the
// processor has. Built natively and for Windows (run there under the emulator).
#include "blowfish.h"
#include "blowfish_paths.h"
#include "published_vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxBlocks = 64;
constexpr uint8_t kGuard = 0xA5;

std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes) b = uint8_t(rng());
    return bytes;
}

uint32_t Load(const uint8_t* q, HalfOrder order)
{
    return order == HalfOrder::LittleEndian ? uint32_t(q[0] | q[1] << 8 | q[2] << 16 | uint32_t(q[3]) << 24)
                                            : uint32_t(uint32_t(q[0]) << 24 | q[1] << 16 | q[2] << 8 | q[3]);
}

void Store(uint8_t* q, uint32_t v, HalfOrder order)
{
    for (int j = 0; j < 4; ++j)
        q[j] = uint8_t(order == HalfOrder::LittleEndian ? v >> (8 * j) : v >> (24 - 8 * j));
}

// The reference: the process-wide state, keyed with the same key, one block at a time.
std::vector<uint8_t> OneBlockAtATime(std::vector<uint8_t> bytes, HalfOrder order, bool decipher)
{
    for (size_t at = 0; at + 8 <= bytes.size(); at += 8) {
        uint32_t left = Load(&bytes[at], order), right = Load(&bytes[at + 4], order);
        if (decipher)
            Blowfish_Decipher(left, right);
        else
            Blowfish_Encipher(left, right);
        Store(&bytes[at], left, order);
        Store(&bytes[at + 4], right, order);
    }
    return bytes;
}

std::string OrderName(HalfOrder order)
{
    return order == HalfOrder::LittleEndian ? "little-endian" : "big-endian";
}

class EveryPath : public testing::TestWithParam<BlowfishPath> {
protected:
    void SetUp() override
    {
        if (!BlowfishPathInBuild(GetParam()))
            GTEST_SKIP() << "not run: this build has no " << BlowfishPathName(GetParam()) << " path";
        if (!BlowfishPathSupported(GetParam()))
            GTEST_SKIP() << "not run: this processor (or the emulator it runs under) lacks the "
                         << BlowfishPathName(GetParam()) << " path";
    }

    BlowfishPath Path() const { return GetParam(); }
};

// A published block repeated over a whole buffer, so every lane of a vector path and the
// tail after the last full register see it.
TEST_P(EveryPath, PublishedVectorsHoldInEveryBlockOfABuffer)
{
    for (const PublishedVector& v : kPublishedVectors) {
        uint8_t key[8];
        for (int i = 0; i < 8; ++i) key[i] = uint8_t(v.key >> (56 - 8 * i));
        BlowfishContext context;
        Blowfish_Init(context, key, 8);
        const size_t blocks = 2 * kMaxBlocks + 7;
        std::vector<uint8_t> buffer(8 * blocks);
        for (size_t b = 0; b < blocks; ++b)
            for (int i = 0; i < 8; ++i) buffer[8 * b + i] = uint8_t(v.plain >> (56 - 8 * i));
        const std::vector<uint8_t> plain = buffer;

        ASSERT_TRUE(Blowfish_EncipherBlocksOn(Path(), context, buffer.data(), blocks, HalfOrder::BigEndian));
        for (size_t b = 0; b < blocks; ++b) {
            uint64_t got = 0;
            for (int i = 0; i < 8; ++i) got = got << 8 | buffer[8 * b + i];
            ASSERT_EQ(got, v.cipher) << std::hex << "key " << v.key << std::dec << ", block " << b;
        }
        ASSERT_TRUE(Blowfish_DecipherBlocksOn(Path(), context, buffer.data(), blocks, HalfOrder::BigEndian));
        ASSERT_EQ(buffer, plain) << std::hex << "key " << v.key;
    }
}

// Lengths 0..64 blocks at every start offset within a word, with guard bytes on both sides:
// a vector path must neither miss the blocks after its last full register nor write past
// the buffer.
TEST_P(EveryPath, AgreesWithTheOneBlockEngineOnRandomKeysAndUnalignedBuffers)
{
    std::mt19937 rng(unsigned(Path()) * 31 + 17);
    for (HalfOrder order : {HalfOrder::LittleEndian, HalfOrder::BigEndian}) {
        for (size_t blocks = 0; blocks <= kMaxBlocks; ++blocks) {
            const auto key = RandomBytes(rng, 1 + rng() % 72);
            Blowfish_Init(key.data(), int16_t(key.size()));
            BlowfishContext context;
            Blowfish_Init(context, key.data(), int16_t(key.size()));
            const auto plain = RandomBytes(rng, 8 * blocks);
            const auto expected = OneBlockAtATime(plain, order, false);
            for (size_t offset = 0; offset < 8; ++offset) {
                std::vector<uint8_t> storage(offset + plain.size() + 16, kGuard);
                uint8_t* data = storage.data() + offset;
                std::copy(plain.begin(), plain.end(), data);

                ASSERT_TRUE(Blowfish_EncipherBlocksOn(Path(), context, data, blocks, order));
                ASSERT_EQ(std::vector<uint8_t>(data, data + plain.size()), expected)
                    << blocks << " blocks at offset " << offset << ", " << OrderName(order);
                ASSERT_TRUE(Blowfish_DecipherBlocksOn(Path(), context, data, blocks, order));
                ASSERT_EQ(std::vector<uint8_t>(data, data + plain.size()), plain)
                    << blocks << " blocks at offset " << offset << ", " << OrderName(order);
                for (size_t i = 0; i < offset; ++i)
                    ASSERT_EQ(storage[i], kGuard) << "written before the buffer: " << blocks << " blocks";
                for (size_t i = offset + plain.size(); i < storage.size(); ++i)
                    ASSERT_EQ(storage[i], kGuard) << "written past the buffer: " << blocks << " blocks";
            }
        }
    }
}

// Deciphering takes the P-array backwards: a path that got that wrong would still undo
// its own enciphering, so the deciphered side is checked against the reference too.
TEST_P(EveryPath, DeciphersWhatTheOneBlockEngineEnciphered)
{
    std::mt19937 rng(unsigned(Path()) * 7 + 3);
    const auto key = RandomBytes(rng, 56);
    Blowfish_Init(key.data(), int16_t(key.size()));
    BlowfishContext context;
    Blowfish_Init(context, key.data(), int16_t(key.size()));
    // Several of the widest path's 64-block groups and a tail, each block different, so
    // that blocks trading places between lanes or groups would show.
    const size_t blocks = 3 * kMaxBlocks + 13;
    for (HalfOrder order : {HalfOrder::LittleEndian, HalfOrder::BigEndian}) {
        const auto cipher = RandomBytes(rng, 8 * blocks);
        auto data = cipher;
        ASSERT_TRUE(Blowfish_DecipherBlocksOn(Path(), context, data.data(), blocks, order));
        EXPECT_EQ(data, OneBlockAtATime(cipher, order, true)) << OrderName(order);
    }
}

// Forced, the path is what the block functions run, with the same bytes.
TEST_P(EveryPath, ForcedItCarriesTheBlockFunctions)
{
    std::mt19937 rng(5);
    const auto key = RandomBytes(rng, 16);
    Blowfish_Init(key.data(), int16_t(key.size()));
    const auto plain = RandomBytes(rng, 8 * 40);
    const auto expected = OneBlockAtATime(plain, HalfOrder::LittleEndian, false);

    ASSERT_TRUE(BlowfishForcePath(Path()));
    EXPECT_EQ(BlowfishChosenPath(), Path());
    auto data = plain;
    Blowfish_EncipherBlocks(data.data(), 40, HalfOrder::LittleEndian);
    BlowfishUnforcePath();
    EXPECT_EQ(data, expected);
}

std::string PathTestName(const testing::TestParamInfo<BlowfishPath>& info)
{
    return BlowfishPathName(info.param);
}

INSTANTIATE_TEST_SUITE_P(Blowfish, EveryPath, testing::ValuesIn(kBlowfishPaths), PathTestName);

TEST(BlowfishDispatcher, ChoosesAPathThisProcessorRuns)
{
    BlowfishUnforcePath();
    EXPECT_TRUE(BlowfishPathSupported(BlowfishChosenPath())) << BlowfishPathName(BlowfishChosenPath());
    // The portable path is always there to fall back on.
    EXPECT_TRUE(BlowfishPathSupported(BlowfishPath::Interleave4));
}

TEST(BlowfishDispatcher, RefusesToForceAPathTheProcessorLacks)
{
    BlowfishUnforcePath();
    const BlowfishPath automatic = BlowfishChosenPath();
    size_t refused = 0;
    for (BlowfishPath path : kBlowfishPaths) {
        if (BlowfishPathSupported(path))
            continue;
        ++refused;
        EXPECT_FALSE(BlowfishForcePath(path)) << BlowfishPathName(path);
        EXPECT_EQ(BlowfishChosenPath(), automatic) << BlowfishPathName(path);
        std::vector<uint8_t> untouched(64, 1);
        BlowfishContext context;
        Blowfish_Reset(context);
        EXPECT_FALSE(Blowfish_EncipherBlocksOn(path, context, untouched.data(), 8, HalfOrder::LittleEndian));
        EXPECT_EQ(untouched, std::vector<uint8_t>(64, 1)) << BlowfishPathName(path);
    }
    if (refused == 0)
        std::printf("note: this processor runs every path; nothing to refuse here\n");
}

// The automatic choice is the fastest path the processor has: byte-sliced, then the
// five-block assembly, then AVX2 gathers, then the portable path.
TEST(BlowfishDispatcher, PrefersTheFastestPathTheProcessorHas)
{
    BlowfishUnforcePath();
    if (std::getenv("KST_BLOWFISH_PATH") != nullptr)
        GTEST_SKIP() << "KST_BLOWFISH_PATH is set: the choice is the named path";
    const BlowfishPath fastestFirst[] = {BlowfishPath::ByteSliced, BlowfishPath::ScalarBmi,
                                         BlowfishPath::Avx2Gather, BlowfishPath::Interleave4};
    const BlowfishPath* expected = std::find_if(std::begin(fastestFirst), std::end(fastestFirst),
                                                [](BlowfishPath path) { return BlowfishPathSupported(path); });
    ASSERT_NE(expected, std::end(fastestFirst));
    EXPECT_EQ(BlowfishPathName(BlowfishChosenPath()), std::string(BlowfishPathName(*expected)));
}

}  // namespace
