// Helpers of the POSIX implementation, shared by its files.
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "interruption.h"
#include "result.h"

namespace files::posix {

inline Result FailedWith(int error)
{
    return Failed(std::strerror(error));
}

// What a file of `mode` is, said where a regular file was wanted.
inline const char* KindOfNonFile(mode_t mode)
{
    static const struct {
        mode_t type;
        const char* text;
    } kKinds[] = {
        {S_IFDIR, "is a directory"}, {S_IFCHR, "is a character device"}, {S_IFBLK, "is a block device"},
        {S_IFIFO, "is a FIFO"},      {S_IFSOCK, "is a socket"},
    };
    for (const auto& kind : kKinds) {
        if ((mode & S_IFMT) == kind.type)
            return kind.text;
    }
    return "not a regular file";
}

// Whether a call that failed with `error` is to be made again: it was broken off by a
// signal, and the process was not asked to stop.
inline bool TryAgain(int error)
{
    return error == EINTR && !InterruptionRequested();
}

}  // namespace files::posix
