// The custom-draw notifications of one paint pass of the flat tool bar, sent to the window
// that was the bar's parent at creation.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CToolBarEx;

class CToolBarCustomDraw {
public:
    CToolBarCustomDraw(CToolBarEx& bar, HDC hDC);
    CToolBarCustomDraw(const CToolBarCustomDraw&) = delete;
    CToolBarCustomDraw& operator=(const CToolBarCustomDraw&) = delete;

    void SendPrePaint();
    // FALSE when the receiver asked to skip the default drawing of button nIndex.
    BOOL SendItemPrePaint(int nIndex);
    void SendItemPostPaint();
    void SendPostPaint();

private:
    // The receiver's answer; 0 when there is no receiver.
    LRESULT Send(DWORD dwDrawStage);

    NMCUSTOMDRAW m_nmcd;
    LRESULT m_lPrePaintAnswer;
    LRESULT m_lItemAnswer;
    CToolBarEx& m_bar;
    // Null when the window the bar notifies is gone.
    HWND m_hwndReceiver;
};
