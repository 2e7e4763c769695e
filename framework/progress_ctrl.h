// The common progress bar control, reached only through its window's messages, so that
// a worker thread may drive it with sent messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "wnd.h"

class CProgressCtrl : public CWnd {
public:
    void SetRange(short nLower, short nUpper) {
        ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
    }
    int SetPos(int nPos) { return static_cast<int>(::SendMessageA(m_hWnd, PBM_SETPOS, nPos, 0)); }
    int GetPos() const { return static_cast<int>(::SendMessageA(m_hWnd, PBM_GETPOS, 0, 0)); }
};
