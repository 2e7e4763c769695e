#include "file_identity.h"

#include <windows.h>

#include "system_win32.h"

namespace files {

namespace {

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// The identity of a file by path. Opened for its attributes only, which any opener allows
// (a job's own source too); folders as well.
bool IdentityOf(const Path& path, BY_HANDLE_FILE_INFORMATION& information)
{
    const File file(::CreateFileW(win32::LongForm(path.Native()).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.IsOpen() && ::GetFileInformationByHandle(file.Native(), &information);
}

}  // namespace

bool SameFile(const Path& first, const Path& second)
{
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return IdentityOf(first, a) && IdentityOf(second, b) && SameIdentity(a, b);
}

bool SameFile(const File& open, const Path& path)
{
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return open.IsOpen() && ::GetFileInformationByHandle(open.Native(), &a) && IdentityOf(path, b) &&
           SameIdentity(a, b);
}

}  // namespace files
