// Pending files on Windows. The file is created with CREATE_NEW and its handle kept (no
// create-close-reopen race), shared with nobody and marked delete-pending, so that the
// system removes it however the process ends, until the commit clears the mark just before
// the rename. A file that replaces another is born with the replaced file's access list and
// attributes, as ReplaceFile would leave them, a new one with what its folder hands down;
// before a byte is written its list is narrowed to its source's where it would let anyone
// more in. So it is never readable by anyone who could not read its source or the file it
// replaces, not even while it is written.
#include "pending_platform.h"

#include <windows.h>
#include <aclapi.h>
#include <ntsecapi.h>

#include "access_list_win32.h"
#include "pending_file.h"
#include "system_win32.h"

namespace files {

namespace {

// SetFileInformationByHandle and its disposition class, which Windows XP lacks: looked up
// when first needed, so that the program still starts there (its files are then only
// removed by the program itself).
using SetFileInformationFunction = BOOL(WINAPI*)(HANDLE file, int informationClass, void* information, DWORD size);
constexpr int kFileDispositionInfo = 4;
struct DispositionInfo {
    BOOLEAN deleteFile;
};

SetFileInformationFunction SetFileInformation()
{
    static const SetFileInformationFunction function = reinterpret_cast<SetFileInformationFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetFileInformationByHandle")));
    return function;
}

bool MarkDeletePending(const File& file, bool pending)
{
    const SetFileInformationFunction setInformation = SetFileInformation();
    DispositionInfo disposition{pending ? BOOLEAN(TRUE) : BOOLEAN(FALSE)};
    return setInformation != nullptr &&
           setInformation(file.Native(), kFileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// The attributes a result keeps from the file it replaces (read-only ones are refused).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Who may open the file a result replaces, and its attributes; none for a new file.
struct Protection {
    win32::LocalMemory descriptor;
    win32::AccessList access;
    DWORD attributes = 0;
};

Result ProtectionOf(const std::wstring& destination, Protection& protection)
{
    // Opened to read its access list only, which no sharing of another opener forbids.
    File replaced(::CreateFileW(destination.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!replaced.IsOpen()) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {};
        return Failed("cannot read who may open the file it replaces: " + win32::SystemText(error));
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = ::GetSecurityInfo(replaced.Native(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                          nullptr, nullptr, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        return Failed("cannot read who may open the file it replaces: " + win32::SystemText(error));
    protection.descriptor.reset(descriptor);
    const Result read = win32::AccessListOf(descriptor, protection.access);
    if (!read.ok)
        return Failed("cannot read who may open the file it replaces: " + read.reason);
    BY_HANDLE_FILE_INFORMATION information;
    if (::GetFileInformationByHandle(replaced.Native(), &information))
        protection.attributes = information.dwFileAttributes & kKeptAttributes;
    return {};
}

// Narrows who may open the new `output` before anything is written to it, where what it was
// born with lets in anyone who may not read `source` or, when it replaces one, the file
// it replaces (`replaced`): to the source's list, or where that lets in anyone the
// replaced file does not, to the system and its user alone. The user who runs the job has
// read the source and holds what it writes: it may do anything with the result, as with
// any file it makes (a plaintext it could not change or delete would be no use to it). A
// list that cannot be read or set fails it.
Result KeepWithinItsSources(const File& output, win32::AccessList source, const win32::AccessList* replaced)
{
    win32::AccessList replacedReaders = replaced != nullptr ? *replaced : win32::AccessList();
    win32::AccessList born;
    Result result = win32::LetInCurrentUser(source);
    if (result.ok && replaced != nullptr)
        result = win32::LetInCurrentUser(replacedReaders);
    if (result.ok)
        result = win32::ReadAccessList(output.Native(), born);
    if (!result.ok)
        return result;
    const auto withinBounds = [&](const win32::AccessList& list) {
        return win32::GrantsNoMoreThan(list, source) &&
               (replaced == nullptr || win32::GrantsNoMoreThan(list, replacedReaders));
    };
    if (withinBounds(born))
        return {};
    win32::AccessList bound = source;
    if (!withinBounds(bound))
        result = win32::PrivateAccessList(bound);
    if (result.ok)
        result = win32::SetAccessList(output.Native(), bound);
    // What the system made of it is looked at again: one that keeps no lists (FAT) or maps
    // them to something wider must not pass.
    win32::AccessList set;
    if (result.ok)
        result = win32::ReadAccessList(output.Native(), set);
    if (result.ok && !win32::GrantsNoMoreThan(set, bound))
        return Failed("its folder lets in more than it was told");
    return result;
}

// Whether the volume of the open `file` keeps access lists. One that does not (FAT, exFAT:
// a USB stick) lets everybody who has it read everything on it; no list can narrow that,
// and a plaintext the user chose to write there is theirs to put there. When the system
// cannot say (Windows XP lacks the call), the volume is taken to keep them, so that a list
// that does not hold fails the job rather than letting anybody in.
bool VolumeKeepsAccessLists(const File& file)
{
    using VolumeInformationFunction = BOOL(WINAPI*)(HANDLE, LPWSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPWSTR, DWORD);
    static const VolumeInformationFunction volumeInformation = reinterpret_cast<VolumeInformationFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetVolumeInformationByHandleW")));
    DWORD flags = 0;
    if (volumeInformation == nullptr ||
        !volumeInformation(file.Native(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
        return true;
    return (flags & FILE_PERSISTENT_ACLS) != 0;
}

// "~kst", eight letters or digits drawn by the system's random generator, ".tmp": short,
// so that the path fits wherever it can, and plain about what it is.
bool RandomName(std::wstring& name)
{
    static const wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char drawn[8];
    if (!::RtlGenRandom(drawn, sizeof drawn))
        return false;
    name = L"~kst";
    for (unsigned char value : drawn)
        name += kLetters[value % (sizeof kLetters / sizeof kLetters[0] - 1)];
    name += L".tmp";
    return true;
}

}  // namespace

namespace win32 {

Result CreateUniqueIn(const std::wstring& folder, SECURITY_ATTRIBUTES* security, DWORD attributes, DWORD flags,
                      File& file, std::wstring& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring name;
        if (!RandomName(name))
            return Failed("cannot draw a name for it");
        path = folder + name;
        // WRITE_DAC: who may open it can be narrowed before anything is written. The creator
        // of a file is given what it asks for, whatever the file's list says.
        HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC, 0, security,
                                      CREATE_NEW,
                                      (attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL) | flags, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            file = File(handle);
            return {};
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            path.clear();
            return FailedWith(error);
        }
    }
    path.clear();
    return FailedWith(ERROR_FILE_EXISTS);
}

}  // namespace win32

namespace pending {

Result FullDestination(const Path& destination, NativePath& full)
{
    if (!win32::FullLongPath(destination.Native(), full))
        return win32::FailedWith(::GetLastError());
    return {};
}

NativePath FolderOf(const NativePath& destination)
{
    const size_t separator = destination.find_last_of(L'\\');
    return separator == NativePath::npos ? NativePath() : destination.substr(0, separator + 1);
}

Result SourcePermissions(const File&, unsigned& permissions)
{
    // On Windows the source's access list bounds the result as it is created.
    permissions = 0;
    return {};
}

Result CreateBeside(const NativePath& destination, const File* source, File& output, NativePath& temporary,
                    bool& removesItself)
{
    removesItself = false;
    Protection protection;
    Result result = ProtectionOf(destination, protection);
    if (!result.ok)
        return result;
    // A source on a volume that keeps no lists is open to everybody: it bounds nothing.
    const bool bounded = source != nullptr && VolumeKeepsAccessLists(*source);
    win32::AccessList sourceAccess;
    result = bounded ? win32::ReadAccessList(source->Native(), sourceAccess) : Result();
    if (!result.ok)
        return Failed("cannot read who may open its source: " + result.reason);
    SECURITY_ATTRIBUTES security{sizeof security, protection.descriptor.get(), FALSE};
    result = win32::CreateUniqueIn(FolderOf(destination), protection.descriptor ? &security : nullptr,
                                   protection.attributes, 0, output, temporary);
    if (!result.ok)
        return result;
    if (bounded && VolumeKeepsAccessLists(output))
        result = KeepWithinItsSources(output, sourceAccess, protection.descriptor ? &protection.access : nullptr);
    if (!result.ok) {
        result.reason = "cannot keep it from those who may not read its source: " + result.reason;
        // Removed through the handle, which may delete it whatever its list now says.
        if (!MarkDeletePending(output, true)) {
            output.Close();
            Remove(temporary);
        }
        output.Close();
        temporary.clear();
        return result;
    }
    // Marked only once its list is settled (whether a file whose deletion is pending takes a
    // new list is not documented); until then it holds nothing to leave behind.
    removesItself = MarkDeletePending(output, true);
    return result;
}

Result Seal(File& output, const NativePath&, unsigned, NativePath&, bool& removesItself)
{
    if (removesItself && !MarkDeletePending(output, false))
        return Failed("cannot keep it: " + LastErrorText());
    removesItself = false;
    return {};
}

std::string NotAFile(const NativePath& destination)
{
    // Devices (NUL, COM1) are no entries of a folder: a rename onto one fails by itself.
    const DWORD attributes = ::GetFileAttributesW(destination.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? "is a directory"
                                                                                                 : "";
}

Result Move(const NativePath& temporary, const NativePath& destination, bool replace, bool& existed)
{
    existed = false;
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (::MoveFileExW(temporary.c_str(), destination.c_str(), flags))
        return {};
    const DWORD error = ::GetLastError();
    existed = !replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS);
    return win32::FailedWith(error);
}

void Remove(const NativePath& temporary)
{
    ::DeleteFileW(temporary.c_str());
}

}  // namespace pending

bool SyncFolder(const NativePath&)
{
    // The rename was made with MOVEFILE_WRITE_THROUGH: it is on the disk when it returns.
    return true;
}

}  // namespace files
