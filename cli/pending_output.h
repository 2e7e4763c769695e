// An output that appears under its name only when it is complete: written to a temporary
// file in the destination's folder, flushed to disk, given no wider access than its source,
// then renamed and the folder flushed. Until then the destination, if any, is untouched; a
// pending output that is never committed is removed. Only a file (or a link) is replaced.
#pragma once

#include <string>

#include "platform.h"

namespace kst {

enum class CommitStatus { Done, Exists, Failed };

// Flushes a folder's names to disk (SyncFolder; tests look at the calls).
using FolderSync = bool (*)(const std::string& folder);

class PendingOutput {
public:
    PendingOutput(std::string destination, FileHandle& source, FolderSync syncFolder = SyncFolder);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    FileResult Create();
    FileHandle& File() { return m_file; }
    const std::string& TemporaryPath() const { return m_temporaryPath; }
    CommitStatus Commit(bool replace, std::string& reason);
    // Removes the temporary file now, before anything is said about the failure: saying it
    // may not return (a reader of stderr that has gone).
    void Discard();

private:
    CommitStatus Fail(std::string& reason, const std::string& what);

    const std::string m_destination;
    FileHandle& m_source;
    const FolderSync m_syncFolder;
    std::string m_temporaryPath;
    FileHandle m_file;
    bool m_committed;
};

}  // namespace kst
