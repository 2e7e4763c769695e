// The platform's open and save dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "cstring.h"
#include "wnd.h"

class CFileDialog {
public:
    // `lpszFilter` pairs descriptions and patterns separated by '|' and ends in "||".
    // `dwFlags` replaces the dialog's flags entirely.
    CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr, const char* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    CString GetPathName() const { return CString(m_szFileName); }

    // Public so that the caller may set the title and the like before DoModal.
    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::string m_filter;       // with NULs where the '|' were
    std::string m_defExt;
    char m_szFileName[MAX_PATH * 4];
};
