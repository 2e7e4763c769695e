// Where the password comes from (the terminal, a file or a descriptor, never the command
// line) and which passwords are refused.
#pragma once

#include <string>

#include "code_pages.h"
#include "locked_format.h"
#include "options.h"
#include "system_text.h"

namespace kst {

enum class PasswordUse { Encrypt, Decrypt };

struct PasswordResult {
    bool ok = false;
    bool interrupted = false;
    std::string error;
};

// Why a key cannot be used, or "" when it can.
std::string PasswordRefusal(const std::string& key, PasswordUse use);

// The key the program makes of the same text as a password line read from `origin`: its
// bytes in the code page. Or why it is refused: bytes that are no text, a character the
// code page lacks, or what PasswordRefusal says of the key.
std::string KeyForPassword(const std::string& line, PasswordOrigin origin, PasswordUse use,
                           const OpenedCodePage& codePage, std::string& key);

// Fills `key`; asks twice on the terminal for an encryption.
PasswordResult ObtainKey(const Options& options, PasswordUse use, const OpenedCodePage& codePage, std::string& key);

// Overwrites a secret before its memory is given back.
void WipeSecret(std::string& secret);

// Holds a secret and wipes it when it goes.
class Secret {
public:
    Secret() : m_text() {}
    ~Secret() { WipeSecret(m_text); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    std::string& Text() { return m_text; }

private:
    std::string m_text;
};

}  // namespace kst
