#include "image_list.h"

CImageList::CImageList() : m_hImageList(nullptr), m_bOwned(false) {}

CImageList::~CImageList() { DeleteImageList(); }

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
    if (m_hImageList != nullptr) return FALSE;
    m_hImageList = ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    m_bOwned = m_hImageList != nullptr;
    return m_bOwned ? TRUE : FALSE;
}

BOOL CImageList::Attach(HIMAGELIST hImageList) {
    if (hImageList == nullptr || m_hImageList != nullptr) return FALSE;
    m_hImageList = hImageList;
    m_bOwned = false;
    return TRUE;
}

BOOL CImageList::Adopt(HIMAGELIST hImageList) {
    if (!Attach(hImageList)) return FALSE;
    m_bOwned = true;
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST hImageList = m_hImageList;
    m_hImageList = nullptr;
    m_bOwned = false;
    return hImageList;
}

BOOL CImageList::DeleteImageList() {
    if (m_hImageList == nullptr) return FALSE;
    const bool owned = m_bOwned;
    HIMAGELIST hImageList = Detach();
    return owned ? ImageList_Destroy(hImageList) : TRUE;
}

int CImageList::Add(HBITMAP hBitmap, COLORREF crMask) { return ImageList_AddMasked(m_hImageList, hBitmap, crMask); }
