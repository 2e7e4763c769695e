// info: what a locked file's header says, read without the password.
#include <cstdio>
#include <string>

#include "code_pages.h"
#include "commands.h"
#include "exit_status.h"
#include "file_streams.h"
#include "platform.h"
#include "stored_names.h"

namespace kst {

int RunInfo(const Options& options)
{
    files::File file;
    uint64_t length = 0;
    lockedfile::HeaderInfo header;
    if (int status = OpenLockedFile(options.file, file, length, header))
        return status;
    files::FileSource source(file, files::FileSource::kNoReadAhead);
    const OpenedCodePage codePage = OpenCodePage(options.codePage);
    if (codePage.converter == nullptr)
        return Refuse(kExitUsage, codePage.reason);

    // The names through WriteToStdout, which shows them whole on a Windows console.
    WriteToStdout("file:          " + options.file + "\n");
    WriteToStdout("stored name:   " + ShownStoredName(header.storedName, *codePage.converter) + " (" +
                  std::to_string(header.storedName.size()) + " bytes, code page " + std::to_string(codePage.number) +
                  ")\n");
    uint8_t tailCount = 0;
    size_t got = 0;
    if (!source.Read(&tailCount, 1, got))
        return Refuse(kExitIoError, "error reading " + options.file + ": " + source.Failure());
    if (got != 1)
        return Refuse(kExitIoError, options.file + " got shorter while it was read");
    const lockedfile::BlockLayout layout = lockedfile::LayoutOf(length - header.dataOffset - 1, tailCount);
    std::printf("tail count:    %u%s\n", unsigned(tailCount),
                tailCount >= 8 ? " (not one the program writes; the last block counts whole)" : "");
    std::printf("blocks:        %llu\n", static_cast<unsigned long long>(layout.wholeBlocks));
    std::printf("plain length:  %llu bytes\n", static_cast<unsigned long long>(layout.PlainLength()));
    if (layout.extraBytes > 0)
        std::printf("stray bytes:   %u after the last block (decrypt copies them unchanged)\n",
                    unsigned(layout.extraBytes));
    return FinishStandardOutput();
}

}  // namespace kst
