// What is at a path, and removing it.
#pragma once

#include "path.h"

namespace files {

bool PathExists(const Path& path);
bool IsFolder(const Path& path);
bool RemoveFile(const Path& path);

}  // namespace files
