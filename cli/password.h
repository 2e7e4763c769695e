// Where the password comes from (the terminal, a file or a descriptor, never the command
// line) and which passwords are refused.
#pragma once

#include <string>

#include "code_pages.h"
#include "locked_format.h"
#include "options.h"
#include "secret_bytes.h"
#include "system_text.h"

namespace kst {

enum class PasswordUse { Encrypt, Decrypt };

struct PasswordResult {
    bool ok = false;
    bool interrupted = false;
    std::string error;
};

// Why a key of `length` bytes cannot be used, or "" when it can.
std::string PasswordRefusal(size_t length, PasswordUse use);

// The key the program makes of the same text as a password line read from `origin`: its
// bytes in the code page. Or why it is refused: bytes that are no text, a character the
// code page lacks, or what PasswordRefusal says of the key.
std::string KeyForPassword(const SecretBytes& line, PasswordOrigin origin, PasswordUse use,
                           const OpenedCodePage& codePage, SecretBytes& key);

// Fills `key`; asks twice on the terminal for an encryption. Every byte of the password
// and the key, and of every copy made on the way, is wiped when its memory is given back.
PasswordResult ObtainKey(const Options& options, PasswordUse use, const OpenedCodePage& codePage, SecretBytes& key);

}  // namespace kst
