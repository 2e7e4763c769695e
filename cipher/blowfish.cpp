// The Blowfish engine: one keyed state for the whole process, the rounds on two local
// words so that a block costs no calls and no memory traffic but table loads. Buffers of
// blocks go through the path the dispatcher chose for this processor.
#include "blowfish.h"

#include <cstring>

#include "blowfish_block.h"

using namespace blowfish_detail;

namespace {

BlowfishContext g_state = kBlowfishInitialTables;

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
    CipherPair<Direction::Encipher>(g_state, left, right);
}

void Blowfish_Decipher(uint32_t& left, uint32_t& right)
{
    CipherPair<Direction::Decipher>(g_state, left, right);
}

void Blowfish_EncipherBlocks(uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformOnChosenPath(g_state, bytes, blockCount, order, Direction::Encipher);
}

void Blowfish_DecipherBlocks(uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformOnChosenPath(g_state, bytes, blockCount, order, Direction::Decipher);
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
        CipherPair<Direction::Encipher>(context, left, right);
        context.P[i] = left;
        context.P[i + 1] = right;
    }
    for (auto& box : context.S) {
        for (size_t m = 0; m < 256; m += 2) {
            CipherPair<Direction::Encipher>(context, left, right);
            box[m] = left;
            box[m + 1] = right;
        }
    }
    return 0;
}

void Blowfish_EncipherBlocks(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformOnChosenPath(context, bytes, blockCount, order, Direction::Encipher);
}

void Blowfish_DecipherBlocks(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order)
{
    TransformOnChosenPath(context, bytes, blockCount, order, Direction::Decipher);
}

void Blowfish_Wipe(BlowfishContext& context)
{
    WipeBytes(&context, sizeof context);
}
