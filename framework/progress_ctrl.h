// The common progress bar control, reached only through its window's messages, so that
// a worker thread may drive it with sent messages.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CProgressCtrl {
public:
    CProgressCtrl() : m_hWnd(nullptr) {}
    CProgressCtrl(const CProgressCtrl&) = delete;
    CProgressCtrl& operator=(const CProgressCtrl&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void SetRange(short nLower, short nUpper) {
        ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
    }
    int SetPos(int nPos) { return static_cast<int>(::SendMessageA(m_hWnd, PBM_SETPOS, nPos, 0)); }

    HWND m_hWnd;
};
