// The shaded caption read back pixel by pixel from a memory DC, its text colour, its font's
// life, and the title texts. Row 0 of a caption is pure background: the icon starts at
// row 1, the buttons at row 2 and the text is centred.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "caption_fixture.h"
#include "caption_text.h"
#include "document.h"
#include "thread.h"
#include "view.h"
#include "window_text.h"

using kst_test::CCanvas;
using kst_test::CPainterProbe;
using kst_test::CSysColors;

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kMarker = RGB(1, 2, 3);
constexpr int kHeight = 18;

// Renders an active or inactive caption cx pixels wide with a painter that is not attached
// to any window (no icon, no buttons) and hands back the canvas.
void Render(CPainterProbe& painter, CCanvas& canvas, int cx, BOOL bActive, const char* title = "Kestrine") {
    CaptionPaintInfo info{cx, kHeight, &canvas.dc(), bActive};
    painter.PaintGradientCaption(bActive, &info, title);
}

TEST(ShadedCaption, Width289InNavyShadesIn79BandsToBlack) {
    CSysColors colors({{COLOR_ACTIVECAPTION, kNavy}});
    CPainterProbe painter;
    CCanvas canvas(289, kHeight, kMarker);
    Render(painter, canvas, 289, TRUE);

    // x0 = 240 and bands of w = 3.
    for (int x = 240; x < 289; ++x) ASSERT_EQ(canvas.At(x, 0), kNavy) << x;
    int nBands = 0;
    for (int left = 237; left >= 3; left -= 3, ++nBands) {
        const int d = 240 - left;
        const COLORREF band = RGB(0, 0, 128 - d * d * 128 / 57600);
        for (int x = left; x < left + 3; ++x) ASSERT_EQ(canvas.At(x, 0), band) << "band at " << left;
    }
    EXPECT_EQ(nBands, 79);
    EXPECT_EQ(canvas.At(237, 0), RGB(0, 0, 128)) << "d = 3";
    EXPECT_EQ(canvas.At(3, 0), RGB(0, 0, 4)) << "d = 237";
    for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas.At(x, 0), RGB(0, 0, 0)) << x;
    // The bands fill the whole height.
    EXPECT_EQ(canvas.At(3, kHeight - 1), RGB(0, 0, 4));
    EXPECT_EQ(canvas.At(288, kHeight - 1), kNavy);
}

TEST(ShadedCaption, WideNarrowAndOnePixelCaptions) {
    CSysColors colors({{COLOR_ACTIVECAPTION, kNavy}});
    CPainterProbe painter;
    {
        // x0 = 853, w = 13: 65 bands with left edges 840 down to 8, black from 0 to 7.
        CCanvas canvas(1024, kHeight, kMarker);
        Render(painter, canvas, 1024, TRUE);
        EXPECT_EQ(canvas.At(853, 0), kNavy);
        EXPECT_EQ(canvas.At(852, 0), RGB(0, 0, 128 - 13 * 13 * 128 / (853 * 853)));
        EXPECT_EQ(canvas.At(840, 0), canvas.At(852, 0));
        EXPECT_EQ(canvas.At(21, 0), RGB(0, 0, 7)) << "d = 832";
        EXPECT_EQ(canvas.At(8, 0), RGB(0, 0, 3)) << "d = 845";
        EXPECT_EQ(canvas.At(20, 0), canvas.At(8, 0));
        EXPECT_EQ(canvas.At(7, 0), RGB(0, 0, 0));
        EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 0));
    }
    {
        // x0 = 5, w = 1: bands at 4, 3, 2 and 1, black at 0.
        CCanvas canvas(6, kHeight, kMarker);
        Render(painter, canvas, 6, TRUE);
        EXPECT_EQ(canvas.At(5, 0), kNavy);
        EXPECT_EQ(canvas.At(4, 0), RGB(0, 0, 123));
        EXPECT_EQ(canvas.At(3, 0), RGB(0, 0, 108));
        EXPECT_EQ(canvas.At(2, 0), RGB(0, 0, 82));
        EXPECT_EQ(canvas.At(1, 0), RGB(0, 0, 47));
        EXPECT_EQ(canvas.At(0, 0), RGB(0, 0, 0));
    }
    {
        // x0 = 0: no band and no black, the one pixel in the caption colour.
        CCanvas canvas(1, kHeight, kMarker);
        Render(painter, canvas, 1, TRUE);
        EXPECT_EQ(canvas.At(0, 0), kNavy);
        EXPECT_EQ(canvas.At(0, kHeight - 1), kNavy);
    }
}

