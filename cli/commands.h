// kst's four commands. Each returns the process's exit status and has said on stderr
// what went wrong.
#pragma once

#include <cstdint>
#include <string>

#include "locked_format.h"
#include "options.h"
#include "file_handle.h"

namespace kst {

int RunEncrypt(const Options& options);
int RunDecrypt(const Options& options);
int RunShred(const Options& options);
int RunInfo(const Options& options);

// Opens a locked file and reads its header, leaving the file at the tail count. Returns
// kExitDone, or the status of a refusal it has already explained.
int OpenLockedFile(const std::string& path, files::File& file, uint64_t& length, lockedfile::HeaderInfo& header);

// Says "kst: <message>" on stderr and returns `status`.
int Refuse(int status, const std::string& message);
// Flushes standard output: kExitDone when all written there arrived, or else says why
// (a full disk, a closed descriptor) and returns kExitIoError.
int FinishStandardOutput();

}  // namespace kst
