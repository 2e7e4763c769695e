// The flat tool bar's painting: buttons in the client area, borders in the non-client area.
#include "common_controls.h"
#include "toolbar_custom_draw.h"
#include "toolbar_ex.h"

namespace {

// Paints the brush where the (colour-converted) source is white and keeps the destination
// where it is black.
constexpr DWORD kRopBrushWhereSourceWhite = 0x00E20746;
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// The images are drawn on the classic light grey button face.
constexpr COLORREF kArtFace = RGB(192, 192, 192);

int Width(const RECT& rc) { return rc.right - rc.left; }
int Height(const RECT& rc) { return rc.bottom - rc.top; }

// Gives the pixels of the art's grey the current face colour in `dc`'s bitmap (cx x cy), so
// that masking with the face colour makes the images' background transparent on any
// system. Where the face is the classic grey this changes nothing.
void PaintArtFaceAs(CDC& dc, int cx, int cy, COLORREF crFace) {
    if (crFace == kArtFace) return;
    CMemoryDC maskDC(dc);
    CBitmap mask;
    mask.CreateBitmap(cx, cy, 1, 1, nullptr);
    CSelectObject maskSelection(maskDC, mask);
    // Colour to monochrome: pixels of the background colour become white.
    const COLORREF crOldBk = dc.SetBkColor(kArtFace);
    maskDC.BitBlt(0, 0, cx, cy, dc, 0, 0, SRCCOPY);
    // Monochrome to colour: white comes as the background colour, black as the text colour.
    dc.SetBkColor(kWhite);
    const COLORREF crOldText = dc.SetTextColor(kBlack);
    CBrush face;
    face.CreateSolidBrush(crFace);
    {
        CSelectObject brushSelection(dc, face);
        dc.BitBlt(0, 0, cx, cy, maskDC, 0, 0, kRopBrushWhereSourceWhite);
    }
    dc.SetTextColor(crOldText);
    dc.SetBkColor(crOldBk);
}

}  // namespace

BOOL CToolBarEx::BuildImageList(CImageList& images) {
    HBITMAP hWell = GetBitmapWell();
    if (hWell == nullptr || m_sizeImage.cx <= 0) return FALSE;

    BITMAP info{};
    ::GetObjectA(hWell, sizeof info, &info);
    CBitmap copy;
    {
        CClientDC clientDC(this);
        CMemoryDC wellDC(clientDC), copyDC(clientDC);
        if (!copy.CreateCompatibleBitmap(clientDC, info.bmWidth, info.bmHeight)) return FALSE;
        CSelectObject wellSelection(wellDC, hWell);
        CSelectObject copySelection(copyDC, copy);
        copyDC.BitBlt(0, 0, info.bmWidth, info.bmHeight, wellDC, 0, 0, SRCCOPY);
        PaintArtFaceAs(copyDC, info.bmWidth, info.bmHeight, m_crFace);
    }
    if (!images.Create(m_sizeImage.cx, m_sizeImage.cy, ILC_MASK | ILC_COLOR24, info.bmWidth / m_sizeImage.cx, 1))
        return FALSE;
    images.SetBkColor(m_crFace);
    return images.Add(copy, m_crFace) >= 0 ? TRUE : FALSE;
}

void CToolBarEx::OnPaint() {
    // The control's own list stays the control's; one built for this pass goes with it.
    CImageList built;
    auto hImages = reinterpret_cast<HIMAGELIST>(SendMessage(TB_GETIMAGELIST));
    if (hImages == nullptr && BuildImageList(built)) hImages = built;
    if (hImages == nullptr) {
        // No images to paint with (or no GDI room to build them): the control paints.
        CToolBar::OnPaint();
        return;
    }
    RECT rcUpdate{};
    if (!::GetUpdateRect(m_hWnd, &rcUpdate, FALSE) || ::IsRectEmpty(&rcUpdate)) return;
    if (HasButtonTexts()) RecomputeImageOffset();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);

    CPaintDC dc(this);
    CToolBarCustomDraw customDraw(*this, dc);
    {
        CSelectObject fontSelection(dc, m_fontText);
        customDraw.SendPrePaint();
        const int nCount = GetCount();
        for (int i = 0; i < nCount; ++i) {
            RECT rc{};
            GetItemRect(i, &rc);
            UINT nID = 0, nStyle = 0;
            int iImage = 0;
            GetButtonInfo(i, nID, nStyle, iImage);
            if (nStyle & TBBS_HIDDEN) continue;
            if (nStyle & TBBS_SEPARATOR) {
                PaintSeparator(dc, rc);
                continue;
            }
            RECT rcMeet{};
            if (!::IntersectRect(&rcMeet, &rc, &rcUpdate)) continue;
            const bool bDown = (nStyle & (TBBS_CHECKED | TBBS_PRESSED)) != 0;
            const bool bEnabled = IsButtonEnabled(nID) != FALSE;
            const bool bOver = ::PtInRect(&rc, cursor) != FALSE;
            dc.SetTextColor(kBlack);
            dc.SetBkColor(bDown && !bOver ? m_crLight : m_crFace);
            if (HasButtonTexts()) m_sizeImageOffset.cx = (Width(rc) - m_sizeImage.cx) / 2;
            if (!customDraw.SendItemPrePaint(i)) continue;
            PaintButton(dc, hImages, i, rc, iImage, bDown, bEnabled, bOver);
            customDraw.SendItemPostPaint();
        }
    }
    built.DeleteImageList();
    customDraw.SendPostPaint();
}

