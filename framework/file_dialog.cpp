#include "file_dialog.h"

#include <algorithm>

#include "dialog.h"
#include "modal_loop.h"
#include "wide_text.h"

namespace {
constexpr size_t kLongestPath = 32768;
}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const wchar_t* lpszFileName, DWORD dwFlags,
                         const char* lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd), m_filter(AfxWiden(lpszFilter)),
      m_defExt(AfxWiden(lpszDefExt)), m_title(), m_initialDir(), m_fileName(kLongestPath, L'\0') {
    for (wchar_t& ch : m_filter) {
        if (ch == L'|') ch = L'\0';
    }
    if (lpszFileName != nullptr) {
        const std::wstring name(lpszFileName);
        std::copy(name.begin(), name.begin() + std::min(name.size(), m_fileName.size() - 1), m_fileName.begin());
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = ::GetModuleHandleW(nullptr);
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_fileName.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_fileName.size());
    m_ofn.lpstrDefExt = m_defExt.empty() ? nullptr : m_defExt.c_str();
    m_ofn.Flags = dwFlags;
}

void CFileDialog::SetTitle(const char* lpszTitle) {
    m_title = AfxWiden(lpszTitle);
    m_ofn.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
}

void CFileDialog::SetInitialDir(const std::wstring& strFolder) {
    // The platform's dialog copies the folder into a buffer of MAX_PATH characters (Wine's
    // overruns it): a longer one is not given, and the dialog opens where it chooses.
    m_initialDir = strFolder.size() < MAX_PATH ? strFolder : std::wstring();
    m_ofn.lpstrInitialDir = m_initialDir.empty() ? nullptr : m_initialDir.c_str();
}

INT_PTR CFileDialog::DoModal() {
    // Without a parent the main window owns the dialog: it stays disabled meanwhile, so no
    // second command can start a flow while this one waits for the user.
    m_ofn.hwndOwner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : AfxGetMainWndHandle();
    CModalLoopScope modalLoop;
    const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return chosen ? IDOK : IDCANCEL;
}
