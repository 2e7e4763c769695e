// The flat tool bar on a real window with the program's tool bar resource: pixels read back
// from the bar after real paints, hot tracking, clicks, custom-draw notifications, sizes,
// colour changes and GDI objects over many paints.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "gdi_count.h"
#include "handle.h"
#include "message_pump.h"
#include "resource.h"
#include "toolbar_ex.h"

namespace {

constexpr int kImage = 48;
constexpr POINT kFarAway{1000, 740};

// The window the bar notifies: records custom-draw stages and commands, answers as told.
class CRecordingHost : public CWnd {
public:
    struct Notification {
        DWORD stage;
        DWORD_PTR item;
        UINT state;
        RECT rc;
        UINT_PTR idFrom;
    };
    std::vector<Notification> notifications;
    LRESULT prePaintAnswer = 0;
    LRESULT itemAnswer = 0;
    UINT skipItem = 0;  // answered CDRF_SKIPDEFAULT
    int commands = 0;

    BOOL OnCommand(WPARAM, LPARAM) override {
        ++commands;
        return TRUE;
    }

protected:
    LRESULT OnNotify(WPARAM, LPARAM lParam) {
        const auto* nm = reinterpret_cast<const NMCUSTOMDRAW*>(lParam);
        if (nm->hdr.code != static_cast<UINT>(NM_CUSTOMDRAW)) return 0;
        notifications.push_back({nm->dwDrawStage, nm->dwItemSpec, nm->uItemState, nm->rc, nm->hdr.idFrom});
        if (nm->dwDrawStage == CDDS_PREPAINT) return prePaintAnswer;
        if (nm->dwDrawStage == CDDS_ITEMPREPAINT) return nm->dwItemSpec == skipItem ? CDRF_SKIPDEFAULT : itemAnswer;
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordingHost, CWnd)
    ON_MESSAGE(WM_NOTIFY, OnNotify)
END_MESSAGE_MAP()

// The bar, counting the mouse moves that reach the control.
class CProbedToolBar : public CToolBarEx {
public:
    int movesToControl = 0;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MOUSEMOVE) ++movesToControl;
        return CToolBarEx::DefWindowProc(message, wParam, lParam);
    }
    COLORREF Face() const { return m_crFace; }
    COLORREF Highlight() const { return m_crHighlight; }
    COLORREF Shadow() const { return m_crShadow; }
    COLORREF Light() const { return m_crLight; }
};

// Puts the system colours back however a test ends.
class CSysColorsGuard {
public:
    explicit CSysColorsGuard(int nIndex) : m_nIndex(nIndex), m_crSaved(::GetSysColor(nIndex)) {}
    ~CSysColorsGuard() { ::SetSysColors(1, &m_nIndex, &m_crSaved); }
    CSysColorsGuard(const CSysColorsGuard&) = delete;
    CSysColorsGuard& operator=(const CSysColorsGuard&) = delete;

private:
    int m_nIndex;
    COLORREF m_crSaved;
};

// Holds a key down for the length of a scope, as the keyboard would.
class CKeyHeld {
public:
    explicit CKeyHeld(BYTE vk) : m_vk(vk) { ::keybd_event(m_vk, 0, 0, 0); }
    ~CKeyHeld() { ::keybd_event(m_vk, 0, KEYEVENTF_KEYUP, 0); }
    CKeyHeld(const CKeyHeld&) = delete;
    CKeyHeld& operator=(const CKeyHeld&) = delete;

private:
    BYTE m_vk;
};