TEST(ShadedCaption, VeryWideCaptionStillDarkensTowardsBlack) {
    // d * d * 255 leaves the range of an int beyond about 2,900 pixels.
    CSysColors colors({{COLOR_ACTIVECAPTION, RGB(255, 255, 255)}});
    CPainterProbe painter;
    CCanvas canvas(4000, 2, kMarker);
    CaptionPaintInfo info{4000, 2, &canvas.dc(), TRUE};
    painter.PaintGradientCaption(TRUE, &info, "");
    const int x0 = 5 * 4000 / 6, w = x0 / 64;
    COLORREF previous = canvas.At(x0, 0);
    EXPECT_EQ(previous, RGB(255, 255, 255));
    for (int x = x0 - w; x > w; x -= w) {
        const COLORREF here = canvas.At(x, 0);
        ASSERT_LE(GetRValue(here), GetRValue(previous)) << "each band darker than the one to its right, at " << x;
        previous = here;
    }
    EXPECT_LT(GetRValue(previous), 10);
}

TEST(ShadedCaption, InactiveCaptionIsFlat) {
    CSysColors colors({{COLOR_INACTIVECAPTION, RGB(128, 128, 128)}, {COLOR_ACTIVECAPTION, kNavy}});
    CPainterProbe painter;
    CCanvas canvas(289, kHeight, kMarker);
    Render(painter, canvas, 289, FALSE);
    for (int x = 0; x < 289; ++x) ASSERT_EQ(canvas.At(x, 0), RGB(128, 128, 128)) << x;
}

bool Contains(CCanvas& canvas, int cx, COLORREF color) {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < cx; ++x)
            if (canvas.At(x, y) == color) return true;
    return false;
}

TEST(ShadedCaption, DarkCaptionTextTurnsWhite) {
    EXPECT_EQ(CCaptionPainter::Lightness(RGB(0, 0, 0)), 0);
    EXPECT_EQ(CCaptionPainter::Lightness(RGB(255, 255, 255)), 240);
    EXPECT_EQ(CCaptionPainter::Lightness(RGB(128, 128, 128)), 120);
    EXPECT_EQ(CCaptionPainter::Lightness(RGB(95, 95, 95)), 89);
    EXPECT_EQ(CCaptionPainter::Lightness(RGB(96, 96, 96)), 90);
    EXPECT_EQ(CCaptionPainter::Lightness(RGB(255, 0, 0)), 120) << "max and min, not the mean";

    const COLORREF background = RGB(200, 0, 0);  // no text colour below can come from the shading
    const struct {
        COLORREF text;
        COLORREF drawn;
        COLORREF absent;
    } cases[] = {{RGB(95, 95, 95), RGB(255, 255, 255), RGB(95, 95, 95)},
                 {RGB(96, 96, 96), RGB(96, 96, 96), RGB(255, 255, 255)}};
    for (const auto& c : cases) {
        CSysColors colors({{COLOR_ACTIVECAPTION, background}, {COLOR_CAPTIONTEXT, c.text}});
        CPainterProbe painter;
        CCanvas canvas(289, kHeight, kMarker);
        Render(painter, canvas, 289, TRUE, "MMMMMMMMMMMMMMMM");
        EXPECT_TRUE(Contains(canvas, 289, c.drawn)) << std::hex << c.text;
        EXPECT_FALSE(Contains(canvas, 289, c.absent)) << std::hex << c.text;
    }

    // Inactive text takes its colour as it is, dark or not.
    CSysColors colors({{COLOR_INACTIVECAPTION, background}, {COLOR_INACTIVECAPTIONTEXT, RGB(10, 10, 10)}});
    CPainterProbe painter;
    CCanvas canvas(289, kHeight, kMarker);
    Render(painter, canvas, 289, FALSE, "MMMMMMMMMMMMMMMM");
    EXPECT_TRUE(Contains(canvas, 289, RGB(10, 10, 10)));
    EXPECT_FALSE(Contains(canvas, 289, RGB(255, 255, 255)));
}

TEST(ShadedCaption, FontIsTheSystemCaptionFontDroppedOnSettingsChangeAndMadeAgain) {
    CPainterProbe painter;
    EXPECT_EQ(painter.m_fontCaption.GetSafeHandle(), nullptr) << "empty until first needed";
    CCanvas canvas(289, kHeight, kMarker);
    Render(painter, canvas, 289, TRUE);
    ASSERT_NE(painter.m_fontCaption.GetSafeHandle(), nullptr);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = 340;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
    LOGFONTA made{};
    painter.m_fontCaption.GetLogFont(&made);
    EXPECT_STREQ(made.lfFaceName, metrics.lfCaptionFont.lfFaceName);
    EXPECT_EQ(made.lfHeight, metrics.lfCaptionFont.lfHeight);

    // A null record: the font goes and nothing is drawn.
    const HGDIOBJ hOld = painter.m_fontCaption.GetSafeHandle();
    painter.PaintGradientCaption(TRUE, nullptr, "Kestrine");
    EXPECT_EQ(painter.m_fontCaption.GetSafeHandle(), nullptr);
    EXPECT_EQ(::GetObjectType(hOld), 0u) << "deleted, not just forgotten";
    Render(painter, canvas, 289, TRUE);
    EXPECT_NE(painter.m_fontCaption.GetSafeHandle(), nullptr);
}

