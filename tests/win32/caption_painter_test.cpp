// The caption painter on a real frame under Wine's virtual desktop: what it lets the
// system's default processing see, when it renders and when it only copies, and where the
// caption buttons go. A recording hook below the painter sees what the painter passes on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "caption_buttons.h"
#include "caption_fixture.h"
#include "handle.h"
#include "message_pump.h"
#include "subclass_wnd.h"

using kst_test::CCaptionTestFrame;

namespace {

// Attached before the painter, so it sees what the painter passes on.
class CPassedOnRecorder : public CSubclassWnd {
public:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override {
        const bool bVisible = (::GetWindowLongA(m_pWnd->GetSafeHwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
        if (nMsg == WM_NCPAINT) {
            ++m_nNcPaints;
            m_lastRegionArg = wParam;
            m_region.DeleteObject();
            if (wParam > 1) {
                m_region.CreateRectRgn(0, 0, 0, 0);
                m_region.CombineRgn(reinterpret_cast<HRGN>(wParam), nullptr, RGN_COPY);
            }
        }
        if (nMsg == WM_NCACTIVATE) {
            ++m_nNcActivates;
            m_lastActivateArg = wParam;
            m_bVisibleDuringDefault = bVisible;
        }
        if (nMsg == WM_SETTEXT) m_bVisibleDuringDefault = bVisible;
        if (nMsg == WM_NCPAINT || nMsg == WM_NCACTIVATE) m_ncMessages.push_back({nMsg, wParam});
        return CSubclassWnd::WindowProc(nMsg, wParam, lParam);
    }
    int m_nNcPaints = 0;
    int m_nNcActivates = 0;
    WPARAM m_lastRegionArg = 0;
    WPARAM m_lastActivateArg = 0;
    bool m_bVisibleDuringDefault = true;
    CRgn m_region;  // a copy of the last real region passed on
    std::vector<std::pair<UINT, WPARAM>> m_ncMessages;
};

RECT ScreenRect(HWND hWnd) {
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    return rc;
}

class CaptionPainter : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_frame.GetSafeHwnd(), nullptr);
        ASSERT_TRUE(m_recorder.SetHook(&m_frame));
        ASSERT_TRUE(m_frame.m_painter.Install(&m_frame, WM_CAPTIONPAINT, FALSE));
        ::ShowWindow(m_frame.GetSafeHwnd(), SW_SHOWNOACTIVATE);
        kst_test::PumpPending();
    }
    HWND Frame() const { return m_frame.GetSafeHwnd(); }
    // The painter's state after an explicit activation message from this test.
    void Activate(BOOL bActive) { ::SendMessageA(Frame(), WM_NCACTIVATE, bActive, 0); }
    int Renders() const { return m_frame.m_nRenders[0] + m_frame.m_nRenders[1]; }

    CCaptionTestFrame m_frame;
    CPassedOnRecorder m_recorder;
};

TEST_F(CaptionPainter, WholeWindowPaintPassesEverythingButTheCaptionToDefaultProcessing) {
    ::SendMessageA(Frame(), WM_NCPAINT, 1, 0);
    ASSERT_GT(m_recorder.m_lastRegionArg, 1u) << "a region, not 'the whole window'";

    const RECT rcWindow = ScreenRect(Frame());
    RECT rcCaption = CCaptionPainter::GetCaptionRect(&m_frame);
    ::OffsetRect(&rcCaption, rcWindow.left, rcWindow.top);
    CRgn expected, caption;
    expected.CreateRectRgnIndirect(rcWindow);
    caption.CreateRectRgnIndirect(rcCaption);
    expected.CombineRgn(expected, caption, RGN_DIFF);
    EXPECT_TRUE(::EqualRgn(m_recorder.m_region, expected));
    EXPECT_FALSE(m_recorder.m_region.PtInRegion((rcCaption.left + rcCaption.right) / 2, rcCaption.top + 2));
    EXPECT_TRUE(m_recorder.m_region.PtInRegion(rcWindow.left, rcWindow.top)) << "the frame border stays";

    // The caption rectangle: inside the dialog frame, one border line short of the caption
    // height.
    const RECT inWindow = CCaptionPainter::GetCaptionRect(&m_frame);
    EXPECT_EQ(inWindow.left, ::GetSystemMetrics(SM_CXDLGFRAME));
    EXPECT_EQ(inWindow.right, 295 - ::GetSystemMetrics(SM_CXDLGFRAME));
    EXPECT_EQ(inWindow.bottom - inWindow.top, ::GetSystemMetrics(SM_CYCAPTION) - ::GetSystemMetrics(SM_CYBORDER));
}

