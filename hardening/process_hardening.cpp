#include "process_hardening.h"

#include <string>

namespace {

// kernel32's functions that older systems lack, looked up at run time so that the
// programs still start there.
template <class Function>
Function* Kernel32(const char* pszName) {
    return FindFunction<Function*>(::GetModuleHandleA("kernel32.dll"), pszName);
}

using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
using SetDllDirectoryFunction = BOOL WINAPI(LPCSTR);

// Swaps the process's error mode for the life of the object: a DLL that is missing must
// not bring up a box.
class CQuietErrorMode {
public:
    CQuietErrorMode() : m_nOld(::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    ~CQuietErrorMode() { ::SetErrorMode(m_nOld); }
    CQuietErrorMode(const CQuietErrorMode&) = delete;
    CQuietErrorMode& operator=(const CQuietErrorMode&) = delete;

private:
    UINT m_nOld;
};

}  // namespace

void HardenProcess() {
    // Where the system does not know the setting (before Vista), it refuses it; nothing else changes.
    ::HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    RestrictDllSearchToSystem32();
}

bool RestrictDllSearchToSystem32() {
    if (auto* pfnSetDefaultDllDirectories = Kernel32<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories")) {
        if (pfnSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) return true;
    }
    // An empty folder takes the current folder out of the search; the executable's own
    // folder stays, which is why every DLL the programs load at run time is named with
    // System32 (LoadSystemLibrary) and every static import is one of the known DLLs.
    if (auto* pfnSetDllDirectory = Kernel32<SetDllDirectoryFunction>("SetDllDirectoryA")) pfnSetDllDirectory("");
    return false;
}

HMODULE LoadSystemLibrary(const char* pszName) {
    CQuietErrorMode quiet;
    if (HMODULE hModule = ::LoadLibraryExA(pszName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return hModule;
    // A system without the search flags refuses them as an invalid parameter; there the
    // full path names System32 just as well.
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    char folder[MAX_PATH] = {};
    const UINT nLength = ::GetSystemDirectoryA(folder, MAX_PATH);
    if (nLength == 0 || nLength >= MAX_PATH) return nullptr;
    const std::string path = std::string(folder, nLength) + "\\" + pszName;
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
