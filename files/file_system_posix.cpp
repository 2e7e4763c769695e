#include "file_system.h"

#include <sys/stat.h>
#include <unistd.h>

namespace files {

bool PathExists(const Path& path)
{
    struct stat info;
    return ::lstat(path.Native().c_str(), &info) == 0;
}

bool IsFolder(const Path& path)
{
    struct stat info;
    return ::stat(path.Native().c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RemoveFile(const Path& path)
{
    return ::unlink(path.Native().c_str()) == 0;
}

}  // namespace files
