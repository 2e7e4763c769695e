// A cipher state owned by one job rather than the process: the job's codec keys it, the
// job's threads share it while blocks pass through it, and it is overwritten with zeros
// when the job ends and again when it is destroyed, so that the password-derived tables
// do not outlive the job that needed them.
#pragma once

#include <cstdint>

#include "blowfish.h"

class BlowfishKeyContext {
public:
    BlowfishKeyContext() : m_context() {}
    ~BlowfishKeyContext() { Wipe(); }
    BlowfishKeyContext(const BlowfishKeyContext&) = delete;
    BlowfishKeyContext& operator=(const BlowfishKeyContext&) = delete;

    // Runs the key schedule on `length` key bytes. Only the first 72 bytes reach the
    // schedule, so a key longer than the engine's 16-bit length is cut without loss. A
    // length of 0 leaves the initial tables (the codec refuses an empty key before this).
    void Key(const uint8_t* key, int length);
    // Overwrites the whole state with zeros.
    void Wipe() { Blowfish_Wipe(m_context); }

    const BlowfishContext& Context() const { return m_context; }

private:
    BlowfishContext m_context;
};
