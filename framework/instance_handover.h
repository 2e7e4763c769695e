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

// Sends an action of the application's own (a verb it names, as a switch of its command
// line does) for a file to the running window; true when it accepted it. It travels under
// a tag of its own, so that a running program that knows only open requests refuses it
// rather than opening the file as a document.
bool SendVerbRequest(HWND hTarget, const std::string& strVerb, const std::string& strPath);
// Reads a WM_COPYDATA verb request; false for anything that is not a well-formed one.
bool ReadVerbRequest(const COPYDATASTRUCT* pData, std::string& strVerb, std::string& strPath);
