// Asks once for the password of a locked file. Any text is accepted here; the view
// refuses an empty one.
#pragma once

#include "cstring.h"
#include "dialog.h"
#include "edit.h"

class CDecryptPasswordDlg : public CDialog {
public:
    explicit CDecryptPasswordDlg(CWnd* pParent = nullptr);
    ~CDecryptPasswordDlg() override;

    CEdit m_editPassword;
    CString m_strPassword;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};
