// Opening files on POSIX systems. Sharing is Windows' business: nothing here enforces it.
#include "open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "system_posix.h"

namespace files {

namespace {

int FlagsFor(Access access, Creation creation)
{
    static const int kAccess[] = {O_RDONLY, O_WRONLY, O_RDWR};
    int flags = kAccess[int(access)] | O_NOCTTY | O_CLOEXEC;
    if (creation == Creation::CreateOrEmpty)
        flags |= O_CREAT | O_TRUNC;
    return flags;
}

// A regular file is required: the work needs the length before the first block, and a
// FIFO or a device would have no end it can trust.
Result CheckRegular(const struct stat& info)
{
    return S_ISREG(info.st_mode) ? Result{} : Failed(posix::KindOfNonFile(info.st_mode));
}

}  // namespace

Result Open(const Path& path, Access access, Sharing, Creation creation, File& file)
{
    int fd;
    do {
        // Opening a FIFO waits for its other end; an interrupt ends the wait.
        fd = ::open(path.Native().c_str(), FlagsFor(access, creation), 0666);
    } while (fd < 0 && posix::TryAgain(errno));
    if (fd < 0)
        return posix::FailedWith(errno);
    file = File(fd);
    return {};
}

Result OpenRegular(const Path& path, Access access, Sharing sharing, File& file, uint64_t& length)
{
    // Looked at first, so that opening never waits on a FIFO or takes a device.
    struct stat info;
    if (::stat(path.Native().c_str(), &info) != 0)
        return posix::FailedWith(errno);
    Result result = CheckRegular(info);
    if (!result.ok)
        return result;
    result = Open(path, access, sharing, Creation::OpenExisting, file);
    if (!result.ok)
        return result;
    // The name may have been given to something else between the two looks.
    if (::fstat(file.Native(), &info) != 0 || !CheckRegular(info).ok) {
        file.Close();
        return Failed("not a regular file");
    }
    length = uint64_t(info.st_size);
    ::posix_fadvise(file.Native(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return {};
}

Result OpenStandardOutput(File& file)
{
    return OpenDescriptor(STDOUT_FILENO, file);
}

Result OpenDescriptor(int descriptor, File& file)
{
    // The duplicate shares the file position, so what a line reader leaves stays for the
    // descriptor's owner.
    const int fd = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return posix::FailedWith(errno);
    file = File(fd);
    return {};
}

}  // namespace files
