#include "image_list.h"

CImageList::CImageList() : m_handle() {}

CImageList::~CImageList() = default;

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    if (m_handle.IsValid()) return FALSE;
    return m_handle.TakeCreated(commctl::ImageList_Create(cx, cy, nFlags, nInitial, nGrow)) ? TRUE : FALSE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) { return m_handle.Attach(hImageList) ? TRUE : FALSE; }

BOOL CImageList::Adopt(HIMAGELIST hImageList) { return m_handle.Adopt(hImageList) ? TRUE : FALSE; }

HIMAGELIST CImageList::Detach() { return m_handle.Detach(); }

BOOL CImageList::DeleteImageList() { return m_handle.Close() ? TRUE : FALSE; }

int CImageList::Add(HBITMAP hBitmap, COLORREF crMask) { return commctl::ImageList_AddMasked(GetSafeHandle(), hBitmap, crMask); }
