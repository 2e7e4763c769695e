#include "folder_names.h"

#include <windows.h>

#include "path.h"
#include "system_win32.h"

namespace files {

namespace {

// The full form of a narrow path ("" for the current folder); false when it has none.
bool FullPath(const std::string& path, std::wstring& full, size_t& nameStart)
{
    return win32::FullPath(Path(path.empty() ? "." : path).Native(), full, &nameStart);
}

}  // namespace

lockedfile::LeadBytePredicate NameLeadBytes()
{
    return [](uint8_t byte) { return ::IsDBCSLeadByte(byte) != FALSE; };
}

lockedfile::PathStyle NamePathStyle()
{
    return lockedfile::PathStyle::Windows;
}

size_t FileNameStart(const std::string& path)
{
    return lockedfile::FileNameStart(path, NameLeadBytes(), NamePathStyle());
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, FileNameStart(path));
}

std::string FullFolderOf(const std::string& path)
{
    std::wstring full;
    size_t nameStart = 0;
    if (path.empty() || !FullPath(path, full, nameStart))
        return std::string();
    return Path::FromNative(full.substr(0, nameStart)).Narrow();
}

size_t RoomForNameIn(const std::string& folder)
{
    // As the proposal is fitted: the full folder, its separator, the name and the
    // terminator within MAX_PATH, counted in the narrow bytes the file dialog takes.
    std::wstring full;
    size_t nameStart = 0;
    if (!FullPath(folder, full, nameStart))
        return 0;
    const std::string narrow = Path::FromNative(full).Narrow();
    size_t used = narrow.size() + 1;
    if (narrow.empty() || (narrow.back() != '\\' && narrow.back() != '/'))
        ++used;
    return used < MAX_PATH ? MAX_PATH - used : 0;
}

}  // namespace files
