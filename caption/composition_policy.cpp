#include "composition_policy.h"

#include <dwmapi.h>

#include "process_hardening.h"

namespace {

typedef HRESULT(WINAPI* SetWindowAttributeProc)(HWND, DWORD, LPCVOID, DWORD);

}  // namespace

bool LeaveNonClientRenderingToProgram(HWND hWnd, const char* pszLibrary) {
    // Only the system's own library: one placed beside the program is never loaded.
    CSystemLibrary library(pszLibrary);
    const auto pfnSetWindowAttribute = library.Find<SetWindowAttributeProc>("DwmSetWindowAttribute");
    if (pfnSetWindowAttribute == nullptr) return false;
    // The policy stays with the window, so the library may go again at once.
    const DWORD policy = DWMNCRP_DISABLED;
    return SUCCEEDED(pfnSetWindowAttribute(hWnd, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy));
}
