// Where the password comes from (the terminal, a file or a descriptor, never the command
// line) and which passwords are refused.
#pragma once

#include <string>

#include "locked_format.h"
#include "options.h"
#include "secret_bytes.h"

namespace kst {


enum class PasswordUse { Encrypt, Decrypt };

struct PasswordResult {
    bool ok = false;
    bool interrupted = false;
    std::string error;
};

// Why a password of `length` bytes cannot be used, or "" when it can.
std::string PasswordRefusal(size_t length, PasswordUse use);

// Fills `password`; asks twice on the terminal for an encryption. Every byte of it, and of
// every copy made on the way, is wiped when its memory is given back.
PasswordResult ObtainPassword(const Options& options, PasswordUse use, SecretBytes& password);

}  // namespace kst
