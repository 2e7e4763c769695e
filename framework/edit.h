// The single-line edit control.
#pragma once

#include "wnd.h"

class CEdit : public CWnd {
public:
    void LimitText(int nChars) const { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(nChars)); }
    void SetPasswordChar(char ch) const { SendMessage(EM_SETPASSWORDCHAR, static_cast<unsigned char>(ch)); }
    char GetPasswordChar() const { return static_cast<char>(SendMessage(EM_GETPASSWORDCHAR)); }
    void SetSel(int nStart, int nEnd) const { SendMessage(EM_SETSEL, static_cast<WPARAM>(nStart), nEnd); }
};
