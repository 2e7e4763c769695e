#include "caption_painter.h"

#include "caption_buttons.h"
#include "composition_policy.h"
#include "dc.h"
#include "frame_wnd.h"
#include "thread_state.h"

IMPLEMENT_DYNAMIC(CCaptionPainter, CSubclassWnd)

namespace {

// Passes the dispatched message on with another wParam and puts the record's own back
// afterwards, however the scope is left.
class CRecordWParam {
public:
    explicit CRecordWParam(WPARAM wParam)
        : m_msg(AfxGetThreadState()->m_lastSentMsg), m_saved(m_msg.wParam) {
        m_msg.wParam = wParam;
    }
    ~CRecordWParam() { m_msg.wParam = m_saved; }
    CRecordWParam(const CRecordWParam&) = delete;
    CRecordWParam& operator=(const CRecordWParam&) = delete;

private:
    MSG& m_msg;
    WPARAM m_saved;
};

// The system draws its own caption while default processing of WM_NCACTIVATE or
// WM_SETTEXT runs on a visible window; a window that looks hidden meanwhile is left alone.
class CLooksHidden {
public:
    explicit CLooksHidden(HWND hWnd)
        : m_hWnd(hWnd), m_bHidden((::GetWindowLongA(hWnd, GWL_STYLE) & WS_VISIBLE) != 0) {
        if (m_bHidden) ::SetWindowLongA(m_hWnd, GWL_STYLE, ::GetWindowLongA(m_hWnd, GWL_STYLE) & ~WS_VISIBLE);
    }
    ~CLooksHidden() {
        if (m_bHidden) ::SetWindowLongA(m_hWnd, GWL_STYLE, ::GetWindowLongA(m_hWnd, GWL_STYLE) | WS_VISIBLE);
    }
    CLooksHidden(const CLooksHidden&) = delete;
    CLooksHidden& operator=(const CLooksHidden&) = delete;

private:
    HWND m_hWnd;
    bool m_bHidden;
};

}  // namespace

CCaptionPainter::CCaptionPainter()
    : CSubclassWnd(), m_bmCache(), m_cxCache(0), m_cyCache(0), m_bActive(FALSE), m_bMarkModified(FALSE),
      m_nPaintMsg(0), m_fontCaption() {}

CCaptionPainter::~CCaptionPainter() = default;  // the font and bitmaps delete themselves

BOOL CCaptionPainter::Install(CFrameWnd* pFrameWnd, UINT nPaintMsg, BOOL bMarkModified) {
    m_nPaintMsg = nPaintMsg;
    m_bMarkModified = bMarkModified;
    // Under desktop composition the system would draw its own caption beneath this one.
    if (pFrameWnd != nullptr) LeaveNonClientRenderingToProgram(pFrameWnd->GetSafeHwnd());
    return SetHook(pFrameWnd);
}

CFrameWnd* CCaptionPainter::GetFrame() const {
    return m_pWnd != nullptr && m_pWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(m_pWnd)
                                                                          : nullptr;
}

LRESULT CCaptionPainter::WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) {
    switch (nMsg) {
    case WM_SETTEXT:
        return OnSetText(reinterpret_cast<LPCSTR>(lParam));
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        // Colours, fonts or metrics may be new: both bitmaps and the caption font go.
        m_cxCache = m_cyCache = 0;
        if (m_nPaintMsg != 0) m_pWnd->SendMessage(m_nPaintMsg, 0, 0);
        return CSubclassWnd::WindowProc(nMsg, wParam, lParam);
    case WM_NCPAINT:
        OnNcPaint(reinterpret_cast<HRGN>(wParam));
        return 0;
    case WM_NCACTIVATE:
        return OnNcActivate(static_cast<BOOL>(wParam));
    default:
        return CSubclassWnd::WindowProc(nMsg, wParam, lParam);
    }
}

RECT CCaptionPainter::GetCaptionRect(CWnd* pWnd) {
    RECT rcWindow{};
    pWnd->GetWindowRect(&rcWindow);
    const bool bThickFrame = (pWnd->GetStyle() & WS_THICKFRAME) != 0;
    const int fx = ::GetSystemMetrics(bThickFrame ? SM_CXFRAME : SM_CXDLGFRAME);
    const int fy = ::GetSystemMetrics(bThickFrame ? SM_CYFRAME : SM_CYDLGFRAME);
    return RECT{fx, fy, (rcWindow.right - rcWindow.left) - fx,
                fy + ::GetSystemMetrics(SM_CYCAPTION) - ::GetSystemMetrics(SM_CYBORDER)};
}

void CCaptionPainter::OnNcPaint(HRGN hRgn) {
    RECT rcWindow{};
    m_pWnd->GetWindowRect(&rcWindow);
    // WM_NCPAINT regions are in screen coordinates.
    RECT rcCaption = GetCaptionRect(m_pWnd);
    ::OffsetRect(&rcCaption, rcWindow.left, rcWindow.top);

    // 0 and 1 stand for the whole window; any other value is a region handle.
    const bool bRealRegion = reinterpret_cast<UINT_PTR>(hRgn) > 1;
    if (bRealRegion && !::RectInRegion(hRgn, &rcCaption)) {
        Default();
        return;
    }
    {
        CRgn rgnCaption;
        rgnCaption.CreateRectRgnIndirect(rcCaption);
        CRgn rgnWhole;
        if (!bRealRegion) rgnWhole.CreateRectRgnIndirect(rcWindow);
        CRgn rgnRest;
        rgnRest.CreateRectRgn(0, 0, 0, 0);
        rgnRest.CombineRgn(bRealRegion ? hRgn : static_cast<HRGN>(rgnWhole), rgnCaption, RGN_DIFF);
        // The system paints everything of the non-client area but the caption.
        CRecordWParam passOn(reinterpret_cast<WPARAM>(static_cast<HRGN>(rgnRest)));
        Default();
    }
    PaintCaption();
}

