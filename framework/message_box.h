// Modal message boxes under the application's name.
#pragma once

#include <windows.h>

#include <string>

// The application's name: the caption of every message box. The application object gives
// it with AfxSetAppName; until then (or after AfxSetAppName(nullptr)) it is the module's
// AFX_IDS_APP_TITLE string, else the executable's base name.
const char* AfxGetAppName();
void AfxSetAppName(const char* pszAppName);

// Shows a modal message box on the calling thread, owned by the active window of that
// thread if it has one, else by the application's main window. Returns the id of the
// button pressed.
int AfxMessageBox(const char* pszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The same for a text that names files: wide, so that every character of a name shows.
int AfxMessageBox(const std::wstring& strText, UINT nType = MB_OK);
