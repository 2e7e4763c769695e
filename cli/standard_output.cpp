// What kst prints on standard output (help, version, info) counts only once it arrived.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "exit_status.h"
#include "result.h"

namespace kst {

int FinishStandardOutput()
{
    // The text is short and standard output buffered, so the flush is the first write and
    // its error is still in errno.
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return kExitDone;
    // Where the C library keeps no errno for it (Windows), the system's own error does.
    const int error = errno;
    return Refuse(kExitIoError,
                  "cannot write to standard output: " + (error != 0 ? std::strerror(error) : files::LastErrorText()));
}

}  // namespace kst
