// Paints a frame's caption instead of the system: a hook on the frame that keeps the
// system's caption drawing out (WM_NCPAINT, WM_NCACTIVATE, WM_SETTEXT), renders the caption
// of each activation state once into a bitmap and copies that bitmap whenever the caption
// needs painting. What a bitmap shows comes from the frame, which answers the paint
// notification, typically by calling PaintGradientCaption.
#pragma once

#include <windows.h>

#include "caption_paint_info.h"
#include "cstring.h"
#include "gdi_objects.h"
#include "subclass_wnd.h"

class CDC;
class CFrameWnd;
class CWnd;

class CCaptionPainter : public CSubclassWnd {
    DECLARE_DYNAMIC(CCaptionPainter)
public:
    CCaptionPainter();
    // The frame's WM_NCDESTROY has detached the painter before the frame object goes.
    ~CCaptionPainter() override;

    // Attaches the painter to the frame. nPaintMsg is the notification the frame answers
    // (0: the painter draws the system's standard caption itself); bMarkModified puts a
    // "*" after a modified document's title.
    BOOL Install(CFrameWnd* pFrameWnd, UINT nPaintMsg, BOOL bMarkModified);

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override;

    // Renders the current state's bitmap when it is missing and copies it to the window.
    void PaintCaption();
    // The caption in window coordinates (origin at the window's top-left corner).
    static RECT GetCaptionRect(CWnd* pWnd);
    void DrawStandardCaption(const CaptionPaintInfo* pInfo);
    // The window class's small icon at the left; answers the width it takes.
    int DrawCaptionIcon(const CaptionPaintInfo* pInfo);
    // The caption buttons at the right; answers the width to keep free for them.
    int DrawCaptionButtons(const CaptionPaintInfo* pInfo);

    // The shaded caption: the frame's answer to the paint notification. A null record
    // means the system colours or settings changed: the caption font is dropped.
    void PaintGradientCaption(BOOL bActive, const CaptionPaintInfo* pInfo, CString strTitle);
    // Sets the frame's window text from its title and the active document's title.
    void UpdateFrameTitle(HWND hWnd, CString strTitle);
    // The active child frame's title (with "*" when marked and modified), or empty.
    CString GetDocumentTitle();
    void CreateCaptionFont();
    // HLS lightness of a colour, 0 (black) to 240 (white).
    static int Lightness(COLORREF crColor);
    static void FillBand(CDC* pDC, int x, int y, int cx, int cy, COLORREF crColor);

protected:
    virtual void OnNcPaint(HRGN hRgn);
    virtual BOOL OnNcActivate(BOOL bActive);
    virtual LRESULT OnSetText(LPCSTR lpszText);

    // The hooked frame, or null when the painter is not attached to a frame.
    CFrameWnd* GetFrame() const;
    // Active on the right, shading to black on the left.
    static void PaintShadedBackground(CDC* pDC, int cx, int cy, COLORREF crCaption);
    static COLORREF CaptionTextColor(BOOL bActive);

    CBitmap m_bmCache[2];  // 0 inactive, 1 active; empty until rendered
    int m_cxCache;
    int m_cyCache;
    BOOL m_bActive;
    BOOL m_bMarkModified;
    UINT m_nPaintMsg;
    CFont m_fontCaption;
};
