// info: what a locked file's header says, read without the password.
#include <cstdio>

#include "commands.h"
#include "exit_status.h"
#include "file_streams.h"

namespace kst {

int RunInfo(const Options& options)
{
    FileHandle file;
    uint64_t length = 0;
    lockedfile::HeaderInfo header;
    if (int status = OpenLockedFile(options.file, file, length, header))
        return status;
    FileSource source(file);

    std::printf("file:          %s\n", options.file.c_str());
    std::printf("stored name:   %s\n", header.storedName.c_str());
    if (length <= header.dataOffset) {
        std::printf("tail count:    missing (the file ends after the name)\n");
        std::printf("plain length:  0 bytes\n");
        return kExitDone;
    }
    uint8_t tailCount = 0;
    size_t got = 0;
    if (!source.Read(&tailCount, 1, got) || got != 1)
        return Refuse(kExitIoError, "error reading " + options.file);
    const lockedfile::BlockLayout layout = lockedfile::LayoutOf(length - header.dataOffset - 1, tailCount);
    std::printf("tail count:    %u%s\n", unsigned(tailCount),
                tailCount >= 8 ? " (not one the program writes; the last block counts whole)" : "");
    std::printf("blocks:        %llu\n", static_cast<unsigned long long>(layout.wholeBlocks));
    std::printf("plain length:  %llu bytes\n", static_cast<unsigned long long>(layout.PlainLength()));
    if (layout.extraBytes > 0)
        std::printf("stray bytes:   %u after the last block (decrypt copies them unchanged)\n",
                    unsigned(layout.extraBytes));
    return std::fflush(stdout) == 0 ? kExitDone : kExitIoError;
}

}  // namespace kst
