// Pending files on POSIX systems. On Linux the file has no name until the commit
// (O_TMPFILE), so that nothing is left when the process is killed; elsewhere, or where
// the file system cannot do that, it is made by mkostemp, readable by its owner alone.
#include "pending_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <string>

#include "system_posix.h"

namespace files::pending {

namespace {

constexpr char kTemporaryPrefix[] = ".kst-part.";

std::string FolderOrCurrent(const NativePath& folder)
{
    return folder.empty() ? "." : folder;
}

// A file with no name yet, in `folder`; false where the system or the file system cannot
// make one, or where it could not be given a name later without more privilege (no /proc):
// the caller then makes a named one.
bool CreateUnnamed(const NativePath& folder, File& output)
{
#ifdef O_TMPFILE
    if (::access("/proc/self/fd", X_OK) != 0)
        return false;
    const int fd = ::open(FolderOrCurrent(folder).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    output = File(fd);
    return true;
#else
    (void)folder, (void)output;
    return false;
#endif
}

// Gives the unnamed file `output` a name of its own beside the destination: random, as
// mkostemp draws them, and never one that is taken.
Result LinkUnnamed(File& output, const NativePath& folder, NativePath& temporary)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    const std::string self = "/proc/self/fd/" + std::to_string(output.Native());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = folder + kTemporaryPrefix;
        for (int i = 0; i < 6; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary = name;
            return {};
        }
        if (errno != EEXIST)
            return posix::FailedWith(errno);
    }
    return posix::FailedWith(EEXIST);
}

}  // namespace

Result FullDestination(const Path& destination, NativePath& full)
{
    full = destination.Native();
    return {};
}

NativePath FolderOf(const NativePath& destination)
{
    const size_t slash = destination.rfind('/');
    return slash == NativePath::npos ? NativePath() : destination.substr(0, slash + 1);
}

Result SourcePermissions(const File& source, unsigned& permissions)
{
    struct stat info;
    if (::fstat(source.Native(), &info) != 0)
        return posix::FailedWith(errno);
    permissions = info.st_mode & 0777;
    return {};
}

Result CreateBeside(const NativePath& destination, const File*, File& output, NativePath& temporary,
                    bool& removesItself)
{
    // Created readable by its owner alone; Seal gives it the source's bits.
    const NativePath folder = FolderOf(destination);
    temporary.clear();
    removesItself = CreateUnnamed(folder, output);
    if (removesItself)
        return {};
    // mkostemp draws random names (many more than anyone can plant) and opens with O_EXCL
    // and mode 0600, so nothing planted is followed and nobody else can read what comes.
    std::string name = folder + kTemporaryPrefix + "XXXXXX";
    const int fd = ::mkostemp(&name[0], O_CLOEXEC);
    if (fd < 0)
        return posix::FailedWith(errno);
    output = File(fd);
    temporary = name;
    return {};
}

Result Seal(File& output, const NativePath& destination, unsigned permissions, NativePath& temporary,
            bool& removesItself)
{
    // As a new file would be made; the umask cannot be read without being set.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = mode_t(permissions) & ~mask;
    struct stat replaced;
    if (::stat(destination.c_str(), &replaced) == 0)
        mode &= replaced.st_mode & 0777;
    if (::fchmod(output.Native(), mode) != 0)
        return Failed(std::string("cannot set who may read it: ") + std::strerror(errno));
    if (!removesItself)
        return {};
    const Result linked = LinkUnnamed(output, FolderOf(destination), temporary);
    if (!linked.ok)
        return Failed("cannot give it a name: " + linked.reason);
    removesItself = false;
    return {};
}

std::string NotAFile(const NativePath& destination)
{
    struct stat info;
    return ::stat(destination.c_str(), &info) == 0 && !S_ISREG(info.st_mode) ? posix::KindOfNonFile(info.st_mode)
                                                                              : "";
}

Result Move(const NativePath& temporary, const NativePath& destination, bool replace, bool& existed)
{
    existed = false;
    if (replace)
        return ::rename(temporary.c_str(), destination.c_str()) == 0 ? Result{} : posix::FailedWith(errno);
    // A new link fails when the name is taken, where rename would replace it silently.
    if (::link(temporary.c_str(), destination.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return {};
    }
    if (errno == EEXIST) {
        existed = true;
        return Failed("exists");
    }
    // File systems without links: look, then rename.
    struct stat info;
    if (::lstat(destination.c_str(), &info) == 0) {
        existed = true;
        return Failed("exists");
    }
    return ::rename(temporary.c_str(), destination.c_str()) == 0 ? Result{} : posix::FailedWith(errno);
}

void Remove(const NativePath& temporary)
{
    ::unlink(temporary.c_str());
}

}  // namespace files::pending

namespace files {

bool SyncFolder(const NativePath& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    File handle(fd);
    // Some file systems cannot flush a folder; they keep their names by other means.
    return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
}

}  // namespace files
