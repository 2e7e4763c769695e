// Control bars: windows along an edge of a frame (here only the tool bar), laid out by the
// frame and updated by it at idle time.
#pragma once

#include "wnd.h"

class CDC;
class CFrameWnd;

// Bar styles (kept apart from the window's own style bits).
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;
constexpr DWORD CBRS_SIZE_FIXED = 0x0008;
constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
constexpr DWORD CBRS_BORDER_3D = 0x00800000;
constexpr DWORD CBRS_FLOATING = 0x00000001;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;
constexpr DWORD CBRS_ALL = 0x0040FFFF;

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle & CBRS_ALL; }

    // The size the bar wants: with bStretch the full width of its frame's client area.
    virtual SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) = 0;
    virtual SIZE CalcDynamicLayout(int nLength, DWORD dwMode);
    // Idle-time update of the bar's commands through the frame's command route.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) = 0;

    CFrameWnd* m_pDockSite;

    // Draws a 1-pixel shadow line along every edge named by the bar's border styles (and a
    // highlight line inside it with CBRS_BORDER_3D), and shrinks rect to what lies inside
    // the borders.
    void DrawBorders(CDC* pDC, RECT& rect) const;
    // Shrinks rect by the room the bar's borders take.
    void CalcInsideRect(RECT& rect) const;

    // Stock handlers a bar that paints itself builds on; the plain bars leave these
    // messages to the control.
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, POINT point);
    // The control's own calculation, then room for the bar's borders.
    void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
    void OnSysColorChange();
    void OnWindowPosChanging(WINDOWPOS* lpWndPos);
    void OnParentNotify(UINT message, LPARAM lParam);

protected:
    // Joins the frame's layout; called once the bar's window exists.
    void AttachToFrame(CWnd* pParentWnd);

    DWORD m_dwStyle;
    // Edges the bar may dock to; 0: the bar never docks.
    DWORD m_dwDockStyle;
};
