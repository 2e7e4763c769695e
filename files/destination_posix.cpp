#include "destination.h"

#include <sys/stat.h>

#include "pending_platform.h"
#include "system_posix.h"

namespace files {

DestinationCheck InspectDestination(const Path& destination)
{
    DestinationCheck check;
    const NativePath& path = destination.Native();
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0) {
        check.exists = true;
        // A link is replaced as a link, whatever it leads to; only where it leads to
        // something that is no file does that say what replacing it would mean.
        struct stat target;
        if (S_ISLNK(info.st_mode) && ::stat(path.c_str(), &target) == 0)
            info = target;
        if (S_ISDIR(info.st_mode) || (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode))) {
            check.problem = S_ISDIR(info.st_mode) ? DestinationProblem::IsFolder : DestinationProblem::NotAFile;
            check.reason = posix::KindOfNonFile(info.st_mode);
            return check;
        }
    } else if (errno != ENOENT) {
        check.problem = DestinationProblem::Unknown;
        check.reason = std::strerror(errno);
        return check;
    }
    // The result is written beside the destination first: the folder must take a file.
    File probe;
    NativePath temporary;
    bool removesItself = false;
    const Result created = pending::CreateBeside(path, nullptr, probe, temporary, removesItself);
    probe.Close();
    if (!removesItself && !temporary.empty())
        pending::Remove(temporary);
    if (!created.ok) {
        check.problem = DestinationProblem::FolderRefuses;
        check.reason = created.reason;
    }
    return check;
}

}  // namespace files
