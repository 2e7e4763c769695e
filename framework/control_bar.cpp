#include "control_bar.h"

#include "dc.h"
#include "frame_wnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

namespace {

// A bordered edge takes two pixels: the line and a pixel of room inside it.
constexpr int kBorderRoom = 2;

}  // namespace

CControlBar::CControlBar() : m_pDockSite(nullptr), m_dwStyle(0), m_dwDockStyle(0) {}

CControlBar::~CControlBar() {
    if (m_pDockSite != nullptr) m_pDockSite->RemoveControlBar(this);
}

SIZE CControlBar::CalcDynamicLayout(int, DWORD) { return CalcFixedLayout(TRUE, TRUE); }

void CControlBar::AttachToFrame(CWnd* pParentWnd) {
    if (pParentWnd != nullptr && pParentWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd))) {
        m_pDockSite = static_cast<CFrameWnd*>(pParentWnd);
        m_pDockSite->AddControlBar(this);
    }
}

void CControlBar::CalcInsideRect(RECT& rect) const {
    if (m_dwStyle & CBRS_BORDER_LEFT) rect.left += kBorderRoom;
    if (m_dwStyle & CBRS_BORDER_TOP) rect.top += kBorderRoom;
    if (m_dwStyle & CBRS_BORDER_RIGHT) rect.right -= kBorderRoom;
    if (m_dwStyle & CBRS_BORDER_BOTTOM) rect.bottom -= kBorderRoom;
}

void CControlBar::DrawBorders(CDC* pDC, RECT& rect) const {
    const COLORREF crShadow = ::GetSysColor(COLOR_BTNSHADOW);
    const COLORREF crHighlight = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    const bool b3d = (m_dwStyle & CBRS_BORDER_3D) != 0;
    const int cx = rect.right - rect.left, cy = rect.bottom - rect.top;
    if (m_dwStyle & CBRS_BORDER_LEFT) {
        pDC->FillSolidRect(rect.left, rect.top, 1, cy, crShadow);
        if (b3d) pDC->FillSolidRect(rect.left + 1, rect.top, 1, cy, crHighlight);
    }
    if (m_dwStyle & CBRS_BORDER_TOP) {
        pDC->FillSolidRect(rect.left, rect.top, cx, 1, crShadow);
        if (b3d) pDC->FillSolidRect(rect.left, rect.top + 1, cx, 1, crHighlight);
    }
    if (m_dwStyle & CBRS_BORDER_RIGHT) {
        pDC->FillSolidRect(rect.right - 1, rect.top, 1, cy, crShadow);
        if (b3d) pDC->FillSolidRect(rect.right - 2, rect.top, 1, cy, crHighlight);
    }
    if (m_dwStyle & CBRS_BORDER_BOTTOM) {
        pDC->FillSolidRect(rect.left, rect.bottom - 1, cx, 1, crShadow);
        if (b3d) pDC->FillSolidRect(rect.left, rect.bottom - 2, cx, 1, crHighlight);
    }
    CalcInsideRect(rect);
}

void CControlBar::OnTimer(UINT_PTR) { Default(); }

void CControlBar::OnLButtonDown(UINT, POINT) { Default(); }

void CControlBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp) {
    Default();
    CalcInsideRect(lpncsp->rgrc[0]);
}

void CControlBar::OnSysColorChange() { Default(); }

void CControlBar::OnWindowPosChanging(WINDOWPOS*) { Default(); }

void CControlBar::OnParentNotify(UINT, LPARAM) { Default(); }
