#include "folder_names.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>


namespace files {

lockedfile::LeadBytePredicate NameLeadBytes()
{
    return nullptr;
}

lockedfile::PathStyle NamePathStyle()
{
    return lockedfile::PathStyle::Posix;
}

size_t FileNameStart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, FileNameStart(path));
}

std::string FullFolderOf(const std::string& path)
{
    const std::string folder = FolderOf(path);
    const std::unique_ptr<char, decltype(&::free)> full(::realpath(folder.empty() ? "." : folder.c_str(), nullptr),
                                                         &::free);
    if (full == nullptr)
        return std::string();
    const std::string text = full.get();
    return text.back() == '/' ? text : text + "/";
}

size_t RoomForNameIn(const std::string& folder)
{
    const long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? size_t(longest) : lockedfile::kMaxStoredName;
}

}  // namespace files
