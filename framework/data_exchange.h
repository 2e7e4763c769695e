// Dialog data exchange: moves values between a window's controls and the fields of its
// object, in one direction per pass, and stops the pass when a value is refused.
#pragma once

#include <windows.h>

class CString;
class CWnd;

class CDataExchange {
public:
    // Thrown by Fail and caught by CWnd::UpdateData; never leaves the framework.
    struct Failure {};

    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_idLastControl(0), m_bEditLastControl(FALSE) {}
    CDataExchange(const CDataExchange&) = delete;
    CDataExchange& operator=(const CDataExchange&) = delete;

    BOOL m_bSaveAndValidate;   // TRUE: controls to fields; FALSE: fields to controls
    CWnd* m_pDlgWnd;

    // The control the next validation is about; returns its window.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    HWND LastControl() const;

    // Ends the pass as refused, with the focus (and selection) on the offending control.
    [[noreturn]] void Fail();

private:
    int m_idLastControl;
    BOOL m_bEditLastControl;
};

// Binds a control of the window to a control object (once; later passes keep the binding).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// Exchanges the text of a control with a string.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// After DDX_Text on an edit: on the way in limits what can be typed; on the way out refuses a
// longer text with the standard message and fails the pass.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