BOOL CCaptionPainter::OnNcActivate(BOOL bActive) {
    bActive = bActive ? TRUE : FALSE;
    if (m_pWnd->m_nFlags & WF_STAYACTIVE) bActive = TRUE;
    if (!m_pWnd->IsWindowEnabled()) bActive = FALSE;  // a frame under a modal dialog looks inactive
    if (bActive == m_bActive) return TRUE;

    CFrameWnd* pFrame = GetFrame();
    CFrameWnd* pActiveFrame = pFrame != nullptr ? pFrame->GetActiveFrame() : nullptr;
    if (pActiveFrame != nullptr && pActiveFrame != pFrame) {
        pActiveFrame->SendMessage(WM_NCACTIVATE, bActive, 0);
        pActiveFrame->SendMessage(WM_NCPAINT, 0, 0);
    }
    {
        CLooksHidden hidden(m_pWnd->GetSafeHwnd());
        CRecordWParam passOn(static_cast<WPARAM>(bActive));
        Default();
    }
    m_bActive = bActive;
    m_pWnd->SendMessage(WM_NCPAINT, 0, 0);
    return TRUE;
}

LRESULT CCaptionPainter::OnSetText(LPCSTR) {
    LRESULT result = 0;
    {
        CLooksHidden hidden(m_pWnd->GetSafeHwnd());
        result = Default();
    }
    m_pWnd->SendMessage(WM_NCPAINT, 0, 0);
    // The text is part of both bitmaps.
    m_cxCache = m_cyCache = 0;
    PaintCaption();
    return result;
}

void CCaptionPainter::PaintCaption() {
    if (m_pWnd == nullptr || m_pWnd->IsIconic()) return;
    const RECT rc = GetCaptionRect(m_pWnd);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    if (w != m_cxCache || h != m_cyCache) {
        m_bmCache[0].DeleteObject();
        m_bmCache[1].DeleteObject();
        m_cxCache = w;
        m_cyCache = h;
    }
    if (w <= 0 || h <= 0) return;

    CWindowDC dcWindow(m_pWnd);
    CMemoryDC dcMem(dcWindow);
    CBitmap& bitmap = m_bmCache[m_bActive ? 1 : 0];
    const bool bNew = bitmap.GetSafeHandle() == nullptr;
    if (bNew && !bitmap.CreateCompatibleBitmap(dcWindow, w, h)) return;
    CSelectObject selected(dcMem, bitmap);
    if (bNew) {
        CaptionPaintInfo info{w, h, &dcMem, m_bActive};
        if (m_nPaintMsg != 0)
            m_pWnd->SendMessage(m_nPaintMsg, static_cast<WPARAM>(m_bActive), reinterpret_cast<LPARAM>(&info));
        else
            DrawStandardCaption(&info);
    }
    dcWindow.BitBlt(rc.left, rc.top, w, h, dcMem, 0, 0, SRCCOPY);
}

void CCaptionPainter::DrawStandardCaption(const CaptionPaintInfo* pInfo) {
    const RECT rc{0, 0, pInfo->cx, pInfo->cy};
    ::DrawCaption(m_pWnd->GetSafeHwnd(), pInfo->pDC->GetSafeHdc(), &rc,
                  DC_ICON | DC_TEXT | (pInfo->bActive ? DC_ACTIVE : 0));
    DrawCaptionButtons(pInfo);
}

int CCaptionPainter::DrawCaptionIcon(const CaptionPaintInfo* pInfo) {
    const int cx = ::GetSystemMetrics(SM_CXSIZE);
    const int cy = ::GetSystemMetrics(SM_CYSIZE);
    if (m_pWnd == nullptr) return cx;
    const HWND hWnd = m_pWnd->GetSafeHwnd();
    auto hIcon = reinterpret_cast<HICON>(::GetClassLongPtrA(hWnd, GCLP_HICONSM));
    // A class registered with only a large icon: draw that one scaled down.
    if (hIcon == nullptr) hIcon = reinterpret_cast<HICON>(::GetClassLongPtrA(hWnd, GCLP_HICON));
    if (hIcon != nullptr) ::DrawIconEx(pInfo->pDC->GetSafeHdc(), 2, 1, hIcon, cx - 2, cy - 2, 0, nullptr, DI_NORMAL);
    return cx;
}

int CCaptionPainter::DrawCaptionButtons(const CaptionPaintInfo* pInfo) {
    if (m_pWnd == nullptr) return 0;
    CaptionButtonLayout layout =
        LayOutCaptionButtons(pInfo->cx, ::GetSystemMetrics(SM_CXSIZE), ::GetSystemMetrics(SM_CYSIZE),
                             m_pWnd->GetStyle(), m_pWnd->GetExStyle(), m_pWnd->IsZoomed());
    for (int i = 0; i < layout.nCount; ++i) {
        ::DrawFrameControl(pInfo->pDC->GetSafeHdc(), &layout.buttons[i].rc, DFC_CAPTION, layout.buttons[i].nState);
    }
    return layout.nWidth;
}
