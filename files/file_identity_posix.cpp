#include "file_identity.h"

#include <sys/stat.h>

namespace files {

namespace {

bool SameIdentity(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool SameFile(const Path& first, const Path& second)
{
    struct stat a, b;
    return ::stat(first.Native().c_str(), &a) == 0 && ::stat(second.Native().c_str(), &b) == 0 && SameIdentity(a, b);
}

bool SameFile(const File& open, const Path& path)
{
    struct stat a, b;
    return ::fstat(open.Native(), &a) == 0 && ::stat(path.Native().c_str(), &b) == 0 && SameIdentity(a, b);
}

}  // namespace files
