// One running Kestrine at a time: a second start with a file hands the path to the
// window of the first and ends. The running main window is known by a property.
#pragma once

#include <windows.h>

#include <string>

#include "handle.h"

// Marks hWnd as the running program's main window (and unmarks it when bMark is false).
void MarkRunningMainWindow(HWND hWnd, bool bMark);
// The marked main window of another running instance, or null.
HWND FindRunningMainWindow();

// Starts of the program in one session take turns: a start holds this from looking for a
// running window until it has handed its file over or marked its own window, so that starts
// that come at once (several files chosen in Explorer) find one window rather than each make
// their own. A start that waited too long goes on without it.
class CStartupTurn {
public:
    CStartupTurn();
    ~CStartupTurn();
    CStartupTurn(const CStartupTurn&) = delete;
    CStartupTurn& operator=(const CStartupTurn&) = delete;

private:
    CKernelHandle m_hMutex;
    bool m_bHeld;
};

// The senders below first allow the running program to come to the front: the system gives
// the foreground only to a program the one in front allows, and the second start is in front.
// Sends the path to the running window as WM_COPYDATA; true when it accepted it.
bool SendOpenRequest(HWND hTarget, const std::wstring& strPath);
// Reads a WM_COPYDATA open request; false for anything that is not a well-formed one.
bool ReadOpenRequest(const COPYDATASTRUCT* pData, std::wstring& strPath);

// Sends an action of the application's own (a verb it names, as a switch of its command
// line does) for a file to the running window; true when it accepted it. It travels under
// a tag of its own, so that a running program that knows only open requests refuses it
// rather than opening the file as a document.
bool SendVerbRequest(HWND hTarget, const std::string& strVerb, const std::wstring& strPath);
// Reads a WM_COPYDATA verb request; false for anything that is not a well-formed one.
bool ReadVerbRequest(const COPYDATASTRUCT* pData, std::string& strVerb, std::wstring& strPath);
