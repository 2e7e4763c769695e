#include "pending_output.h"

namespace kst {

PendingOutput::PendingOutput(std::string destination)
    : m_destination(std::move(destination)), m_temporaryPath(), m_file(), m_committed(false)
{
}

PendingOutput::~PendingOutput()
{
    m_file.Close();
    if (!m_committed && !m_temporaryPath.empty())
        RemoveFile(m_temporaryPath);
}

FileResult PendingOutput::Create()
{
    // Beside the destination, so the final rename stays on one file system.
    const std::string name = m_destination.substr(FileNameStart(m_destination));
    return CreateUniqueFile(FolderOf(m_destination), "." + name + ".kst-part", m_file, m_temporaryPath);
}

CommitStatus PendingOutput::Commit(bool replace, std::string& reason)
{
    if (!m_file.Flush()) {
        reason = "cannot flush it to disk";
        return CommitStatus::Failed;
    }
    if (!m_file.Close()) {
        reason = "cannot close it";
        return CommitStatus::Failed;
    }
    bool existed = false;
    const FileResult renamed = RenameFile(m_temporaryPath, m_destination, replace, existed);
    if (!renamed.ok) {
        reason = renamed.reason;
        return existed ? CommitStatus::Exists : CommitStatus::Failed;
    }
    m_committed = true;
    return CommitStatus::Done;
}

}  // namespace kst
