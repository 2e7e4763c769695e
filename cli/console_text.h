// Console text as the program's keys see it (Windows only).
#pragma once

#include <vector>

#include "secret_bytes.h"

namespace kst {

// The bytes the program's password dialog keys with for the same typed text: UTF-16 read
// from the console, in the ANSI code page (a character it lacks becomes its default
// character, as in the dialog's narrow text). The console's own code page (OEM by default)
// would give other bytes for anything beyond ASCII.
// Both texts are secrets: their memory is wiped when given back.
using SecretWideText = std::vector<wchar_t, WipingAllocator<wchar_t>>;
SecretBytes AnsiBytesOf(const SecretWideText& typed);

}  // namespace kst
