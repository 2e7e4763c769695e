#include "file_system.h"

#include <windows.h>

namespace files {

bool PathExists(const Path& path)
{
    return ::GetFileAttributesW(path.Native().c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const Path& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.Native().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const Path& path)
{
    return ::DeleteFileW(path.Native().c_str()) != FALSE;
}

}  // namespace files