bool InRegion(HRGN hRgn, const RECT& rc) {
    return ::PtInRegion(hRgn, (rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2) != FALSE;
}

class FlatToolBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        kst_test::PutCursor(kFarAway);
        ASSERT_TRUE(m_host.CreateEx(0, nullptr, "Flat bar host", WS_POPUP | WS_VISIBLE, 100, 100, 420, 90, nullptr,
                                    nullptr));
        ::SetForegroundWindow(m_host);
        ASSERT_TRUE(m_bar.Create(&m_host, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR));
        ASSERT_TRUE(m_bar.LoadToolBar(IDR_MAINFRAME));
        m_bar.MoveWindow(0, 0, 420, kImage + 6 + 4);
        Repaint();
        m_host.notifications.clear();
    }
    void TearDown() override {
        m_bar.DestroyWindow();
        m_host.DestroyWindow();
        kst_test::PutCursor(kFarAway);
    }

    void Repaint() {
        ::InvalidateRect(m_bar, nullptr, FALSE);
        ::UpdateWindow(m_bar);
    }
    RECT Item(int i) const {
        RECT rc{};
        m_bar.GetItemRect(i, &rc);
        return rc;
    }
    int IndexOf(UINT nID) const { return m_bar.CommandToIndex(nID); }
    COLORREF Pixel(int x, int y) const {
        HDC hdc = ::GetDC(m_bar);
        const COLORREF cr = ::GetPixel(hdc, x, y);
        ::ReleaseDC(m_bar, hdc);
        return cr;
    }
    // The button's pixels, row by row.
    std::vector<COLORREF> Pixels(const RECT& rc) const {
        std::vector<COLORREF> pixels;
        HDC hdc = ::GetDC(m_bar);
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x) pixels.push_back(::GetPixel(hdc, x, y));
        ::ReleaseDC(m_bar, hdc);
        return pixels;
    }
    void CursorOver(const RECT& rc) {
        POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ::ClientToScreen(m_bar, &pt);
        kst_test::PutCursor(pt);
    }
    void MoveTo(const RECT& rc) {
        ::SendMessageA(m_bar, WM_MOUSEMOVE, 0, MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    }
    void SetState(UINT nID, BYTE state) { m_bar.SendMessage(TB_SETSTATE, nID, MAKELONG(state, 0)); }
    // The first pixel of image 0 in the bitmap well that is not the art's grey.
    POINT FirstInkOfFirstImage() const {
        HDC hdc = ::CreateCompatibleDC(nullptr);
        HGDIOBJ old = ::SelectObject(hdc, m_bar.GetBitmapWell());
        POINT ink{-1, -1};
        for (int y = 0; y < kImage && ink.x < 0; ++y)
            for (int x = 0; x < kImage && ink.x < 0; ++x)
                if (::GetPixel(hdc, x, y) != RGB(192, 192, 192)) ink = POINT{x, y};
        ::SelectObject(hdc, old);
        ::DeleteDC(hdc);
        return ink;
    }
    bool HotTimerRunning() {
        // KillTimer answers whether there was one; start it again so nothing changes.
        if (!::KillTimer(m_bar, 1)) return false;
        ::SetTimer(m_bar, 1, 250, nullptr);
        return true;
    }

    CRecordingHost m_host;
    CProbedToolBar m_bar;
};

}  // namespace

TEST_F(FlatToolBarTest, EnabledButtonIsFlatAwayFromTheCursorAndRaisedUnderIt) {
    const RECT rc = Item(0);
    const SIZE offset = m_bar.GetImageOffset();
    EXPECT_EQ(offset.cx, (rc.right - rc.left - kImage) / 2);
    EXPECT_EQ(Pixel(rc.left, rc.top), m_bar.Face());
    EXPECT_EQ(Pixel(rc.right - 1, rc.bottom - 1), m_bar.Face());
    // The images' grey background is transparent whatever the face colour is.
    EXPECT_EQ(Pixel(rc.left + offset.cx, rc.top + offset.cy), m_bar.Face());
    const POINT ink = FirstInkOfFirstImage();
    ASSERT_GE(ink.x, 0);
    const COLORREF crInk = Pixel(rc.left + offset.cx + ink.x, rc.top + offset.cy + ink.y);
    EXPECT_NE(crInk, m_bar.Face());

    CursorOver(rc);
    Repaint();
    EXPECT_EQ(Pixel(rc.left, rc.top), m_bar.Highlight());
    EXPECT_EQ(Pixel(rc.right - 2, rc.top), m_bar.Highlight());
    EXPECT_EQ(Pixel(rc.right - 1, rc.bottom - 1), m_bar.Shadow());
    EXPECT_EQ(Pixel(rc.left + 1, rc.bottom - 1), m_bar.Shadow());
    EXPECT_EQ(Pixel(rc.left + offset.cx + ink.x, rc.top + offset.cy + ink.y), crInk) << "a raised image stays put";
}

