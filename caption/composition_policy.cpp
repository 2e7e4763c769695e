#include "composition_policy.h"

#include <dwmapi.h>

namespace {

typedef HRESULT(WINAPI* SetWindowAttributeProc)(HWND, DWORD, LPCVOID, DWORD);

// A library loaded for one call.
class CLoadedLibrary {
public:
    explicit CLoadedLibrary(const char* pszName) : m_hModule(::LoadLibraryA(pszName)) {}
    ~CLoadedLibrary() {
        if (m_hModule != nullptr) ::FreeLibrary(m_hModule);
    }
    CLoadedLibrary(const CLoadedLibrary&) = delete;
    CLoadedLibrary& operator=(const CLoadedLibrary&) = delete;

    FARPROC Find(const char* pszFunction) const {
        return m_hModule != nullptr ? ::GetProcAddress(m_hModule, pszFunction) : nullptr;
    }

private:
    HMODULE m_hModule;
};

}  // namespace

bool LeaveNonClientRenderingToProgram(HWND hWnd, const char* pszLibrary) {
    // Where the library is missing, no error box may interrupt the start.
    const UINT oldMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    CLoadedLibrary library(pszLibrary);
    ::SetErrorMode(oldMode);
    auto pfnSetWindowAttribute =
        reinterpret_cast<SetWindowAttributeProc>(reinterpret_cast<void (*)()>(library.Find("DwmSetWindowAttribute")));
    if (pfnSetWindowAttribute == nullptr) return false;
    // The policy stays with the window, so the library may go again at once.
    const DWORD policy = DWMNCRP_DISABLED;
    return SUCCEEDED(pfnSetWindowAttribute(hWnd, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy));
}
