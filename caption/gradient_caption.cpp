// The content of the shaded caption: background, icon, buttons and title text.
#include <algorithm>

#include "caption_painter.h"
#include "caption_text.h"
#include "dc.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Caption text darker than this is unreadable on the black end of the shading.
constexpr int kDarkestReadableText = 90;

// One colour component darkened in proportion to the square of the band's distance from
// the start of the shading. 64-bit: d * d * c overflows an int for captions wider than
// about 2,900 pixels.
BYTE Darken(BYTE c, int d, int x0) {
    const long long dd = static_cast<long long>(d) * d;
    const long long x0x0 = static_cast<long long>(x0) * x0;
    return static_cast<BYTE>(c - dd * c / x0x0);
}

}  // namespace

void CCaptionPainter::PaintGradientCaption(BOOL bActive, const CaptionPaintInfo* pInfo, CString strTitle) {
    if (pInfo == nullptr) {
        // The next rendering takes the caption font of the new settings.
        m_fontCaption.DeleteObject();
        return;
    }
    CDC* pDC = pInfo->pDC;
    if (bActive)
        PaintShadedBackground(pDC, pInfo->cx, pInfo->cy, ::GetSysColor(COLOR_ACTIVECAPTION));
    else
        FillBand(pDC, 0, 0, pInfo->cx, pInfo->cy, ::GetSysColor(COLOR_INACTIVECAPTION));

    const int nIconWidth = DrawCaptionIcon(pInfo);
    const int nButtonsWidth = DrawCaptionButtons(pInfo);
    if (m_fontCaption.GetSafeHandle() == nullptr) CreateCaptionFont();

    const CString text = ComposeCaptionText(strTitle, GetDocumentTitle());
    RECT rcText{nIconWidth + 2, 0, pInfo->cx - nButtonsWidth, pInfo->cy};
    pDC->SetBkMode(TRANSPARENT);
    CSelectObject font(pDC->GetSafeHdc(), m_fontCaption);
    if (rcText.right > rcText.left) {
        pDC->SetTextColor(CaptionTextColor(bActive));
        pDC->DrawText(text, -1, &rcText, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
}

void CCaptionPainter::PaintShadedBackground(CDC* pDC, int cx, int cy, COLORREF crCaption) {
    const int x0 = 5 * cx / 6;
    const int w = std::max(1, x0 / 64);
    FillBand(pDC, x0, 0, cx - x0, cy, crCaption);

    int x = x0;
    if (x0 > w) {
        const BYTE r = GetRValue(crCaption), g = GetGValue(crCaption), b = GetBValue(crCaption);
        for (int d = w;; d += w) {
            x = x0 - d;
            FillBand(pDC, x, 0, w, cy, RGB(Darken(r, d, x0), Darken(g, d, x0), Darken(b, d, x0)));
            if (x <= w) break;
        }
    }
    FillBand(pDC, 0, 0, x, cy, kBlack);
}

COLORREF CCaptionPainter::CaptionTextColor(BOOL bActive) {
    if (!bActive) return ::GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    const COLORREF crText = ::GetSysColor(COLOR_CAPTIONTEXT);
    return Lightness(crText) < kDarkestReadableText ? kWhite : crText;
}

int CCaptionPainter::Lightness(COLORREF crColor) {
    const int r = GetRValue(crColor), g = GetGValue(crColor), b = GetBValue(crColor);
    const int nMax = std::max({r, g, b});
    const int nMin = std::min({r, g, b});
    return ((nMax + nMin) * 240 + 255) / 510;
}

void CCaptionPainter::FillBand(CDC* pDC, int x, int y, int cx, int cy, COLORREF crColor) {
    CBrush brush;
    brush.CreateSolidBrush(crColor);
    CSelectObject selected(pDC->GetSafeHdc(), brush);
    pDC->PatBlt(x, y, cx, cy, PATCOPY);
}

void CCaptionPainter::CreateCaptionFont() {
    m_fontCaption.DeleteObject();
    // The record as it was before the padded border width was added at its end.
    constexpr UINT kMetricsSize = 340;
    static_assert(sizeof(NONCLIENTMETRICSA) >= kMetricsSize, "the record holds the caption font");
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kMetricsSize;
    if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kMetricsSize, &metrics, 0) &&
        m_fontCaption.CreateFontIndirect(&metrics.lfCaptionFont)) {
        return;
    }
    // Without the metrics the record holds no font: the stock one is borrowed instead.
    m_fontCaption.Attach(::GetStockObject(DEFAULT_GUI_FONT));
}
