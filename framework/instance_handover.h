// One running Kestrine at a time: a second start with a file hands the path to the
// window of the first and ends. The running main window is known by a property.
#pragma once

#include <windows.h>

#include <string>

// Marks hWnd as the running program's main window (and unmarks it when bMark is false).
void MarkRunningMainWindow(HWND hWnd, bool bMark);
// The marked main window of another running instance, or null.
HWND FindRunningMainWindow();

// Sends the path to the running window as WM_COPYDATA; true when it accepted it.
bool SendOpenRequest(HWND hTarget, const std::string& strPath);
// Reads a WM_COPYDATA open request; false for anything that is not a well-formed one.
bool ReadOpenRequest(const COPYDATASTRUCT* pData, std::string& strPath);
