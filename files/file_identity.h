// Whether two names lead to the same file, however they are spelt: letter case, a short
// name, a relative path, another separator, a link. Compared by what the system knows the
// file by (volume and file index, device and inode), never by spelling. False when either
// cannot be looked at.
#pragma once

#include "file_handle.h"
#include "path.h"

namespace files {

bool SameFile(const Path& first, const Path& second);
bool SameFile(const File& open, const Path& path);

}  // namespace files
