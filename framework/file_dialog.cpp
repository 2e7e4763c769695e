#include "file_dialog.h"

#include <cstring>

#include "dialog.h"
#include "modal_loop.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd),
      m_filter(lpszFilter != nullptr ? lpszFilter : ""), m_defExt(lpszDefExt != nullptr ? lpszDefExt : ""),
      m_szFileName() {
    for (char& ch : m_filter) {
        if (ch == '|') ch = '\0';
    }
    if (lpszFileName != nullptr) {
        std::strncpy(m_szFileName, lpszFileName, sizeof m_szFileName - 1);
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = ::GetModuleHandleA(nullptr);
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrDefExt = m_defExt.empty() ? nullptr : m_defExt.c_str();
    m_ofn.Flags = dwFlags;
}

INT_PTR CFileDialog::DoModal() {
    // Without a parent the main window owns the dialog: it stays disabled meanwhile, so no
    // second command can start a flow while this one waits for the user.
    m_ofn.hwndOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : AfxGetMainWndHandle();
    CModalLoopScope modalLoop;
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}
