#include "decrypt_password_dlg.h"

#include "data_exchange.h"
#include "password_exchange.h"
#include "resource.h"

CDecryptPasswordDlg::CDecryptPasswordDlg(CWnd* pParent) : CDialog(IDD_DECRYPT_PASSWORD, pParent) {}

CDecryptPasswordDlg::~CDecryptPasswordDlg() { m_strPassword.SecureEmpty(); }

void CDecryptPasswordDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PASSWORD, m_editPassword);
    DDX_PasswordText(pDX, IDC_PASSWORD, m_strPassword);
}

BOOL CDecryptPasswordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_editPassword.SetPasswordChar('*');
    return TRUE;
}
