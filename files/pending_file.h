// A new file that takes its destination's name only when it is complete: written beside
// the destination (so that the rename stays on one volume), flushed, then renamed over
// it. Until then the destination, if any, is untouched, and nobody else may open the new
// file: on Windows it is held without sharing under a short name no one can guess, on
// Linux it has no name at all, elsewhere only its owner may open it. A crash, a kill or a
// log-off leaves nothing behind (on Windows it is delete-pending until the commit, on
// Linux it has no name); one that is given up is removed.
//
// Who may read the result: nobody who may not read its source, nor, when it replaces a
// file, anybody who may not read that file, from the moment it exists. On Windows a file
// that replaces another is created with the replaced file's access list and attributes, a
// new file with what any new file in its folder gets; before a byte is written that list
// is narrowed to the source's (or, where the source's and the replaced file's each let in
// someone the other does not, to the system and the user) where it would let more in. On
// POSIX systems it is readable by its owner alone until the commit gives it the source's
// permission bits, less the umask and never more than those of the file it replaces. Only a file (or
// a link) is replaced, never a device, a FIFO, a socket or a folder.
#pragma once

#include <functional>
#include <string>

#include "file_handle.h"
#include "path.h"
#include "result.h"

namespace files {

enum class CommitStatus { Done, Exists, Failed };

// Makes the names in `folder` (a rename just done there) last across a power cut.
bool SyncFolder(const NativePath& folder);
using FolderSync = bool (*)(const NativePath& folder);
// Flushes the pending file; by default its own Flush. A face passes its own, so that what
// stands in for its files in its tests sees the flush.
using FlushFunction = std::function<bool()>;

class PendingFile {
public:
    // The new file is opened into `output`, which must outlive this object.
    explicit PendingFile(File& output, FolderSync syncFolder = SyncFolder);
    // Discards the file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Creates the file beside `destination` for the bytes of the open file `source`.
    Result Create(const Path& destination, const File& source);
    // Where the file is while it is pending; empty while it has no name.
    const NativePath& TemporaryPath() const { return m_temporary; }
    // Flushes the file and puts it in the destination's place; without `replace` an
    // existing destination is left alone (Exists). On failure the file is gone and
    // `reason` says why.
    CommitStatus Commit(bool replace, std::string& reason, const FlushFunction& flush = nullptr);
    // Removes the file now, before anything is said about a failure: saying it may not
    // return (a reader of stderr that has gone).
    void Discard();

private:
    CommitStatus Fail(std::string& reason, const std::string& what);

    File& m_output;
    const FolderSync m_syncFolder;
    NativePath m_destination;      // full, in the form the system's calls take
    NativePath m_temporary;
    bool m_removesItself;          // the system removes it when it is closed or the process ends
    unsigned m_permissions;        // POSIX: the bits the source allows
};

}  // namespace files