void CToolBarEx::PaintButton(CDC& dc, HIMAGELIST hImages, int nIndex, const RECT& rc, int iImage, bool bDown,
                             bool bEnabled, bool bOver) {
    const int d = bDown ? 1 : 0;
    const COLORREF crBk = bDown && !bOver ? m_crLight : m_crFace;
    dc.FillSolidRect(rc, crBk);
    const COLORREF crSavedBk = dc.GetBkColor();
    if (bDown) {
        dc.Draw3dRect(rc, m_crShadow, m_crHighlight);
        if (!bOver) {
            // Checked and at rest: a face-coloured inner frame around a checkerboard.
            RECT rcInner = rc;
            ::InflateRect(&rcInner, -1, -1);
            dc.Draw3dRect(rcInner, m_crFace, m_crFace);
            ::InflateRect(&rcInner, -1, -1);
            dc.SetTextColor(m_crHighlight);
            dc.SetBkColor(m_crFace);
            dc.FillRect(rcInner, CDC::GetHalftoneBrush());
            dc.SetTextColor(kBlack);
            dc.SetBkColor(crBk);
        }
    } else if (bEnabled) {
        // Raised under the cursor, else an edge in the face colour: flat.
        if (bOver) dc.Draw3dRect(rc, m_crHighlight, m_crShadow);
        else dc.Draw3dRect(rc, m_crFace, m_crFace);
    }
    dc.SetBkColor(crSavedBk);

    commctl::ImageList_Draw(hImages, iImage, dc, rc.left + m_sizeImageOffset.cx + d, rc.top + m_sizeImageOffset.cy + d,
                   ILD_TRANSPARENT);

    const CString text = GetButtonText(nIndex);
    if (!text.IsEmpty()) {
        RECT rcText{rc.left + 3 + d, rc.top + m_sizeImageOffset.cy + m_sizeImage.cy + 1 + d, rc.right - 3 + d,
                    rc.bottom - 3 + d};
        const int nOldMode = dc.SetBkMode(TRANSPARENT);
        dc.DrawText(text, text.GetLength(), &rcText, DT_CENTER | DT_VCENTER | DT_NOCLIP);
        dc.SetBkMode(nOldMode);
    }

    if (!bEnabled) {
        // A down button keeps its sunken edge.
        RECT rcImage = rc;
        ::InflateRect(&rcImage, -d, -d);
        PaintDisabledImage(dc, rcImage);
    }
}

void CToolBarEx::PaintDisabledImage(CDC& dc, const RECT& rect) {
    const int cx = Width(rect), cy = Height(rect);
    // A bitmap compatible with a fresh memory DC is monochrome.
    CMemoryDC maskDC(nullptr);
    CBitmap mask;
    mask.CreateCompatibleBitmap(maskDC, cx, cy);
    CSelectObject maskSelection(maskDC, mask);
    maskDC.PatBlt(0, 0, cx, cy, WHITENESS);
    // Face and highlight pixels become white, everything drawn on them black.
    dc.SetBkColor(m_crFace);
    maskDC.BitBlt(0, 0, cx, cy, dc, rect.left, rect.top, SRCCOPY);
    dc.SetBkColor(m_crHighlight);
    maskDC.BitBlt(0, 0, cx, cy, dc, rect.left, rect.top, SRCPAINT);

    dc.FillSolidRect(rect, m_crFace);
    // Converted back to colour, the mask's black (the image) comes as white: the brush.
    dc.SetBkColor(kBlack);
    dc.SetTextColor(kWhite);
    CBrush highlight, shadow;
    highlight.CreateSolidBrush(m_crHighlight);
    shadow.CreateSolidBrush(m_crShadow);
    {
        CSelectObject brushSelection(dc, highlight);
        dc.BitBlt(rect.left + 1, rect.top + 1, cx, cy, maskDC, 0, 0, kRopBrushWhereSourceWhite);
    }
    {
        CSelectObject brushSelection(dc, shadow);
        dc.BitBlt(rect.left, rect.top, cx, cy, maskDC, 0, 0, kRopBrushWhereSourceWhite);
    }
}

void CToolBarEx::PaintSeparator(CDC& dc, RECT& rect) {
    // Wide separators hold room for something else (a control on the bar, say).
    if (Width(rect) > 8) return;
    const int x = (rect.left + rect.right) / 2;
    rect.left = x - 1;
    rect.right = x + 1;
    dc.Draw3dRect(rect, m_crShadow, m_crHighlight);
}

void CToolBarEx::PaintGripper(CDC& dc) {
    if ((m_dwStyle & CBRS_FLOATING) || m_dwDockStyle == 0) return;
    // Two raised bars along the left edge of a docked bar.
    RECT rcWindow{};
    GetWindowRect(&rcWindow);
    const int cy = Height(rcWindow);
    dc.Draw3dRect(2, 2, 3, cy - 4, m_crHighlight, m_crShadow);
    dc.Draw3dRect(6, 2, 3, cy - 4, m_crHighlight, m_crShadow);
}

void CToolBarEx::PaintBorders(CDC& dc, RECT& rect) { DrawBorders(&dc, rect); }

void CToolBarEx::OnNcPaint(HRGN) {
    CWindowDC dc(this);
    RECT rcClient{}, rcWindow{};
    GetClientRect(&rcClient);
    GetWindowRect(&rcWindow);
    ScreenToClient(&rcWindow);
    ::OffsetRect(&rcClient, -rcWindow.left, -rcWindow.top);
    dc.ExcludeClipRect(rcClient);
    ::OffsetRect(&rcWindow, -rcWindow.left, -rcWindow.top);
    PaintBorders(dc, rcWindow);
    dc.IntersectClipRect(rcWindow);
    SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
    PaintGripper(dc);
}
