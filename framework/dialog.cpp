#include "dialog.h"

#include "modal_loop.h"
#include "thread.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

HWND AfxGetMainWndHandle() {
    CWinThread* thread = AfxGetThread();
    CWnd* mainWnd = thread != nullptr ? thread->GetMainWnd() : nullptr;
    return mainWnd != nullptr ? mainWnd->GetSafeHwnd() : nullptr;
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : AfxGetMainWndHandle();
    CModalLoopScope modalLoop;
    CWindowCreationHook hook(this);
    // A Unicode dialog: its controls take any character typed into them (a password in
    // letters the code page lacks is then refused, not silently changed).
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), owner, &AfxDlgProc, 0);
}

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

BOOL CDialog::HandleInitDialog() { return OnInitDialog(); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }
