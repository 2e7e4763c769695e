// A common-controls image list. A list made with Create is owned and destroyed with the
// object; one given with Attach is borrowed (a control's own list, say) and never destroyed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "common_controls.h"
#include "handle.h"

class CImageList {
public:
    CImageList();
    ~CImageList();
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST GetSafeHandle() const { return m_handle.Get(); }
    operator HIMAGELIST() const { return GetSafeHandle(); }

    // nFlags as ImageList_Create (ILC_MASK for a mask beside the images).
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    BOOL Attach(HIMAGELIST hImageList);
    // Takes ownership of hImageList: destroyed with the object.
    BOOL Adopt(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    // Destroys an owned list, forgets a borrowed one.
    BOOL DeleteImageList();

    // Adds the images of hBitmap; pixels of crMask become transparent. The platform blacks
    // out those pixels in hBitmap itself, so pass a copy when the bitmap must stay as it is.
    // Answers the index of the first new image, or -1.
    int Add(HBITMAP hBitmap, COLORREF crMask);
    COLORREF SetBkColor(COLORREF cr) { return commctl::ImageList_SetBkColor(GetSafeHandle(), cr); }
    int GetImageCount() const { return commctl::ImageList_GetImageCount(GetSafeHandle()); }
    BOOL Draw(HDC hDC, int nImage, POINT pt, UINT nStyle) const {
        return commctl::ImageList_Draw(GetSafeHandle(), nImage, hDC, pt.x, pt.y, nStyle);
    }

private:
    CAttachableHandle<CImageListTraits> m_handle;
};
