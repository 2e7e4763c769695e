// What the stand-in for the window manager's library recorded of the last attribute call.
#pragma once

#include <windows.h>

struct FakeDwmCall {
    int nCalls;
    HWND hWnd;
    DWORD dwAttribute;
    DWORD dwValue;
    DWORD cbValue;
};

// Exported by fake_dwmapi.dll: copies the record.
typedef void(WINAPI* FakeDwmLastCallProc)(FakeDwmCall* pCall);
