// What both Windows executables do before anything else, and how they load a DLL they use
// only where it exists. A DLL found beside the executable would be loaded before the
// system's own, and an executable is often started from a folder anyone can put files in
// (Downloads): every DLL comes from System32.
#pragma once

#include <windows.h>

// First thing at start: a corrupted heap ends the process at once instead of being used
// further, and the search for DLLs is restricted to System32.
void HardenProcess();

// Restricts the process's DLL search to System32. Where the system cannot do that (before
// the update that brought SetDefaultDllDirectories) it at least takes the current folder
// out of the search. True when the search is System32 alone.
bool RestrictDllSearchToSystem32();

// The function `pszName` of `hModule` as a `Function` pointer; null where the module or the
// function is missing (older systems lack some of the functions we use where they exist).
template <class Function>
Function FindFunction(HMODULE hModule, const char* pszName) {
    return hModule != nullptr
               ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszName)))
               : nullptr;
}

// Loads a DLL by its bare name from System32 and from nowhere else; null when it is not
// there. No error box comes up for a DLL that is missing.
HMODULE LoadSystemLibrary(const char* pszName);

// A DLL loaded from System32, given back when this goes.
class CSystemLibrary {
public:
    explicit CSystemLibrary(const char* pszName) : m_hModule(LoadSystemLibrary(pszName)) {}
    ~CSystemLibrary() {
        if (m_hModule != nullptr) ::FreeLibrary(m_hModule);
    }
    CSystemLibrary(const CSystemLibrary&) = delete;
    CSystemLibrary& operator=(const CSystemLibrary&) = delete;

    bool IsLoaded() const { return m_hModule != nullptr; }
    // The function, or null.
    template <class Function>
    Function Find(const char* pszFunction) const {
        return FindFunction<Function>(m_hModule, pszFunction);
    }

private:
    HMODULE m_hModule;
};