TEST_F(CaptionPainter, RegionAwayFromTheCaptionGoesThroughUnchangedAndNothingIsPainted) {
    const RECT rcWindow = ScreenRect(Frame());
    CRgn bottom;
    bottom.CreateRectRgn(rcWindow.left, rcWindow.bottom - 3, rcWindow.right, rcWindow.bottom);
    m_frame.m_painter.m_cxCache = 0;  // the next PaintCaption would render
    const int nRendersBefore = Renders();

    ::SendMessageA(Frame(), WM_NCPAINT, reinterpret_cast<WPARAM>(static_cast<HRGN>(bottom)), 0);
    EXPECT_EQ(m_recorder.m_lastRegionArg, reinterpret_cast<WPARAM>(static_cast<HRGN>(bottom)));
    EXPECT_EQ(Renders(), nRendersBefore);
    EXPECT_NE(::GetObjectType(bottom), 0u) << "the caller's region is not the painter's to delete";

    // A region that touches the caption is cut and the caption painted.
    CRgn top;
    top.CreateRectRgn(rcWindow.left, rcWindow.top, rcWindow.right, rcWindow.top + 10);
    ::SendMessageA(Frame(), WM_NCPAINT, reinterpret_cast<WPARAM>(static_cast<HRGN>(top)), 0);
    EXPECT_NE(m_recorder.m_lastRegionArg, reinterpret_cast<WPARAM>(static_cast<HRGN>(top)));
    EXPECT_EQ(Renders(), nRendersBefore + 1);
}

