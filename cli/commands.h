// kst's four commands. Each returns the process's exit status and has said on stderr
// what went wrong.
#pragma once

#include "options.h"

namespace kst {

int RunEncrypt(const Options& options);
int RunDecrypt(const Options& options);
int RunShred(const Options& options);
int RunInfo(const Options& options);

// Says "kst: <message>" on stderr and returns `status`.
int Refuse(int status, const std::string& message);

}  // namespace kst
