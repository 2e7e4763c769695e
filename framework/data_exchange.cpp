#include "data_exchange.h"

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
