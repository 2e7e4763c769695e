#include "dc.h"

#include "wnd.h"

namespace {

HWND SafeHwnd(CWnd* pWnd) { return pWnd != nullptr ? pWnd->GetSafeHwnd() : nullptr; }

// An 8 x 8 monochrome checkerboard as a pattern brush; the brush keeps its own copy of the
// pattern, so the bitmap goes at once.
struct CHalftoneBrush {
    CHalftoneBrush() : m_brush() {
        WORD rows[8];
        for (int i = 0; i < 8; ++i) rows[i] = static_cast<WORD>((i & 1) ? 0xAA : 0x55);
        CBitmap pattern;
        if (pattern.CreateBitmap(8, 8, 1, 1, rows)) m_brush.CreatePatternBrush(pattern);
    }
    CBrush m_brush;
};

}  // namespace

CDC::CDC() : m_handle() {}

CDC::~CDC() = default;

BOOL CDC::Attach(HDC hDC) { return m_handle.Attach(hDC) ? TRUE : FALSE; }

HDC CDC::Detach() { return m_handle.Detach(); }

BOOL CDC::CreateCompatibleDC(HDC hDC) {
    if (m_handle.IsValid()) return FALSE;
    return m_handle.TakeCreated(::CreateCompatibleDC(hDC)) ? TRUE : FALSE;
}

BOOL CDC::DeleteDC() { return m_handle.Close() ? TRUE : FALSE; }

void CDC::FillSolidRect(const RECT& rect, COLORREF crColor) {
    ::SetBkColor(GetSafeHdc(), crColor);
    ::ExtTextOutA(GetSafeHdc(), 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF crColor) {
    const RECT rect{x, y, x + cx, y + cy};
    FillSolidRect(rect, crColor);
}

void CDC::Draw3dRect(const RECT& rect, COLORREF crTopLeft, COLORREF crBottomRight) {
    Draw3dRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, crTopLeft, crBottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF crTopLeft, COLORREF crBottomRight) {
    FillSolidRect(x, y, cx - 1, 1, crTopLeft);
    FillSolidRect(x, y, 1, cy - 1, crTopLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, crBottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, crBottomRight);
}

HBRUSH CDC::GetHalftoneBrush() {
    static const CHalftoneBrush halftone;
    return halftone.m_brush;
}

CPaintDC::CPaintDC(HWND hWnd) : m_ps(), m_hWnd(hWnd) { SetAcquired(::BeginPaint(m_hWnd, &m_ps)); }
CPaintDC::CPaintDC(CWnd* pWnd) : CPaintDC(SafeHwnd(pWnd)) {}
CPaintDC::~CPaintDC() {
    if (Detach() != nullptr) ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(HWND hWnd) : m_hWnd(hWnd) { SetAcquired(::GetDC(m_hWnd)); }
CClientDC::CClientDC(CWnd* pWnd) : CClientDC(SafeHwnd(pWnd)) {}
CClientDC::~CClientDC() {
    if (HDC hDC = Detach()) ::ReleaseDC(m_hWnd, hDC);
}

CWindowDC::CWindowDC(HWND hWnd) : m_hWnd(hWnd) { SetAcquired(::GetWindowDC(m_hWnd)); }
CWindowDC::CWindowDC(CWnd* pWnd) : CWindowDC(SafeHwnd(pWnd)) {}
CWindowDC::~CWindowDC() {
    if (HDC hDC = Detach()) ::ReleaseDC(m_hWnd, hDC);
}
