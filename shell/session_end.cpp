#include "session_end.h"

#include "process_hardening.h"

namespace {

// Not declared for the Windows versions the build targets; Windows Vista added it.
constexpr LPARAM kEndSessionCritical = 0x40000000;

using ReasonCreateFunction = BOOL(WINAPI*)(HWND, LPCWSTR);
using ReasonDestroyFunction = BOOL(WINAPI*)(HWND);

// The shutdown-reason functions, which Windows XP lacks: looked up, not imported.
template <class Function>
Function User32Function(const char* pszName) {
    return FindFunction<Function>(::GetModuleHandleW(L"user32.dll"), pszName);
}

}  // namespace

bool SessionEndIsCritical(LPARAM lEndSessionFlags) { return (lEndSessionFlags & kEndSessionCritical) != 0; }

void HoldUpSessionEnd(HWND hWnd, const wchar_t* reason) {
    if (const auto create = User32Function<ReasonCreateFunction>("ShutdownBlockReasonCreate")) create(hWnd, reason);
}

void StopHoldingUpSessionEnd(HWND hWnd) {
    if (const auto destroy = User32Function<ReasonDestroyFunction>("ShutdownBlockReasonDestroy")) destroy(hWnd);
}
