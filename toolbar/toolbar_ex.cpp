#include "toolbar_ex.h"

IMPLEMENT_DYNAMIC(CToolBarEx, CToolBar)

BEGIN_MESSAGE_MAP(CToolBarEx, CToolBar)
    ON_WM_PAINT()
    ON_WM_SYSCOLORCHANGE()
    ON_WM_NCCALCSIZE()
    ON_WM_MOUSEMOVE()
    ON_WM_NCPAINT()
    ON_WM_TIMER()
    ON_WM_CREATE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_CAPTURECHANGED()
    ON_WM_PARENTNOTIFY()
    ON_WM_KILLFOCUS()
    ON_MESSAGE(TB_SETBUTTONSIZE, OnSetButtonSize)
    ON_MESSAGE(TB_SETBITMAPSIZE, OnSetBitmapSize)
END_MESSAGE_MAP()

namespace {

// The buttons' client area sits this far right of the bar's left edge.
constexpr int kClientOffsetX = 4;
constexpr UINT_PTR kHotTimerId = 1;
constexpr UINT kHotTimerMs = 250;
constexpr LONG kTextFontHeight = 6;

void CreateButtonTextFont(CFont& font) {
    LOGFONTA lf{};
    HGDIOBJ hGuiFont = ::GetStockObject(DEFAULT_GUI_FONT);
    if (hGuiFont != nullptr) {
        ::GetObjectA(hGuiFont, sizeof lf, &lf);
    } else {
        ::GetObjectA(::GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
        lf.lfWeight = FW_NORMAL;
        ::lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    }
    lf.lfHeight = kTextFontHeight;
    lf.lfWidth = 0;
    font.CreateFontIndirect(&lf);
}

}  // namespace

CToolBarEx::CToolBarEx()
    : CToolBar(), m_sizeImageOffset{0, 0}, m_crFace(0), m_crHighlight(0), m_crShadow(0), m_crLight(0),
      m_nHotButton(-1), m_nHotTimer(0), m_arrStyleSnapshot(), m_hwndNotify(nullptr),
      m_fontText() {
    // This bar masks and draws the images itself at every paint, with the colours of the
    // moment; the control gets no copy of them.
    m_bControlDrawsImages = FALSE;
    ReadSysColors();
    RecomputeImageOffset();
    CreateButtonTextFont(m_fontText);
}

CToolBarEx::~CToolBarEx() = default;

void CToolBarEx::ReadSysColors() {
    m_crFace = ::GetSysColor(COLOR_BTNFACE);
    m_crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    m_crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    m_crLight = ::GetSysColor(COLOR_3DLIGHT);
}

void CToolBarEx::RecomputeImageOffset() {
    m_sizeImageOffset.cx = (m_sizeButton.cx - m_sizeImage.cx) / 2;
    m_sizeImageOffset.cy = HasButtonTexts() ? m_cyTopBorder : (m_sizeButton.cy - m_sizeImage.cy) / 2;
}

int CToolBarEx::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    m_hwndNotify = lpCreateStruct->hwndParent;
    return 0;
}

void CToolBarEx::RedrawButton(int nIndex) {
    if (nIndex < 0 || nIndex >= GetCount()) return;
    RECT rc{};
    GetItemRect(nIndex, &rc);
    InvalidateRect(&rc, FALSE);
}

void CToolBarEx::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) {
    const int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) m_arrStyleSnapshot.SetAtGrow(i, GetButtonStyle(i));
    CToolBar::OnUpdateCmdUI(pTarget, bDisableIfNoHndler);
    for (int i = 0; i < nCount; ++i) {
        if (GetButtonStyle(i) != m_arrStyleSnapshot.GetAt(i)) RedrawButton(i);
    }
}

void CToolBarEx::OnSysColorChange() {
    CToolBar::OnSysColorChange();
    ReadSysColors();
}

void CToolBarEx::OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp) {
    CToolBar::OnNcCalcSize(bCalcValidRects, lpncsp);
    lpncsp->rgrc[0].left += kClientOffsetX;
    lpncsp->rgrc[0].right += kClientOffsetX;
}

void CToolBarEx::OnMouseMove(UINT, POINT point) {
    CWnd* pTop = GetTopLevelParent();
    // No hot tracking for an application in the background or under a modal dialog.
    if (IsTopParentActive() && pTop != nullptr && pTop->IsWindowEnabled()) {
        const int nPrevious = m_nHotButton;
        m_nHotButton = -1;
        for (int i = 0, n = GetCount(); i < n; ++i) {
            if ((GetButtonStyle(i) & TBBS_SEPARATOR) || !IsButtonEnabled(GetItemID(i))) continue;
            RECT rc{};
            GetItemRect(i, &rc);
            if (::PtInRect(&rc, point)) {
                if (i != nPrevious) InvalidateRect(&rc, FALSE);
                m_nHotButton = i;
            } else if (i == nPrevious) {
                InvalidateRect(&rc, FALSE);
            }
        }
        ::KillTimer(m_hWnd, m_nHotTimer);
        m_nHotTimer = ::SetTimer(m_hWnd, kHotTimerId, kHotTimerMs, nullptr);
    }
    Default();
}

void CToolBarEx::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != m_nHotTimer) {
        CToolBar::OnTimer(nIDEvent);
        return;
    }
    if (m_nHotButton >= 0) {
        POINT cursor{};
        RECT rcWindow{};
        ::GetCursorPos(&cursor);
        GetWindowRect(&rcWindow);
        if (!::PtInRect(&rcWindow, cursor)) {
            RedrawButton(m_nHotButton);
            m_nHotButton = -1;
        }
    }
    if (m_nHotButton < 0) ::KillTimer(m_hWnd, nIDEvent);
}

void CToolBarEx::OnLButtonDown(UINT nFlags, POINT point) {
    // A click with Shift held does nothing at all.
    if (::GetAsyncKeyState(VK_SHIFT) & 0x8000) return;
    CToolBar::OnLButtonDown(nFlags, point);
}

void CToolBarEx::OnLButtonUp(UINT, POINT) { Default(); }

void CToolBarEx::OnWindowPosChanging(WINDOWPOS* lpWndPos) {
    CToolBar::OnWindowPosChanging(lpWndPos);
    if (!(lpWndPos->flags & SWP_NOMOVE)) Invalidate(FALSE);
}

void CToolBarEx::OnCaptureChanged(HWND) { Default(); }

void CToolBarEx::OnParentNotify(UINT message, LPARAM lParam) { CToolBar::OnParentNotify(message, lParam); }

void CToolBarEx::OnKillFocus(HWND) { Default(); }

LRESULT CToolBarEx::OnSetButtonSize(WPARAM wParam, LPARAM lParam) {
    const LRESULT lResult = CToolBar::OnSetButtonSize(wParam, lParam);
    if (lResult) RecomputeImageOffset();
    return lResult;
}

LRESULT CToolBarEx::OnSetBitmapSize(WPARAM wParam, LPARAM lParam) {
    const LRESULT lResult = CToolBar::OnSetBitmapSize(wParam, lParam);
    if (lResult) RecomputeImageOffset();
    return lResult;
}
