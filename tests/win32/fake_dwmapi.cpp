// Stands in for the window manager's library (dwmapi.dll) where the platform has none to
// watch: it records the attribute call it gets and answers that it took it. Whenever it is
// loaded it leaves a file beside itself, its own path with ".loaded" added, so that a test can
// tell it was loaded even after it has gone again (under any name it was copied to).
#include "fake_dwmapi.h"

namespace {
FakeDwmCall g_lastCall = {0, nullptr, 0, 0, 0};
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID) {
    if (dwReason != DLL_PROCESS_ATTACH) return TRUE;
    char path[MAX_PATH + 8] = {};
    const DWORD n = ::GetModuleFileNameA(hInstance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    ::lstrcatA(path, ".loaded");
    const HANDLE hMarker = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hMarker != INVALID_HANDLE_VALUE) ::CloseHandle(hMarker);
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI DwmSetWindowAttribute(HWND hWnd, DWORD dwAttribute,
                                                                      LPCVOID pvAttribute, DWORD cbAttribute) {
    ++g_lastCall.nCalls;
    g_lastCall.hWnd = hWnd;
    g_lastCall.dwAttribute = dwAttribute;
    g_lastCall.cbValue = cbAttribute;
    g_lastCall.dwValue = cbAttribute >= sizeof(DWORD) ? *static_cast<const DWORD*>(pvAttribute) : 0;
    return S_OK;
}

extern "C" __declspec(dllexport) void WINAPI FakeDwmLastCall(FakeDwmCall* pCall) { *pCall = g_lastCall; }
