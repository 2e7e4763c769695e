#include "encrypt_password_dlg.h"

#include "data_exchange.h"
#include "password_exchange.h"
#include "locked_format.h"
#include "message_box.h"
#include "resource.h"

namespace {
// DDV_MaxChars counts the key's characters: the ANSI code page's bytes.
constexpr int kMaxPassword = static_cast<int>(lockedfile::kMaxPasswordBytes);
}  // namespace

CEncryptPasswordDlg::CEncryptPasswordDlg(CWnd* pParent) : CDialog(IDD_ENCRYPT_PASSWORD, pParent) {}

CEncryptPasswordDlg::~CEncryptPasswordDlg() {
    m_strPassword.SecureEmpty();
    m_strRetype.SecureEmpty();
}

void CEncryptPasswordDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RETYPE, m_editRetype);
    DDX_Control(pDX, IDC_PASSWORD, m_editPassword);
    DDX_PasswordText(pDX, IDC_PASSWORD, m_strPassword);
    DDV_MaxChars(pDX, m_strPassword, kMaxPassword);
    DDX_PasswordText(pDX, IDC_RETYPE, m_strRetype);
    DDV_MaxChars(pDX, m_strRetype, kMaxPassword);
}

BOOL CEncryptPasswordDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // The templates leave the fields plain; every character shows as '*'.
    m_editPassword.SetPasswordChar('*');
    m_editRetype.SetPasswordChar('*');
    return TRUE;
}

void CEncryptPasswordDlg::OnOK() {
    if (!UpdateData(TRUE)) return;
    if (m_strPassword != m_strRetype) {
        AfxMessageBox("Passwords to not match.\nPlease re-type then again.", MB_ICONHAND);
        return;
    }
    if (m_strPassword.IsEmpty()) {
        AfxMessageBox("You did not specify a password.", MB_ICONHAND);
        return;
    }
    CDialog::OnOK();
}