TEST(CaptionTitle, PaintedAndWindowTextsFromTitleAndDocumentTitle) {
    EXPECT_EQ(ComposeCaptionText("Kestrine", ""), " Kestrine");
    EXPECT_EQ(ComposeWindowText("Kestrine", ""), "Kestrine ");
    EXPECT_EQ(ComposeCaptionText("Kestrine", "notes.kst"), " Kestrine  -  [notes.kst]");
    EXPECT_EQ(ComposeWindowText("Kestrine", "notes.kst"), "Kestrine notes.kst");
}

// The current thread's main window and its active child frame, as GetDocumentTitle finds them.
class CaptionDocumentTitle : public ::testing::Test {
protected:
    void SetUp() override {
        m_thread.MakeCurrentForThisThread();
        m_thread.m_pMainWnd = &m_main;
        ASSERT_TRUE(m_child.CreateEx(0, nullptr, "notes.kst", WS_CHILD, 0, 0, 50, 20, m_main.GetSafeHwnd(), nullptr));
        m_view.m_pDocument = &m_doc;
        m_child.SetActiveView(&m_view);
        m_main.m_pActiveFrame = &m_child;
    }
    void TearDown() override {
        m_thread.m_pMainWnd = nullptr;  // its end must not post a quit message
        m_main.m_pActiveFrame = nullptr;
        m_child.SetActiveView(nullptr);
    }
    CWinThread m_thread{nullptr, nullptr};
    kst_test::CCaptionTestFrame m_main;
    CFrameWnd m_child;
    CView m_view;
    CDocument m_doc;
};

TEST_F(CaptionDocumentTitle, ChildFrameTitleWithAndWithoutTheModifiedMark) {
    CPainterProbe marking;
    ASSERT_TRUE(marking.Install(&m_main, WM_CAPTIONPAINT, TRUE));
    EXPECT_EQ(marking.GetDocumentTitle(), "notes.kst");
    m_doc.SetModifiedFlag(TRUE);
    EXPECT_EQ(marking.GetDocumentTitle(), "notes.kst*");
    m_child.SetWindowText("draft*");
    EXPECT_EQ(marking.GetDocumentTitle(), "draft*") << "no second mark";
    m_child.SetWindowText("");
    EXPECT_EQ(marking.GetDocumentTitle(), "") << "an empty title gets no mark";
    m_child.SetWindowText("notes.kst");
    marking.UpdateFrameTitle(m_main.GetSafeHwnd(), "Kestrine");
    EXPECT_EQ(kst_test::WindowTextOf(m_main.GetSafeHwnd()), "Kestrine notes.kst*");
    marking.SetHook(nullptr);

    CPainterProbe plain;
    ASSERT_TRUE(plain.Install(&m_main, WM_CAPTIONPAINT, FALSE));
    EXPECT_EQ(plain.GetDocumentTitle(), "notes.kst") << "no mark asked for";
    plain.SetHook(nullptr);
}

TEST_F(CaptionDocumentTitle, NoChildFrameNoThreadOrNoMainWindowMeansNoDocumentTitle) {
    CPainterProbe painter;
    m_main.m_pActiveFrame = nullptr;  // a frame of its own: the single-document case
    EXPECT_EQ(painter.GetDocumentTitle(), "");
    painter.UpdateFrameTitle(m_main.GetSafeHwnd(), "Kestrine");
    EXPECT_EQ(kst_test::WindowTextOf(m_main.GetSafeHwnd()), "Kestrine ");

    m_main.m_pActiveFrame = &m_child;
    m_thread.m_pMainWnd = nullptr;
    EXPECT_EQ(painter.GetDocumentTitle(), "");
    {
        CWinThread other(nullptr, nullptr);
        other.MakeCurrentForThisThread();
    }  // gone: the thread has no framework thread object now
    EXPECT_EQ(AfxGetThread(), nullptr);
    EXPECT_EQ(painter.GetDocumentTitle(), "");
}

}  // namespace
