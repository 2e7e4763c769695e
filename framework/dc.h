// Device contexts. CDC itself only borrows (Attach) or owns a memory DC it created
// (CreateCompatibleDC); the window DCs acquire their DC in the constructor and give it back
// in the destructor. Selecting an object is best done through CSelectObject, which puts
// the old object back whichever way the scope ends.
#pragma once

#include <windows.h>

#include "gdi_objects.h"

class CWnd;

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_handle.Get(); }
    operator HDC() const { return GetSafeHdc(); }

    // Borrows hDC: it is never deleted or released by this object. FALSE when one is held.
    BOOL Attach(HDC hDC);
    HDC Detach();
    // A memory DC compatible with hDC (null: with the screen), owned and deleted by this object.
    BOOL CreateCompatibleDC(HDC hDC);
    BOOL DeleteDC();

    // Selection answers the object that was selected before (null on failure).
    HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(GetSafeHdc(), hObject); }
    HGDIOBJ SelectObject(const CGdiObject& object) { return SelectObject(object.GetSafeHandle()); }
    HGDIOBJ SelectStockObject(int nIndex) { return SelectObject(::GetStockObject(nIndex)); }

    COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(GetSafeHdc(), crColor); }
    COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(GetSafeHdc(), crColor); }
    COLORREF GetTextColor() const { return ::GetTextColor(GetSafeHdc()); }
    COLORREF GetBkColor() const { return ::GetBkColor(GetSafeHdc()); }
    int SetBkMode(int nBkMode) { return ::SetBkMode(GetSafeHdc(), nBkMode); }
    int GetBkMode() const { return ::GetBkMode(GetSafeHdc()); }

    // Fills with the colour through the background colour, which stays set to crColor.
    void FillSolidRect(const RECT& rect, COLORREF crColor);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF crColor);
    void FillRect(const RECT& rect, HBRUSH hBrush) { ::FillRect(GetSafeHdc(), &rect, hBrush); }
    // A 1-pixel frame just inside rect: top and left in crTopLeft, bottom and right in
    // crBottomRight. Leaves the background colour set to crBottomRight.
    void Draw3dRect(const RECT& rect, COLORREF crTopLeft, COLORREF crBottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF crTopLeft, COLORREF crBottomRight);

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, HDC hSrcDC, int xSrc, int ySrc, DWORD dwRop) {
        return ::BitBlt(GetSafeHdc(), x, y, nWidth, nHeight, hSrcDC, xSrc, ySrc, dwRop);
    }
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop) {
        return ::PatBlt(GetSafeHdc(), x, y, nWidth, nHeight, dwRop);
    }
    int DrawText(LPCSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
        return ::DrawTextA(GetSafeHdc(), lpszString, nCount, lpRect, nFormat);
    }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(GetSafeHdc(), x, y); }

    int IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(GetSafeHdc(), x1, y1, x2, y2); }
    int IntersectClipRect(const RECT& rect) { return IntersectClipRect(rect.left, rect.top, rect.right, rect.bottom); }
    int ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(GetSafeHdc(), x1, y1, x2, y2); }
    int ExcludeClipRect(const RECT& rect) { return ExcludeClipRect(rect.left, rect.top, rect.right, rect.bottom); }
    int SelectClipRgn(HRGN hRgn) { return ::SelectClipRgn(GetSafeHdc(), hRgn); }

    int SaveDC() { return ::SaveDC(GetSafeHdc()); }
    BOOL RestoreDC(int nSavedDC) { return ::RestoreDC(GetSafeHdc(), nSavedDC); }

    // The 50 % checkerboard brush (pixels alternate between the text and background
    // colours). One brush serves every caller and lives as long as the process, so callers
    // never delete it.
    static HBRUSH GetHalftoneBrush();

protected:
    // Window DCs hold the DC they acquired as borrowed; they give it back themselves.
    void SetAcquired(HDC hDC) { m_handle.Attach(hDC); }

private:
    CAttachableHandle<CMemoryDCTraits> m_handle;
};

// The DC of a WM_PAINT: BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hWnd);
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

// The client area's DC (GetDC/ReleaseDC).
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd);
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

// The whole window's DC, non-client area included (GetWindowDC/ReleaseDC).
class CWindowDC : public CDC {
public:
    explicit CWindowDC(HWND hWnd);
    explicit CWindowDC(CWnd* pWnd);
    ~CWindowDC() override;

private:
    HWND m_hWnd;
};

// A memory DC compatible with hDC (null: the screen), deleted with the object.
class CMemoryDC : public CDC {
public:
    explicit CMemoryDC(HDC hDC = nullptr) { CreateCompatibleDC(hDC); }
};

// Selects an object for the length of a scope and puts the old one back however the scope
// is left. Declare it after the DC and the object, so that it ends before both.
class CSelectObject {
public:
    CSelectObject(HDC hDC, HGDIOBJ hObject) : m_hDC(hDC), m_hOld(::SelectObject(hDC, hObject)) {}
    CSelectObject(HDC hDC, const CGdiObject& object) : CSelectObject(hDC, object.GetSafeHandle()) {}
    ~CSelectObject() {
        if (m_hOld != nullptr && m_hOld != HGDI_ERROR) ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

    // The object that was selected before; null when the selection failed.
    HGDIOBJ GetOld() const { return m_hOld != HGDI_ERROR ? m_hOld : nullptr; }

private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};