TEST_F(FlatToolBarTest, CheckedButtonIsSunkenWithCheckerboardAwayFromTheCursorAndImageMovedOneDown) {
    const int i = IndexOf(ID_ENCRYPT);
    const RECT rc = Item(i);
    const SIZE offset = m_bar.GetImageOffset();
    const POINT ink = FirstInkOfFirstImage();
    const COLORREF crInk = Pixel(rc.left + offset.cx + ink.x, rc.top + offset.cy + ink.y);
    SetState(ID_ENCRYPT, TBSTATE_ENABLED | TBSTATE_CHECKED);
    Repaint();
    EXPECT_EQ(Pixel(rc.left, rc.top), m_bar.Shadow());
    EXPECT_EQ(Pixel(rc.right - 1, rc.bottom - 1), m_bar.Highlight());
    EXPECT_EQ(Pixel(rc.left + 1, rc.top + 1), m_bar.Face()) << "inner frame";
    EXPECT_EQ(Pixel(rc.right - 2, rc.bottom - 2), m_bar.Face()) << "inner frame";
    const COLORREF a = Pixel(rc.left + 2, rc.top + 2), b = Pixel(rc.left + 3, rc.top + 2);
    EXPECT_NE(a, b) << "checkerboard";
    EXPECT_TRUE((a == m_bar.Highlight() && b == m_bar.Face()) || (a == m_bar.Face() && b == m_bar.Highlight()));
    EXPECT_EQ(Pixel(rc.left + 2, rc.top + 3), b);
    EXPECT_EQ(Pixel(rc.left + offset.cx + ink.x + 1, rc.top + offset.cy + ink.y + 1), crInk);

    // Under the cursor: sunken on the plain face.
    CursorOver(rc);
    Repaint();
    EXPECT_EQ(Pixel(rc.left, rc.top), m_bar.Shadow());
    EXPECT_EQ(Pixel(rc.right - 1, rc.bottom - 1), m_bar.Highlight());
    EXPECT_EQ(Pixel(rc.left + 2, rc.top + 2), m_bar.Face());
    EXPECT_EQ(Pixel(rc.left + 3, rc.top + 2), m_bar.Face());
}

TEST_F(FlatToolBarTest, DisabledButtonHasNoEdgeAndAnEmbossedImage) {
    const int i = IndexOf(ID_DECRYPT);
    const RECT rc = Item(i);
    const int cx = rc.right - rc.left;
    const std::vector<COLORREF> enabled = Pixels(rc);
    auto isInk = [&](int x, int y) {
        if (x < 0 || y < 0) return false;
        const COLORREF cr = enabled[static_cast<size_t>(y * cx + x)];
        return cr != m_bar.Face() && cr != m_bar.Highlight();
    };
    SetState(ID_DECRYPT, 0);
    CursorOver(rc);  // a disabled button is never raised
    Repaint();
    const std::vector<COLORREF> disabled = Pixels(rc);
    int shadows = 0, highlights = 0;
    for (int y = 0; y < rc.bottom - rc.top; ++y) {
        for (int x = 0; x < cx; ++x) {
            const COLORREF expected = isInk(x, y)           ? m_bar.Shadow()
                                      : isInk(x - 1, y - 1) ? m_bar.Highlight()
                                                            : m_bar.Face();
            ASSERT_EQ(disabled[static_cast<size_t>(y * cx + x)], expected) << "at " << x << "," << y;
            shadows += expected == m_bar.Shadow();
            highlights += expected == m_bar.Highlight();
        }
    }
    EXPECT_GT(shadows, 50);
    EXPECT_GT(highlights, 20);
    EXPECT_EQ(disabled[0], m_bar.Face()) << "no edge";
}

