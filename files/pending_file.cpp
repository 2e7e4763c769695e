#include "pending_file.h"

#include "pending_platform.h"

namespace files {

PendingFile::PendingFile(File& output, FolderSync syncFolder)
    : m_output(output), m_syncFolder(syncFolder), m_destination(), m_temporary(), m_removesItself(false),
      m_permissions(0)
{
}

PendingFile::~PendingFile()
{
    Discard();
}

void PendingFile::Discard()
{
    m_output.Close();
    if (!m_removesItself && !m_temporary.empty())
        pending::Remove(m_temporary);
    m_temporary.clear();
    m_removesItself = false;
}

Result PendingFile::Create(const Path& destination, const File& source)
{
    Discard();
    Result result = pending::FullDestination(destination, m_destination);
    if (result.ok)
        result = pending::SourcePermissions(source, m_permissions);
    if (result.ok)
        result = pending::CreateBeside(m_destination, &source, m_output, m_temporary, m_removesItself);
    return result;
}

CommitStatus PendingFile::Fail(std::string& reason, const std::string& what)
{
    reason = what;
    Discard();
    return CommitStatus::Failed;
}

CommitStatus PendingFile::Commit(bool replace, std::string& reason, const FlushFunction& flush)
{
    if (!m_output.IsOpen())
        return Fail(reason, "it is not open");
    // The bytes go to the disk before the name does: a power cut after the rename must
    // not leave an empty or partial file under the destination's name.
    if (!(flush ? flush() : m_output.Flush()))
        return Fail(reason, "cannot flush it to disk: " + LastErrorText());
    const Result sealed = pending::Seal(m_output, m_destination, m_permissions, m_temporary, m_removesItself);
    if (!sealed.ok)
        return Fail(reason, sealed.reason);
    if (!m_output.Close())
        return Fail(reason, "cannot close it: " + LastErrorText());
    // Only a file is replaced: whatever took the name since it was first looked at is
    // looked at again, as close to the rename as a portable look can come.
    const std::string notAFile = replace ? pending::NotAFile(m_destination) : std::string();
    if (!notAFile.empty())
        return Fail(reason, notAFile);
    bool existed = false;
    const Result moved = pending::Move(m_temporary, m_destination, replace, existed);
    if (!moved.ok) {
        Fail(reason, moved.reason);
        return existed ? CommitStatus::Exists : CommitStatus::Failed;
    }
    // It is the destination now: nothing may remove it.
    m_temporary.clear();
    if (!m_syncFolder(pending::FolderOf(m_destination))) {
        reason = "it is in place, but its folder could not be flushed to disk";
        return CommitStatus::Failed;
    }
    return CommitStatus::Done;
}

}  // namespace files
