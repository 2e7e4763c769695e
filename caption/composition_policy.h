// Windows with desktop composition draw the frames of windows themselves, and would show
// the system's caption under the one the painter draws (and flash it between two paints).
// The window manager is asked to leave the non-client area to the program.
#pragma once

#include <windows.h>

// Asks the window manager (DwmSetWindowAttribute with DWMWA_NCRENDERING_POLICY =
// DWMNCRP_DISABLED) to leave hWnd's non-client rendering to the program. The library and
// its function are looked up at run time, so the program still starts where they do not
// exist; then, or when the call fails, nothing changes. True when the call was made and
// succeeded. pszLibrary is the bare name of the library that provides the function; it is
// loaded from System32 alone.
bool LeaveNonClientRenderingToProgram(HWND hWnd, const char* pszLibrary = "dwmapi.dll");