TEST_F(FlatToolBarTest, NarrowSeparatorIsAnEtchedLineWideOneDrawsNothing) {
    const RECT sep = Item(2);
    ASSERT_EQ(sep.right - sep.left, 8);
    const int x = (sep.left + sep.right) / 2, y = (sep.top + sep.bottom) / 2;
    EXPECT_EQ(Pixel(x - 1, y), m_bar.Shadow());
    EXPECT_EQ(Pixel(x, y), m_bar.Highlight());
    EXPECT_NE(Pixel(x - 2, y), m_bar.Shadow());
    EXPECT_NE(Pixel(x + 1, y), m_bar.Highlight());

    // A 12-pixel separator in its place.
    m_bar.SendMessage(TB_DELETEBUTTON, 2);
    TBBUTTON wide{12, 0, 0, TBSTYLE_SEP, {}, 0, 0};
    ASSERT_TRUE(m_bar.SendMessage(TB_INSERTBUTTON, 2, reinterpret_cast<LPARAM>(&wide)));
    ::InvalidateRect(m_bar, nullptr, TRUE);
    ::UpdateWindow(m_bar);
    const RECT wideRect = Item(2);
    ASSERT_EQ(wideRect.right - wideRect.left, 12);
    for (COLORREF cr : Pixels(wideRect)) {
        ASSERT_NE(cr, m_bar.Shadow());
        ASSERT_NE(cr, m_bar.Highlight());
    }
}

TEST_F(FlatToolBarTest, HotTrackingInvalidatesAtMostTwoButtonsAndTheTimerEndsIt) {
    HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
    const RECT encrypt = Item(0), decrypt = Item(1), shred = Item(3), about = Item(5);
    ::ValidateRect(m_bar, nullptr);
    MoveTo(encrypt);
    EXPECT_EQ(m_bar.GetHotButton(), 0);
    ASSERT_NE(::GetUpdateRgn(m_bar, hRgn, FALSE), NULLREGION);
    EXPECT_TRUE(InRegion(hRgn, encrypt));
    EXPECT_FALSE(InRegion(hRgn, decrypt));
    EXPECT_TRUE(HotTimerRunning());

    ::ValidateRect(m_bar, nullptr);
    MoveTo(encrypt);
    EXPECT_EQ(::GetUpdateRgn(m_bar, hRgn, FALSE), NULLREGION) << "staying on the hot button repaints nothing";

    MoveTo(decrypt);
    EXPECT_EQ(m_bar.GetHotButton(), 1);
    ::GetUpdateRgn(m_bar, hRgn, FALSE);
    EXPECT_TRUE(InRegion(hRgn, encrypt));
    EXPECT_TRUE(InRegion(hRgn, decrypt));
    EXPECT_FALSE(InRegion(hRgn, shred));
    EXPECT_FALSE(InRegion(hRgn, about));

    ::ValidateRect(m_bar, nullptr);
    MoveTo(Item(2));  // a separator
    EXPECT_EQ(m_bar.GetHotButton(), -1);
    ::GetUpdateRgn(m_bar, hRgn, FALSE);
    EXPECT_TRUE(InRegion(hRgn, decrypt));
    EXPECT_FALSE(InRegion(hRgn, encrypt));

    // Leaving the bar: the next tick makes the button flat and stops the timer.
    MoveTo(shred);
    ASSERT_EQ(m_bar.GetHotButton(), 3);
    const DWORD start = ::GetTickCount();
    kst_test::PutCursor(kFarAway);
    ASSERT_TRUE(kst_test::PumpUntil([&] { return m_bar.GetHotButton() == -1; }, 2000));
    const DWORD elapsed = ::GetTickCount() - start;
    std::printf("hot button flat after %lu ms\n", static_cast<unsigned long>(elapsed));
    EXPECT_LE(elapsed, 250u + 250u) << "one timer period, with room for an emulated machine";
    EXPECT_FALSE(HotTimerRunning());
    ::DeleteObject(hRgn);
}

