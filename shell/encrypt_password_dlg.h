// Asks twice for the password that will lock a file.
#pragma once

#include "cstring.h"
#include "dialog.h"
#include "edit.h"

class CEncryptPasswordDlg : public CDialog {
public:
    explicit CEncryptPasswordDlg(CWnd* pParent = nullptr);
    ~CEncryptPasswordDlg() override;

    CEdit m_editRetype;
    CEdit m_editPassword;
    CString m_strPassword;
    CString m_strRetype;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};
