// Who may read a file, on either system: for the tests that a result is never more readable
// than the file it replaces. On POSIX systems by the permission bits; on Windows by the
// access list (tests/support/file_protection.h), which Wine shows through the Unix mode.
#pragma once

#include <string>

#include "file_handle.h"

namespace files_testing {

// Lets only the owner read and write `path`.
bool MakePrivate(const std::string& path);
// Whether anyone beyond the owner (and, under Wine, its group) may read the file.
bool OthersMayRead(const std::string& path);
bool OthersMayRead(const files::File& file);

}  // namespace files_testing
