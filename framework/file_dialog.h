// The platform's open and save dialogs, in their wide form: a file whose name holds
// characters the ANSI code page lacks can be chosen, and a path may be of any length the
// dialog hands back.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "wnd.h"

class CFileDialog {
public:
    // `lpszFilter` pairs descriptions and patterns separated by '|' and ends in "||".
    // `dwFlags` replaces the dialog's flags entirely. The program's own texts are narrow;
    // the proposed file name is wide.
    CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr, const wchar_t* lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const char* lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // Set before DoModal: the dialog's caption, and the folder it opens in (none, or one of
    // MAX_PATH characters or more: the platform chooses).
    void SetTitle(const char* lpszTitle);
    void SetInitialDir(const std::wstring& strFolder);

    // IDOK when a file was chosen, IDCANCEL otherwise.
    INT_PTR DoModal();
    std::wstring GetPathName() const { return std::wstring(m_fileName.data()); }

    // Public so that the caller may set more before DoModal.
    OPENFILENAMEW m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::wstring m_filter;  // with NULs where the '|' were
    std::wstring m_defExt;
    std::wstring m_title;
    std::wstring m_initialDir;
    // Room for the longest path the wide functions take.
    std::vector<wchar_t> m_fileName;
};