TEST_F(FlatToolBarTest, NoHotTrackingWhileInactiveOrUnderAModalDialogButTheControlSeesTheMove) {
    HRGN hRgn = ::CreateRectRgn(0, 0, 0, 0);
    CWnd other;
    ASSERT_TRUE(other.CreateEx(0, nullptr, "Other", WS_POPUP | WS_VISIBLE, 600, 100, 50, 50, nullptr, nullptr));
    ::SetForegroundWindow(other);
    ASSERT_NE(::GetForegroundWindow(), m_host.GetSafeHwnd());
    // The control keeps a hot item of its own and repaints when it changes; with button 0
    // already its hot item, whatever repaints on the move below is the flat bar's doing.
    m_bar.SendMessage(TB_SETHOTITEM, 0);
    ::ValidateRect(m_bar, nullptr);
    const int moves = m_bar.movesToControl;
    MoveTo(Item(0));
    EXPECT_EQ(m_bar.GetHotButton(), -1);
    EXPECT_EQ(::GetUpdateRgn(m_bar, hRgn, FALSE), NULLREGION);
    EXPECT_FALSE(HotTimerRunning());
    EXPECT_EQ(m_bar.movesToControl, moves + 1);
    other.DestroyWindow();

    // Active again, but disabled as under a modal dialog.
    ::SetForegroundWindow(m_host);
    ASSERT_EQ(::GetForegroundWindow(), m_host.GetSafeHwnd());
    m_host.EnableWindow(FALSE);
    m_bar.SendMessage(TB_SETHOTITEM, 0);
    ::ValidateRect(m_bar, nullptr);
    MoveTo(Item(0));
    EXPECT_EQ(m_bar.GetHotButton(), -1);
    EXPECT_EQ(::GetUpdateRgn(m_bar, hRgn, FALSE), NULLREGION);
    EXPECT_FALSE(HotTimerRunning());
    EXPECT_EQ(m_bar.movesToControl, moves + 2);
    m_host.EnableWindow(TRUE);
    MoveTo(Item(0));
    EXPECT_EQ(m_bar.GetHotButton(), 0) << "the same move tracks once the window is usable";
    ::DeleteObject(hRgn);
}

