// Stands in for the window manager's library (dwmapi.dll) where the platform has none to
// watch: it records the attribute call it gets and answers that it took it.
#include "fake_dwmapi.h"

namespace {
FakeDwmCall g_lastCall = {0, nullptr, 0, 0, 0};
}  // namespace

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
