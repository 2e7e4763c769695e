// The head of a locked file, as info and decrypt both read it.
#include "commands.h"
#include "exit_status.h"
#include "file_streams.h"
#include "open.h"

namespace kst {

int OpenLockedFile(const std::string& path, files::File& file, uint64_t& length, lockedfile::HeaderInfo& header)
{
    const files::Result opened = files::OpenRegular(path, files::Access::Read, files::Sharing::Read, file, length);
    if (!opened.ok)
        return Refuse(kExitIoError, path + ": " + opened.reason);
    files::FileSource source(file, files::FileSource::kNoReadAhead);
    header = lockedfile::ReadHeader(source, length);
    switch (header.status) {
    case lockedfile::HeaderStatus::Ok: return kExitDone;
    case lockedfile::HeaderStatus::NotLocked:
        return Refuse(kExitNotLocked, path + ": not a locked file: it does not begin with the magic BLOW");
    case lockedfile::HeaderStatus::NoTailCount:
        return Refuse(kExitNotLocked, path + ": not a locked file: it ends right after the stored name, without the tail count");
    case lockedfile::HeaderStatus::BadHeader:
        return Refuse(kExitNotLocked,
                      path + ": not a locked file: its name length is 0 or the file ends inside the stored name");
    case lockedfile::HeaderStatus::ReadFailed: break;
    }
    return Refuse(kExitIoError, "error reading " + path + ": " + source.Failure());
}

}  // namespace kst
