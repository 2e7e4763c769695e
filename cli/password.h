// Where the password comes from (the terminal, a file or a descriptor, never the command
// line) and which passwords are refused.
#pragma once

#include <string>

#include "locked_format.h"
#include "options.h"

namespace kst {


enum class PasswordUse { Encrypt, Decrypt };

struct PasswordResult {
    bool ok = false;
    bool interrupted = false;
    std::string error;
};

// Why a password cannot be used, or "" when it can.
std::string PasswordRefusal(const std::string& password, PasswordUse use);

// Fills `password`; asks twice on the terminal for an encryption.
PasswordResult ObtainPassword(const Options& options, PasswordUse use, std::string& password);

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