TEST_F(CaptionPainter, ActivationPassesOnlyChangesAndHidesTheWindowFromTheDefaultDrawing) {
    Activate(TRUE);
    const int nPassed = m_recorder.m_nNcActivates;
    const int nRenders = Renders();

    // The state already applied: TRUE at once, nothing passed on, nothing painted.
    EXPECT_EQ(::SendMessageA(Frame(), WM_NCACTIVATE, TRUE, 0), TRUE);
    EXPECT_EQ(m_recorder.m_nNcActivates, nPassed);
    EXPECT_EQ(Renders(), nRenders);

    EXPECT_EQ(::SendMessageA(Frame(), WM_NCACTIVATE, FALSE, 0), TRUE);
    EXPECT_EQ(m_recorder.m_nNcActivates, nPassed + 1);
    EXPECT_EQ(m_recorder.m_lastActivateArg, 0u);
    EXPECT_FALSE(m_recorder.m_bVisibleDuringDefault) << "the system must not draw its caption";
    EXPECT_NE(::GetWindowLongA(Frame(), GWL_STYLE) & WS_VISIBLE, 0) << "and the window is visible again";
    EXPECT_FALSE(m_frame.m_painter.m_bActive);

    // Setting the text: hidden as well while the system stores it, then rendered afresh.
    m_recorder.m_bVisibleDuringDefault = true;
    const int nInactiveRenders = m_frame.m_nRenders[0];
    ::SetWindowTextA(Frame(), "Kestrine again");
    EXPECT_FALSE(m_recorder.m_bVisibleDuringDefault);
    EXPECT_NE(::GetWindowLongA(Frame(), GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_EQ(m_frame.m_nRenders[0], nInactiveRenders + 1);
}

TEST_F(CaptionPainter, DisabledFrameLooksInactiveAndStayActiveKeepsItActive) {
    Activate(FALSE);
    m_frame.m_nFlags |= WF_STAYACTIVE;
    Activate(FALSE);
    EXPECT_TRUE(m_frame.m_painter.m_bActive) << "WF_STAYACTIVE turns a deactivation into activation";
    EXPECT_EQ(m_recorder.m_lastActivateArg, 1u) << "and the default processing is told so";

    ::EnableWindow(Frame(), FALSE);
    Activate(TRUE);
    EXPECT_FALSE(m_frame.m_painter.m_bActive) << "disabled wins over everything";
    EXPECT_EQ(m_recorder.m_lastActivateArg, 0u);
    ::EnableWindow(Frame(), TRUE);
    m_frame.m_nFlags &= ~WF_STAYACTIVE;
}

TEST_F(CaptionPainter, ActiveChildFrameIsActivatedAndRepaintedWithTheFrame) {
    CFrameWnd child;
    ASSERT_TRUE(child.CreateEx(0, nullptr, "child", WS_CHILD | WS_CAPTION, 0, 0, 100, 40, Frame(), nullptr));
    CPassedOnRecorder childRecorder;
    ASSERT_TRUE(childRecorder.SetHook(&child));
    m_frame.m_pActiveFrame = &child;
    const BOOL bNew = !m_frame.m_painter.m_bActive;
    Activate(bNew);
    m_frame.m_pActiveFrame = nullptr;
    const std::vector<std::pair<UINT, WPARAM>> expected{{WM_NCACTIVATE, static_cast<WPARAM>(bNew)}, {WM_NCPAINT, 0}};
    EXPECT_EQ(childRecorder.m_ncMessages, expected);
}

TEST_F(CaptionPainter, EachStateRendersOnceThenSwitchingOnlyCopies) {
    Activate(FALSE);
    ::SetWindowTextA(Frame(), "Kestrine");  // discards both bitmaps, renders the inactive one
    const int nInactive = m_frame.m_nRenders[0];
    const int nActive = m_frame.m_nRenders[1];

    Activate(TRUE);
    Activate(FALSE);
    Activate(TRUE);
    Activate(FALSE);
    EXPECT_EQ(m_frame.m_nRenders[1], nActive + 1) << "the active look is rendered once";
    EXPECT_EQ(m_frame.m_nRenders[0], nInactive) << "the inactive look was already there";
    EXPECT_NE(m_frame.m_painter.m_bmCache[0].GetSafeHandle(), nullptr);
    EXPECT_NE(m_frame.m_painter.m_bmCache[1].GetSafeHandle(), nullptr);

    // A change of system colours discards both and tells the frame to drop its font.
    const int nNotes = m_frame.m_nSettingsNotes;
    ::SendMessageA(Frame(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(m_frame.m_nSettingsNotes, nNotes + 1);
    EXPECT_EQ(m_frame.m_painter.m_fontCaption.GetSafeHandle(), nullptr);
    ::SendMessageA(Frame(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(m_frame.m_nRenders[0], nInactive + 1);
    EXPECT_EQ(m_frame.m_painter.m_bmCache[1].GetSafeHandle(), nullptr);
}

TEST_F(CaptionPainter, WidthChangeDiscardsBothBitmapsAndRendersOnlyTheCurrentState) {
    Activate(TRUE);
    Activate(FALSE);
    ASSERT_NE(m_frame.m_painter.m_bmCache[1].GetSafeHandle(), nullptr);
    const int nActive = m_frame.m_nRenders[1];

    ::SetWindowPos(Frame(), nullptr, 0, 0, 340, 135, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(Frame(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(m_frame.m_painter.m_cxCache, 340 - 2 * ::GetSystemMetrics(SM_CXDLGFRAME));
    EXPECT_NE(m_frame.m_painter.m_bmCache[0].GetSafeHandle(), nullptr);
    EXPECT_EQ(m_frame.m_painter.m_bmCache[1].GetSafeHandle(), nullptr) << "the other state waits for its turn";
    EXPECT_EQ(m_frame.m_nRenders[1], nActive);
}

TEST_F(CaptionPainter, MinimisedFrameGetsNoPainting) {
    ::ShowWindow(Frame(), SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(::IsIconic(Frame()));
    m_frame.m_painter.m_cxCache = 0;
    const int nRenders = Renders();
    m_frame.m_painter.PaintCaption();
    ::SendMessageA(Frame(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(Renders(), nRenders);
    EXPECT_EQ(m_frame.m_painter.m_cxCache, 0) << "not even the cache was looked at";
    ::ShowWindow(Frame(), SW_RESTORE);
}

TEST_F(CaptionPainter, ButtonsOfTheMainFramesStyleSitAtTheRightEdge) {
    // Close, the greyed maximise button 2 pixels to its left, minimise touching that.
    const DWORD mainStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const CaptionButtonLayout layout = LayOutCaptionButtons(289, 18, 18, mainStyle, 0, FALSE);
    ASSERT_EQ(layout.nCount, 3);
    const struct {
        LONG left, right;
        UINT state;
    } expected[] = {{271, 287, DFCS_CAPTIONCLOSE},
                    {253, 269, DFCS_CAPTIONMAX | DFCS_INACTIVE},
                    {237, 253, DFCS_CAPTIONMIN}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(layout.buttons[i].rc.left, expected[i].left) << i;
        EXPECT_EQ(layout.buttons[i].rc.right, expected[i].right) << i;
        EXPECT_EQ(layout.buttons[i].rc.top, 2) << i;
        EXPECT_EQ(layout.buttons[i].rc.bottom, 16) << i;
        EXPECT_EQ(layout.buttons[i].nState, expected[i].state) << i;
    }
    EXPECT_EQ(layout.nWidth, 50);

    EXPECT_EQ(LayOutCaptionButtons(289, 18, 18, mainStyle, 0, TRUE).buttons[1].nState,
              static_cast<UINT>(DFCS_CAPTIONRESTORE | DFCS_INACTIVE));
    EXPECT_EQ(LayOutCaptionButtons(289, 18, 18, WS_CAPTION | WS_SYSMENU, WS_EX_CONTEXTHELP, FALSE).buttons[1].nState,
              static_cast<UINT>(DFCS_CAPTIONHELP));
    const CaptionButtonLayout withMaxBox =
        LayOutCaptionButtons(289, 18, 18, WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX, 0, FALSE);
    EXPECT_EQ(withMaxBox.nCount, 2);
    EXPECT_EQ(withMaxBox.buttons[1].nState, static_cast<UINT>(DFCS_CAPTIONMAX));
    EXPECT_EQ(withMaxBox.nWidth, 289 - 253 - 2);

    const CaptionButtonLayout none = LayOutCaptionButtons(289, 18, 18, WS_POPUP | WS_SYSMENU, 0, FALSE);
    EXPECT_EQ(none.nCount, 0);
    EXPECT_EQ(none.nWidth, 0);
}

TEST_F(CaptionPainter, ButtonsFollowTheLiveMetricsAndTheFramesStyle) {
    kst_test::CCanvas canvas(289, 18, RGB(1, 2, 3));
    CaptionPaintInfo info{289, 18, &canvas.dc(), TRUE};
    const int cxSize = ::GetSystemMetrics(SM_CXSIZE);
    EXPECT_EQ(m_frame.m_painter.DrawCaptionButtons(&info), 3 * cxSize - 4) << "three buttons, two gaps of 2";
    EXPECT_NE(canvas.At(289 - cxSize / 2 - 1, 18 / 2), RGB(1, 2, 3)) << "the close button was drawn";

    CCaptionTestFrame popup(WS_POPUP);
    kst_test::CPainterProbe painter;
    ASSERT_TRUE(painter.Install(&popup, WM_CAPTIONPAINT, FALSE));
    kst_test::CCanvas bare(289, 18, RGB(1, 2, 3));
    CaptionPaintInfo bareInfo{289, 18, &bare.dc(), TRUE};
    EXPECT_EQ(painter.DrawCaptionButtons(&bareInfo), 0);
    EXPECT_EQ(bare.At(289 - cxSize / 2 - 1, 18 / 2), RGB(1, 2, 3));
    popup.DestroyWindow();
    EXPECT_FALSE(painter.IsHooked()) << "the window's end detached it";
}

TEST_F(CaptionPainter, NoGdiObjectIsLeftBehindByActivationSwitchesAndTitleChanges) {
    {
        // The count itself sees an object come and go.
        const DWORD nBefore = kst_test::GdiObjectCount();
        CBrush brush;
        brush.CreateSolidBrush(RGB(9, 9, 9));
        EXPECT_EQ(kst_test::GdiObjectCount(), nBefore + 1);
    }
    auto cycle = [this](int i) {
        Activate(i % 2 == 0);
        if (i % 2 == 0) ::SetWindowTextA(Frame(), i % 4 == 0 ? "Kestrine one" : "Kestrine two");
        ::SendMessageA(Frame(), WM_NCPAINT, 1, 0);
    };
    for (int i = 0; i < 10; ++i) cycle(i);
    const DWORD gdiAfterTen = kst_test::GdiObjectCount();
    const DWORD userAfterTen = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    const int nRendersAfterTen = Renders();
    const long refusedBefore = AfxRefusedHandleCloses();
    for (int i = 10; i < 1010; ++i) cycle(i);
    const DWORD gdiAfterAll = kst_test::GdiObjectCount();
    EXPECT_GE(Renders() - nRendersAfterTen, 500) << "the title changes made it render";
    EXPECT_EQ(gdiAfterAll, gdiAfterTen);
    EXPECT_EQ(AfxRefusedHandleCloses(), refusedBefore) << "a handle was closed twice";
    EXPECT_EQ(::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS), userAfterTen);
    std::printf("GDI objects after 10 cycles: %lu, after 1,010: %lu (%d renders)\n",
                static_cast<unsigned long>(gdiAfterTen), static_cast<unsigned long>(gdiAfterAll), Renders());
}

}  // namespace
