#include "destination.h"

#include <windows.h>

#include "pending_platform.h"
#include "system_win32.h"

namespace files {

namespace {

// What the file at `destination` would do to a rename over it.
DestinationProblem ReplacementProblem(const std::wstring& destination, DWORD attributes, std::string& reason)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = "is a directory";
        return DestinationProblem::IsFolder;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return DestinationProblem::ReadOnly;
    // Opened as the rename would take it, for deleting: refused while another program has
    // it open without letting others delete it.
    File probe(::CreateFileW(destination.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    if (!probe.IsOpen()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            return DestinationProblem::HeldOpen;
        reason = win32::SystemText(error);
        return DestinationProblem::Unknown;
    }
    if (::GetFileType(probe.Native()) == FILE_TYPE_DISK)
        return DestinationProblem::None;
    reason = "is a device";
    return DestinationProblem::NotAFile;
}

}  // namespace

DestinationCheck InspectDestination(const Path& destination)
{
    DestinationCheck check;
    std::wstring full;
    if (!win32::FullLongPath(destination.Native(), full)) {
        check.problem = DestinationProblem::Unknown;
        check.reason = LastErrorText();
        return check;
    }
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        check.exists = true;
        check.problem = ReplacementProblem(full, attributes, check.reason);
        if (check.problem != DestinationProblem::None)
            return check;
    } else if (::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_PATH_NOT_FOUND) {
        check.problem = DestinationProblem::Unknown;
        check.reason = LastErrorText();
        return check;
    }
    // The result is written beside the destination first: the folder must take a file,
    // even where the destination itself could be written.
    File probe;
    std::wstring path;
    const Result created =
        win32::CreateUniqueIn(pending::FolderOf(full), nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, probe, path);
    if (!created.ok) {
        check.problem = DestinationProblem::FolderRefuses;
        check.reason = created.reason;
    }
    return check;
}

}  // namespace files
