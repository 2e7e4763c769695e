// Opening files on Windows, through the wide functions and the long form of their paths.
#include "open.h"

#include <windows.h>

#include <io.h>

#include "system_win32.h"

namespace files {

namespace {

DWORD AccessFor(Access access)
{
    static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
    return kAccess[int(access)];
}

DWORD SharingFor(Sharing sharing)
{
    static const DWORD kSharing[] = {0, FILE_SHARE_READ, FILE_SHARE_READ | FILE_SHARE_WRITE};
    return kSharing[int(sharing)];
}

Result OpenHandle(const Path& path, Access access, Sharing sharing, DWORD disposition, DWORD flags, File& file)
{
    // Windows refuses to write to a read-only file; some hosts (Wine run by a superuser) do
    // not, and the jobs rely on the refusal.
    const std::wstring longForm = win32::LongForm(path.Native());
    const DWORD attributes = ::GetFileAttributesW(longForm.c_str());
    if (access != Access::Read && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return win32::FailedWith(ERROR_ACCESS_DENIED);
    }
    HANDLE handle =
        ::CreateFileW(longForm.c_str(), AccessFor(access), SharingFor(sharing), nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return win32::FailedWith(::GetLastError());
    file = File(handle);
    return {};
}

// A second handle on one the process holds, closed on its own; it shares the file position.
Result Duplicate(HANDLE handle, File& file)
{
    HANDLE duplicate = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return win32::FailedWith(::GetLastError());
    file = File(duplicate);
    return {};
}

}  // namespace

Result Open(const Path& path, Access access, Sharing sharing, Creation creation, File& file)
{
    const DWORD disposition = creation == Creation::CreateOrEmpty ? CREATE_ALWAYS : OPEN_EXISTING;
    return OpenHandle(path, access, sharing, disposition, FILE_ATTRIBUTE_NORMAL, file);
}

Result OpenRegular(const Path& path, Access access, Sharing sharing, File& file, uint64_t& length)
{
    const DWORD attributes = ::GetFileAttributesW(win32::LongForm(path.Native()).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return win32::FailedWith(::GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Failed("is a directory");
    const Result result = OpenHandle(path, access, sharing, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, file);
    if (!result.ok)
        return result;
    LARGE_INTEGER size;
    if (::GetFileType(file.Native()) != FILE_TYPE_DISK || !::GetFileSizeEx(file.Native(), &size)) {
        file.Close();
        return Failed("not a regular file");
    }
    length = uint64_t(size.QuadPart);
    return {};
}

Result OpenStandardOutput(File& file)
{
    return Duplicate(::GetStdHandle(STD_OUTPUT_HANDLE), file);
}

Result OpenDescriptor(int descriptor, File& file)
{
    const intptr_t handle = ::_get_osfhandle(descriptor);
    if (handle == -1) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return win32::FailedWith(ERROR_INVALID_HANDLE);
    }
    return Duplicate(reinterpret_cast<HANDLE>(handle), file);
}

}  // namespace files
