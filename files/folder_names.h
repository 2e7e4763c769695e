// Folders and the names they take, in the narrow text of this system's names (bytes of
// the ANSI code page on Windows, UTF-8 elsewhere): one rule for every face.
#pragma once

#include <cstddef>
#include <string>

#include "path_names.h"

namespace files {

// How this system's narrow names are cut into characters (nullptr: UTF-8).
lockedfile::LeadBytePredicate NameLeadBytes();
// Which characters separate the components of this system's paths.
lockedfile::PathStyle NamePathStyle();
// Where a path's last component begins: after its last separator.
size_t FileNameStart(const std::string& path);
// The folder part of a path as it is written, with its separator ("" for a bare name).
std::string FolderOf(const std::string& path);
// The full folder of a path, with its separator; "" when it cannot be made out.
std::string FullFolderOf(const std::string& path);
// The bytes a file name may take in `folder` ("" for the current one). On Windows the
// folder, a separator, the name and the terminator fit in MAX_PATH, the most the file
// dialogs take; elsewhere the file system's longest name.
size_t RoomForNameIn(const std::string& folder);

}  // namespace files