TEST_F(FlatToolBarTest, ShiftClickDoesNothingAltClickActs) {
    const RECT rc = Item(0);
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    auto click = [&] {
        ::SendMessageA(m_bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(m_bar, WM_LBUTTONUP, 0, at);
        kst_test::PumpPending();
    };
    click();
    ASSERT_EQ(m_host.commands, 1) << "a plain click reaches the parent";
    {
        CKeyHeld shift(VK_SHIFT);
        ASSERT_TRUE(::GetAsyncKeyState(VK_SHIFT) & 0x8000);
        click();
        EXPECT_EQ(m_host.commands, 1);
    }
    {
        CKeyHeld alt(VK_MENU);
        click();
        EXPECT_EQ(m_host.commands, 2);
    }
    kst_test::PumpPending();
}

TEST_F(FlatToolBarTest, CustomDrawAnsweredZeroSendsOnePrePaintPerPass) {
    Repaint();
    ASSERT_EQ(m_host.notifications.size(), 1u);
    EXPECT_EQ(m_host.notifications[0].stage, static_cast<DWORD>(CDDS_PREPAINT));
    EXPECT_EQ(m_host.notifications[0].idFrom, static_cast<UINT_PTR>(AFX_IDW_TOOLBAR));
    Repaint();
    EXPECT_EQ(m_host.notifications.size(), 2u);
}

TEST_F(FlatToolBarTest, CustomDrawItemAndPostPaintNotificationsAndSkippedButton) {
    m_host.prePaintAnswer = CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    m_host.itemAnswer = CDRF_NOTIFYPOSTPAINT;
    m_host.skipItem = ID_DECRYPT;
    SetState(ID_SHRED, 0);
    SetState(ID_APP_ABOUT, TBSTATE_ENABLED | TBSTATE_CHECKED);
    Repaint();
    // Mark the skipped button: nothing may paint over it.
    const RECT decrypt = Item(1);
    {
        HDC hdc = ::GetDC(m_bar);
        HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0));
        ::FillRect(hdc, &decrypt, red);
        ::DeleteObject(red);
        ::ReleaseDC(m_bar, hdc);
    }
    m_host.notifications.clear();
    Repaint();
    struct Expected {
        DWORD stage;
        DWORD_PTR item;
    };
    const Expected expected[] = {{CDDS_PREPAINT, 0},
                                 {CDDS_ITEMPREPAINT, ID_ENCRYPT},
                                 {CDDS_ITEMPOSTPAINT, ID_ENCRYPT},
                                 {CDDS_ITEMPREPAINT, ID_DECRYPT},
                                 {CDDS_ITEMPREPAINT, ID_SHRED},
                                 {CDDS_ITEMPOSTPAINT, ID_SHRED},
                                 {CDDS_ITEMPREPAINT, ID_APP_ABOUT},
                                 {CDDS_ITEMPOSTPAINT, ID_APP_ABOUT},
                                 {CDDS_POSTPAINT, ID_APP_ABOUT}};
    const auto& got = m_host.notifications;
    ASSERT_EQ(got.size(), sizeof expected / sizeof expected[0]);
    for (size_t k = 0; k < got.size(); ++k) {
        EXPECT_EQ(got[k].stage, expected[k].stage) << k;
        if (got[k].stage != CDDS_PREPAINT) {
            EXPECT_EQ(got[k].item, expected[k].item) << k;
        }
    }
    EXPECT_EQ(got[4].state, static_cast<UINT>(CDIS_DISABLED));
    EXPECT_EQ(got[6].state, static_cast<UINT>(CDIS_CHECKED));
    EXPECT_EQ(got[1].state, 0u);
    EXPECT_TRUE(::EqualRect(&got[3].rc, &decrypt));
    EXPECT_EQ(Pixel(decrypt.left + 5, decrypt.top + 5), RGB(255, 0, 0)) << "the skipped button is not drawn";
    EXPECT_EQ(Pixel(Item(0).left + 1, Item(0).top + 1), m_bar.Face()) << "the others are";
}

TEST_F(FlatToolBarTest, BarWithABitmapButNoButtonsStillSendsPrePaint) {
    CRecordingHost host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Empty bar host", WS_POPUP | WS_VISIBLE, 100, 300, 200, 70, nullptr,
                              nullptr));
    CToolBarEx bar;
    ASSERT_TRUE(bar.Create(&host, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR));
    ASSERT_TRUE(bar.LoadBitmap(IDR_MAINFRAME));
    bar.MoveWindow(0, 0, 200, 60);
    for (LRESULT answer : {LRESULT{0}, LRESULT{CDRF_NOTIFYPOSTPAINT}}) {
        host.prePaintAnswer = answer;
        host.notifications.clear();
        ::InvalidateRect(bar, nullptr, FALSE);
        ::UpdateWindow(bar);
        ASSERT_EQ(host.notifications.size(), answer ? 2u : 1u);
        EXPECT_EQ(host.notifications[0].stage, static_cast<DWORD>(CDDS_PREPAINT));
        if (answer) {
            EXPECT_EQ(host.notifications[1].stage, static_cast<DWORD>(CDDS_POSTPAINT));
        }
    }
    bar.DestroyWindow();
    host.DestroyWindow();
}

TEST_F(FlatToolBarTest, EmptyUpdateRegionPaintsNothingAndLeavesNoImageList) {
    ::ValidateRect(m_bar, nullptr);
    const DWORD before = kst_test::GdiObjectCount();
    ASSERT_GT(before, 0u);
    ::SendMessageA(m_bar, WM_PAINT, 0, 0);
    EXPECT_TRUE(m_host.notifications.empty());
    EXPECT_EQ(kst_test::GdiObjectCount(), before);
}

