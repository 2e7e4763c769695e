#include "gdi_objects.h"

CGdiObject::CGdiObject() : m_hObject(nullptr), m_bOwned(false) {}

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (hObject == nullptr || m_hObject != nullptr) return FALSE;
    m_hObject = hObject;
    m_bOwned = false;
    return TRUE;
}

BOOL CGdiObject::Adopt(HGDIOBJ hObject) {
    if (!Attach(hObject)) return FALSE;
    m_bOwned = true;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ hObject = m_hObject;
    m_hObject = nullptr;
    m_bOwned = false;
    return hObject;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) return FALSE;
    const bool owned = m_bOwned;
    HGDIOBJ hObject = Detach();
    return owned ? ::DeleteObject(hObject) : TRUE;
}

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return m_hObject != nullptr ? ::GetObjectA(m_hObject, nCount, lpObject) : 0;
}

BOOL CGdiObject::TakeCreated(HGDIOBJ hObject) {
    if (hObject == nullptr) return FALSE;
    if (!Adopt(hObject)) {
        // Creating into a wrapper that still holds a handle is a caller's fault; the new
        // object must not leak because of it.
        ::DeleteObject(hObject);
        return FALSE;
    }
    return TRUE;
}

BOOL CBitmap::CreateCompatibleBitmap(HDC hdc, int nWidth, int nHeight) {
    return TakeCreated(::CreateCompatibleBitmap(hdc, nWidth, nHeight));
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    return TakeCreated(::CreateBitmap(nWidth, nHeight, nPlanes, nBitCount, lpBits));
}

BOOL CBitmap::LoadBitmap(UINT nIDResource) {
    return TakeCreated(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDResource), IMAGE_BITMAP, 0, 0,
                                    LR_CREATEDIBSECTION));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return TakeCreated(::CreateSolidBrush(crColor)); }

BOOL CBrush::CreatePatternBrush(HBITMAP hBitmap) { return TakeCreated(::CreatePatternBrush(hBitmap)); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) { return TakeCreated(::CreateFontIndirectA(lpLogFont)); }

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) { return TakeCreated(::CreateRectRgn(x1, y1, x2, y2)); }

BOOL CRgn::CreateRectRgnIndirect(const RECT& rect) { return TakeCreated(::CreateRectRgnIndirect(&rect)); }

int CRgn::CombineRgn(HRGN hRgn1, HRGN hRgn2, int nCombineMode) {
    return ::CombineRgn(*this, hRgn1, hRgn2, nCombineMode);
}

int CRgn::CopyRgn(HRGN hRgnSrc) { return ::CombineRgn(*this, hRgnSrc, nullptr, RGN_COPY); }

void CRgn::SetRectRgn(int x1, int y1, int x2, int y2) { ::SetRectRgn(*this, x1, y1, x2, y2); }

int CRgn::OffsetRgn(int x, int y) { return ::OffsetRgn(*this, x, y); }

int CRgn::GetRgnBox(LPRECT lpRect) const { return ::GetRgnBox(*this, lpRect); }

BOOL CRgn::PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
