#include "gdi_objects.h"

CGdiObject::CGdiObject() : m_handle() {}

CGdiObject::~CGdiObject() = default;

BOOL CGdiObject::Attach(HGDIOBJ hObject) { return m_handle.Attach(hObject) ? TRUE : FALSE; }

BOOL CGdiObject::Adopt(HGDIOBJ hObject) { return m_handle.Adopt(hObject) ? TRUE : FALSE; }

HGDIOBJ CGdiObject::Detach() { return m_handle.Detach(); }

BOOL CGdiObject::DeleteObject() { return m_handle.Close() ? TRUE : FALSE; }

int CGdiObject::GetObject(int nCount, LPVOID lpObject) const {
    return m_handle.IsValid() ? ::GetObjectA(m_handle.Get(), nCount, lpObject) : 0;
}

BOOL CGdiObject::TakeCreated(HGDIOBJ hObject) { return m_handle.TakeCreated(hObject) ? TRUE : FALSE; }

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
