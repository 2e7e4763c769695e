#include "protection.h"

#ifdef _WIN32
#include "file_protection.h"
#else
#include <sys/stat.h>
#endif

namespace files_testing {

#ifdef _WIN32

bool MakePrivate(const std::string& path)
{
    return kst_test::MakePrivate(path);
}

bool OthersMayRead(const std::string& path)
{
    return kst_test::OthersMayRead(path);
}

bool OthersMayRead(const files::File& file)
{
    return kst_test::OthersMayReadOpen(file.Native());
}

#else

bool MakePrivate(const std::string& path)
{
    return ::chmod(path.c_str(), 0600) == 0;
}

bool OthersMayRead(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) != 0 || (info.st_mode & 0044) != 0;
}

bool OthersMayRead(const files::File& file)
{
    struct stat info;
    return ::fstat(file.Native(), &info) != 0 || (info.st_mode & 0044) != 0;
}

#endif

}  // namespace files_testing
