// Drawing objects: each wrapper holds one GDI handle. A handle the wrapper
// created (Create...) or was given with Adopt is owned and deleted by the destructor; a
// handle given with Attach is borrowed and never deleted. Detach hands the handle back and
// leaves the wrapper empty either way.
#pragma once

#include <windows.h>

#include "handle.h"

class CGdiObject {
public:
    CGdiObject();
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_handle.Get(); }
    operator HGDIOBJ() const { return GetSafeHandle(); }
    bool IsOwned() const { return m_handle.IsOwned(); }

    // Borrows hObject: the wrapper never deletes it. FALSE when the wrapper already holds one.
    BOOL Attach(HGDIOBJ hObject);
    // Takes ownership of hObject: the wrapper deletes it. FALSE when it already holds one.
    BOOL Adopt(HGDIOBJ hObject);
    HGDIOBJ Detach();
    // Deletes an owned handle, forgets a borrowed one.
    BOOL DeleteObject();

    int GetObject(int nCount, LPVOID lpObject) const;

protected:
    // Stores a freshly created handle as owned; FALSE when creation failed.
    BOOL TakeCreated(HGDIOBJ hObject);

private:
    CAttachableHandle<CGdiObjectTraits> m_handle;
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(GetSafeHandle()); }

    BOOL CreateCompatibleBitmap(HDC hdc, int nWidth, int nHeight);
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
    // A bitmap resource of the running module.
    BOOL LoadBitmap(UINT nIDResource);
    int GetBitmap(BITMAP* pBitmap) const { return GetObject(sizeof(BITMAP), pBitmap); }
};

class CBrush : public CGdiObject {
public:
    operator HBRUSH() const { return static_cast<HBRUSH>(GetSafeHandle()); }

    BOOL CreateSolidBrush(COLORREF crColor);
    BOOL CreatePatternBrush(HBITMAP hBitmap);
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(GetSafeHandle()); }

    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
    int GetLogFont(LOGFONTA* pLogFont) const { return GetObject(sizeof(LOGFONTA), pLogFont); }
};

class CRgn : public CGdiObject {
public:
    operator HRGN() const { return static_cast<HRGN>(GetSafeHandle()); }

    BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
    BOOL CreateRectRgnIndirect(const RECT& rect);
    // Region operations on existing regions; they answer the region's kind (NULLREGION,
    // SIMPLEREGION, COMPLEXREGION) or ERROR.
    int CombineRgn(HRGN hRgn1, HRGN hRgn2, int nCombineMode);
    // This region becomes a copy of hRgnSrc (this one must exist already).
    int CopyRgn(HRGN hRgnSrc);
    void SetRectRgn(int x1, int y1, int x2, int y2);
    int OffsetRgn(int x, int y);
    int GetRgnBox(LPRECT lpRect) const;
    BOOL PtInRegion(int x, int y) const;
};
