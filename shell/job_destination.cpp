#include "job_destination.h"

#include "handle.h"

namespace {

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// Opened for its attributes only, so that any opener, a job's own source too, allows it.
HANDLE OpenToLookAt(const char* pszPath) {
    return ::CreateFileA(pszPath, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
}

// The identity of a file by path, or false when it cannot be looked at.
bool IdentityOf(const char* pszPath, BY_HANDLE_FILE_INFORMATION& info) {
    const CFileHandle file(OpenToLookAt(pszPath));
    return file.IsValid() && ::GetFileInformationByHandle(file.Get(), &info);
}

}  // namespace

std::string CreateFileBeside(const char* pszDest) {
    char full[MAX_PATH] = {};
    char* filePart = nullptr;
    const DWORD length = ::GetFullPathNameA(pszDest, sizeof full, full, &filePart);
    if (length == 0 || length >= sizeof full || filePart == nullptr) return std::string();
    *filePart = '\0';  // the folder, with its closing separator
    char temporary[MAX_PATH] = {};
    if (::GetTempFileNameA(full, "kst", 0, temporary) == 0) return std::string();
    return temporary;
}

bool ReplaceWithComplete(const std::string& temporary, const char* pszDest) {
    return ::MoveFileExA(temporary.c_str(), pszDest, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool IsSameFile(HANDLE hOpen, const char* pszPath) {
    BY_HANDLE_FILE_INFORMATION open{}, named{};
    return hOpen != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(hOpen, &open) && IdentityOf(pszPath, named) &&
           SameIdentity(open, named);
}

bool IsSameFile(const char* pszPath, const char* pszOther) {
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return IdentityOf(pszPath, a) && IdentityOf(pszOther, b) && SameIdentity(a, b);
}

bool MayReplace(HANDLE hSource, const char* pszDest) {
    const DWORD attributes = ::GetFileAttributesA(pszDest);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // nothing there to replace
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
    BY_HANDLE_FILE_INFORMATION source{}, dest{};
    if (hSource == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(hSource, &source)) return true;
    // A file that cannot even be looked at cannot be shown to be another one.
    return IdentityOf(pszDest, dest) && !SameIdentity(source, dest);
}
