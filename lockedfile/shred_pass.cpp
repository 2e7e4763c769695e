#include "shred_pass.h"

#include <algorithm>
#include <vector>

namespace lockedfile {

ShredStatus ShredPass(ShredTarget& file, uint64_t length, ProgressSink& progress)
{
    const std::vector<uint8_t> zeros(kShredChunk, 0);
    progress.SetRange();
    progress.SetPos(0);
    uint64_t written = 0;
    do {
        if (progress.StopRequested())
            return ShredStatus::Stopped;
        // Lengths are 64-bit and the last chunk is what is left: the count never wraps.
        const size_t chunk = size_t(std::min<uint64_t>(kShredChunk, length - written));
        if (!file.Write(zeros.data(), chunk) || !file.Flush())
            return ShredStatus::WriteFailed;
        written += chunk;
        if (length != 0)
            progress.SetPos(int(double(written) / double(length) * 100.0));
    } while (written < length);
    progress.SetPos(100);
    return ShredStatus::Done;
}

}  // namespace lockedfile
