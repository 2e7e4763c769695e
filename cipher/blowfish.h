// The Blowfish block cipher as its designer published it: 64-bit blocks as two
// 32-bit halves, 16 rounds, an 18-word P-array and four 256-word S-boxes.
// One process-wide keyed state: only one job at a time may use it. Callers that need a
// state of their own (several threads ciphering one file) key a context they own.
#pragma once

#include <cstddef>
#include <cstdint>

struct BlowfishContext {
    uint32_t P[18];
    uint32_t S[4][256];
};

// The published initial tables: the first 1042 words of pi's fractional hex digits.
extern const BlowfishContext kBlowfishInitialTables;

// The working state (read-only view, for tests and diagnostics).
const BlowfishContext& Blowfish_State();

void Blowfish_Reset();
// Keys the engine. The first 72 key bytes are used, cycled when the key is shorter.
// A length of 0 (or less) leaves the state at the initial tables. Always returns 0.
int16_t Blowfish_Init(const uint8_t* key, int16_t length);
void Blowfish_Encipher(uint32_t& left, uint32_t& right);
void Blowfish_Decipher(uint32_t& left, uint32_t& right);

// How the bytes of a buffer map onto the two halves of each 8-byte block.
enum class HalfOrder {
    LittleEndian,  // locked files: least significant byte first
    BigEndian,     // the published test vectors
};

// Enciphers or deciphers blockCount consecutive 8-byte blocks of a buffer in place with
// the current state. Same bytes as block-by-block processing, several blocks at once on
// the fastest path this processor runs (blowfish_paths.h).
void Blowfish_EncipherBlocks(uint8_t* bytes, size_t blockCount, HalfOrder order);
void Blowfish_DecipherBlocks(uint8_t* bytes, size_t blockCount, HalfOrder order);

// The same engine on a context the caller owns. A keyed context is only read while
// blocks pass through it, so several threads may share one. Byte for byte the same
// results as the process-wide state keyed with the same key.
void Blowfish_Reset(BlowfishContext& context);
int16_t Blowfish_Init(BlowfishContext& context, const uint8_t* key, int16_t length);
void Blowfish_EncipherBlocks(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order);
void Blowfish_DecipherBlocks(const BlowfishContext& context, uint8_t* bytes, size_t blockCount, HalfOrder order);
// Overwrites a context with zeros: key material does not outlive its job.
void Blowfish_Wipe(BlowfishContext& context);
