// Helpers of the POSIX implementation, shared by its files.
#pragma once

#include <cerrno>
#include <cstring>

#include "interruption.h"
#include "result.h"

namespace files::posix {

inline Result FailedWith(int error)
{
    return Failed(std::strerror(error));
}

// Whether a call that failed with `error` is to be made again: it was broken off by a
// signal, and the process was not asked to stop.
inline bool TryAgain(int error)
{
    return error == EINTR && !InterruptionRequested();
}

}  // namespace files::posix
