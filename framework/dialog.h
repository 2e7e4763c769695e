// Modal dialogs on resource templates.
#pragma once

#include "wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog; its owner is the given parent, else the main window of this thread.
    // Returns the value given to EndDialog, or -1 when the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    // Fills the controls from the fields; TRUE puts the focus on the first control.
    virtual BOOL OnInitDialog();

protected:
    // OK: take the data from the controls and close with IDOK, unless a field is refused.
    virtual void OnOK();
    // Cancel button, Esc and the close box: close with IDCANCEL.
    virtual void OnCancel();

    BOOL HandleInitDialog() override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

    DECLARE_MESSAGE_MAP()
};

// The window that owns the program's modal dialogs: the main window of this thread, if any.
HWND AfxGetMainWndHandle();
