// info: what a locked file's header says, read without the password.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "commands.h"
#include "exit_status.h"
#include "file_streams.h"

namespace kst {

namespace {

// The stored name comes from the file: shown as it is, its control bytes would drive the
// terminal (retitle it, clear it) or forge lines of this output. Only printable ASCII is
// shown as itself; every other byte, and the backslash, is escaped.
std::string Escaped(const std::string& name)
{
    static const struct {
        char byte;
        const char* text;
    } kShortEscapes[] = {{'\\', "\\\\"}, {'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}};
    std::string shown;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const auto escape = std::find_if(std::begin(kShortEscapes), std::end(kShortEscapes),
                                         [c](const auto& entry) { return entry.byte == c; });
        if (escape != std::end(kShortEscapes)) {
            shown += escape->text;
        } else if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            shown += hex;
        }
    }
    return shown;
}

}  // namespace

int RunInfo(const Options& options)
{
    files::File file;
    uint64_t length = 0;
    lockedfile::HeaderInfo header;
    if (int status = OpenLockedFile(options.file, file, length, header))
        return status;
    files::FileSource source(file, files::FileSource::kNoReadAhead);

    std::printf("file:          %s\n", options.file.c_str());
    std::printf("stored name:   %s (%u bytes)\n", Escaped(header.storedName).c_str(),
                unsigned(header.storedName.size()));
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
