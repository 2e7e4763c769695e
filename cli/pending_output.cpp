#include "pending_output.h"

namespace kst {

PendingOutput::PendingOutput(std::string destination, FileHandle& source, FolderSync syncFolder)
    : m_destination(std::move(destination)), m_source(source), m_syncFolder(syncFolder), m_temporaryPath(),
      m_file(), m_committed(false)
{
}

PendingOutput::~PendingOutput()
{
    Discard();
}

void PendingOutput::Discard()
{
    m_file.Close();
    if (!m_committed && !m_temporaryPath.empty())
        RemoveFile(m_temporaryPath);
    m_temporaryPath.clear();
}

FileResult PendingOutput::Create()
{
    // Beside the destination, so the final rename stays on one file system.
    return CreateUniqueFile(FolderOf(m_destination), m_file, m_temporaryPath);
}

CommitStatus PendingOutput::Fail(std::string& reason, const std::string& what)
{
    reason = what;
    Discard();
    return CommitStatus::Failed;
}

CommitStatus PendingOutput::Commit(bool replace, std::string& reason)
{
    if (!m_file.Flush())
        return Fail(reason, "cannot flush it to disk: " + LastErrorText());
    const FileResult limited = LimitAccess(m_file, m_source, m_destination);
    if (!limited.ok)
        return Fail(reason, "cannot set who may read it: " + limited.reason);
    if (!m_file.Close())
        return Fail(reason, "cannot close it: " + LastErrorText());
    // Only a file is replaced: whatever took the name since it was first looked at is
    // looked at again, as close to the rename as a portable look can come.
    const std::string notAFile = replace ? NotAFile(m_destination) : "";
    if (!notAFile.empty())
        return Fail(reason, notAFile);
    bool existed = false;
    const FileResult renamed = RenameFile(m_temporaryPath, m_destination, replace, existed);
    if (!renamed.ok) {
        Fail(reason, renamed.reason);
        return existed ? CommitStatus::Exists : CommitStatus::Failed;
    }
    m_committed = true;
    if (!m_syncFolder(FolderOf(m_destination))) {
        reason = "it is in place, but its folder could not be flushed to disk";
        return CommitStatus::Failed;
    }
    return CommitStatus::Done;
}

}  // namespace kst
