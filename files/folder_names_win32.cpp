#include "folder_names.h"

#include <windows.h>

#include "path.h"
#include "system_win32.h"

namespace files {

lockedfile::LeadBytePredicate NameLeadBytes()
{
    // Narrow names are UTF-8 here (path.h).
    return nullptr;
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
    return path.empty() ? std::string() : Path::FromNative(FullFolderOf(Path(path).Native())).Narrow();
}

size_t RoomForNameIn(const std::string& folder)
{
    return RoomForNameIn(Path(folder).Native());
}

std::wstring FullFolderOf(const std::wstring& path)
{
    std::wstring full;
    size_t nameStart = 0;
    if (path.empty() || !win32::FullPath(path, full, &nameStart))
        return std::wstring();
    return full.substr(0, nameStart);
}

size_t NameUnitsOf(char32_t character)
{
    return character >= 0x10000 ? 2 : 1;
}

size_t RoomForNameIn(const std::wstring& folder)
{
    std::wstring full;
    if (!win32::FullPath(folder.empty() ? L"." : folder, full))
        return 0;
    size_t used = full.size() + 1;
    if (full.empty() || (full.back() != L'\\' && full.back() != L'/'))
        ++used;
    return used < MAX_PATH ? MAX_PATH - used : lockedfile::kMaxStoredName;
}

bool ListedFileName(const std::wstring& path, std::wstring& name)
{
    const std::wstring longForm = win32::LongForm(path);
    const DWORD attributes = ::GetFileAttributesW(longForm.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW(longForm.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(find);
    name = found.cFileName;
    return true;
}

}  // namespace files
