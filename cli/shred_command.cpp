// shred: zero bytes over a file in place, in chunks of 100000 bytes, each forced to disk
// before the next, as the program shreds. The file keeps its name and length.
#include <algorithm>
#include <vector>

#include "commands.h"
#include "exit_status.h"
#include "platform.h"
#include "progress_meter.h"

namespace kst {

namespace {
constexpr size_t kShredChunk = 100000;
}

int RunShred(const Options& options)
{
    FileHandle file;
    uint64_t length = 0;
    const FileResult opened = OpenForOverwriting(options.file, file, length);
    if (!opened.ok)
        return Refuse(kExitIoError, options.file + ": " + opened.reason);

    const std::vector<uint8_t> zeros(kShredChunk, 0);
    ProgressMeter meter(!options.quiet && StderrIsTerminal(), "shredding", length);
    uint64_t written = 0;
    // At least one pass, so an empty file still gets its flush.
    do {
        if (InterruptRequested())
            return Refuse(InterruptExitStatus(), "interrupted; " + options.file + " is only partly shredded");
        const size_t chunk = size_t(std::min<uint64_t>(kShredChunk, length - written));
        if (!file.WriteAll(zeros.data(), chunk) || !file.Flush())
            return Refuse(kExitIoError, "error writing " + options.file + "; it is only partly shredded");
        written += chunk;
        meter.Add(chunk);
    } while (written < length);
    if (!file.Close())
        return Refuse(kExitIoError, "error writing " + options.file);
    return kExitDone;
}

}  // namespace kst
