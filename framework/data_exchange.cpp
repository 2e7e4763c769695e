#include "data_exchange.h"

#include <vector>

#include "cstring.h"
#include "message_box.h"
#include "secret_bytes.h"
#include "wnd.h"

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return LastControl();
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND hWnd = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return hWnd;
}

HWND CDataExchange::LastControl() const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, m_idLastControl); }

void CDataExchange::Fail() {
    if (!m_bSaveAndValidate) throw Failure{};
    if (HWND hControl = LastControl()) {
        ::SetFocus(hControl);
        if (m_bEditLastControl) ::SendMessageA(hControl, EM_SETSEL, 0, -1);
    }
    throw Failure{};
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd != nullptr) return;
    HWND hControl = pDX->PrepareCtrl(nIDC);
    if (hControl == nullptr || !rControl.SubclassWindow(hControl)) pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND hControl = pDX->PrepareEditCtrl(nIDC);
    if (pDX->m_bSaveAndValidate) {
        const int length = ::GetWindowTextLengthA(hControl);
        std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
        const int got = ::GetWindowTextA(hControl, buffer.data(), length + 1);
        // The old value may be a secret: wipe it before it is replaced.
        value.SecureEmpty();
        buffer[static_cast<size_t>(got < 0 ? 0 : got)] = '\0';
        value += buffer.data();
        WipeBytes(buffer.data(), buffer.size());
    } else {
        ::SetWindowTextA(hControl, value);
    }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (pDX->m_bSaveAndValidate) {
        if (value.GetLength() > nChars) {
            CString message;
            message.Format("Please enter no more than %d characters.", nChars);
            AfxMessageBox(message, MB_ICONEXCLAMATION);
            pDX->Fail();
        }
    } else if (HWND hControl = pDX->LastControl()) {
        ::SendMessageA(hControl, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
    }
}