TEST_F(FlatToolBarTest, ImageOffsetFollowsAcceptedSizesOnly) {
    EXPECT_EQ(m_bar.GetImageOffset().cx, (55 - kImage) / 2);
    EXPECT_EQ(m_bar.GetImageOffset().cy, (54 - kImage) / 2);
    EXPECT_FALSE(m_bar.SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(-1, -1)));
    EXPECT_EQ(m_bar.GetImageOffset().cx, 3);
    EXPECT_EQ(m_bar.GetImageOffset().cy, 3);
    EXPECT_EQ(m_bar.m_sizeButton.cx, 55);
    ASSERT_TRUE(m_bar.SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(61, 58)));
    EXPECT_EQ(m_bar.GetImageOffset().cx, (61 - kImage) / 2);
    EXPECT_EQ(m_bar.GetImageOffset().cy, (58 - kImage) / 2);
    ASSERT_TRUE(m_bar.SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(40, 41)));
    EXPECT_EQ(m_bar.GetImageOffset().cx, (61 - 40) / 2);
    EXPECT_EQ(m_bar.GetImageOffset().cy, (58 - 41) / 2);
}

TEST_F(FlatToolBarTest, ButtonTextsPutTheImageUnderTheTopBorderAndTheTextBelowIt) {
    ASSERT_TRUE(m_bar.SetButtonText(0, "Go"));
    Repaint();
    EXPECT_EQ(m_bar.GetImageOffset().cy, 2) << "the top border";
    const RECT rc = Item(0);
    // The label goes in black below the image (the image's own words end at its bottom).
    const RECT below{rc.left + 3, rc.top + 2 + kImage + 1, rc.right - 3, rc.bottom - 1};
    int black = 0;
    for (COLORREF cr : Pixels(below)) black += cr == RGB(0, 0, 0);
    EXPECT_GT(black, 0);
    m_bar.SetButtons(nullptr, 0);
    EXPECT_TRUE(m_bar.GetButtonText(0).IsEmpty()) << "new buttons start without texts";
}

TEST_F(FlatToolBarTest, AfterAColourChangeTheNextPaintUsesTheNewColours) {
    CSysColorsGuard restoreFace(COLOR_BTNFACE);
    const int nIndex = COLOR_BTNFACE;
    const COLORREF crNewFace = RGB(200, 220, 240);
    ASSERT_TRUE(::SetSysColors(1, &nIndex, &crNewFace));
    ::SendMessageA(m_bar, WM_SYSCOLORCHANGE, 0, 0);
    ASSERT_EQ(m_bar.Face(), crNewFace);
    Repaint();
    const RECT rc = Item(0);
    const SIZE offset = m_bar.GetImageOffset();
    EXPECT_EQ(Pixel(rc.left, rc.top), crNewFace) << "flat edge";
    EXPECT_EQ(Pixel(rc.left + offset.cx, rc.top + offset.cy), crNewFace) << "transparent image background";
    EXPECT_EQ(Pixel(rc.left + offset.cx + kImage - 1, rc.top + offset.cy + 1), crNewFace);
}

TEST_F(FlatToolBarTest, ThousandPaintsWithHotAndDisabledButtonsLeaveNoGdiObjects) {
    SetState(ID_DECRYPT, 0);
    SetState(ID_SHRED, TBSTATE_ENABLED | TBSTATE_CHECKED);
    CursorOver(Item(0));
    MoveTo(Item(0));
    for (int i = 0; i < 10; ++i) Repaint();
    const DWORD afterTen = kst_test::GdiObjectCount();
    const long refusedBefore = AfxRefusedHandleCloses();
    for (int i = 0; i < 1000; ++i) {
        Repaint();
        if (i % 100 == 0) ::SendMessageA(m_bar, WM_NCPAINT, 1, 0);
    }
    const DWORD afterThousand = kst_test::GdiObjectCount();
    std::printf("GDI objects: %lu after 10 paints, %lu after 1000 more\n", static_cast<unsigned long>(afterTen),
                static_cast<unsigned long>(afterThousand));
    EXPECT_EQ(afterThousand, afterTen);
    EXPECT_EQ(AfxRefusedHandleCloses(), refusedBefore) << "a handle was closed twice";
    EXPECT_GT(m_host.notifications.size(), 1000u) << "every pass really painted";
}
