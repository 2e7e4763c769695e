// Folders and the names they take, in the narrow text of this system's names (UTF-8 on
// Windows, path.h; the locale's bytes elsewhere): one rule for every face.
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
// The room a file name has in `folder` ("" for the current one). On Windows the room of
// the wide folder below, in UTF-16 code units; elsewhere the file system's longest name,
// in bytes.
size_t RoomForNameIn(const std::string& folder);

#ifdef _WIN32
// The same for wide paths, as the program's file dialogs take them: the full folder of a
// path with its separator (empty when it cannot be made out), and the UTF-16 code units a
// name may take there within MAX_PATH. A folder that leaves no room there is beyond what
// the dialogs show; the name then takes up to a folder's longest name (255).
std::wstring FullFolderOf(const std::wstring& path);
size_t RoomForNameIn(const std::wstring& folder);
// How much of that room one character of a name takes: its UTF-16 code units.
size_t NameUnitsOf(char32_t character);
// The name of the file at `path` as its folder lists it (in the letters it has there);
// false when the path names no file: missing, a folder, a pattern.
bool ListedFileName(const std::wstring& path, std::wstring& name);
#endif

}  // namespace files
