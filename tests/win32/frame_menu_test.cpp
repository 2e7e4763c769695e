// The frame's menu: loaded with the frame, destroyed exactly once whoever ends up with it
// (the window, when it still shows the menu, or the frame object), never left behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "frame_wnd.h"
#include "handle.h"
#include "resource.h"

namespace {

// A frame that keeps the menu of its resources, as a plain frame does; with a failure to
// give, its creation fails after the menu is in the window.
class CMenuFrame : public CFrameWnd {
public:
    int OnCreate(LPCREATESTRUCT lpcs) {
        m_hMenuSeen = ::GetMenu(m_hWnd);
        return m_bFail ? -1 : CFrameWnd::OnCreate(lpcs);
    }
    bool m_bFail = false;
    HMENU m_hMenuSeen = nullptr;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMenuFrame, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

// A frame that hides its menu as the main frame does, and whose first creation fails after
// that (as when its tool bar cannot be made), so it is loaded a second time.
class CRetriedFrame : public CFrameWnd {
public:
    int OnCreate(LPCREATESTRUCT lpcs) {
        m_menusSeen.push_back(::GetMenu(m_hWnd));
        ::SetMenu(m_hWnd, nullptr);
        if (m_nFailuresLeft > 0) {
            --m_nFailuresLeft;
            return -1;
        }
        return CFrameWnd::OnCreate(lpcs);
    }
    int m_nFailuresLeft = 1;
    std::vector<HMENU> m_menusSeen;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRetriedFrame, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

}  // namespace

TEST(FrameMenu, AFrameDestroyedWithItsMenuShownDestroysTheMenuOnce) {
    const long refusedBefore = AfxRefusedHandleCloses();
    auto* pFrame = new CMenuFrame;  // the window deletes it
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    const HMENU hMenu = pFrame->m_hMenuSeen;
    ASSERT_TRUE(::IsMenu(hMenu));
    EXPECT_TRUE(::DestroyWindow(pFrame->GetSafeHwnd()));
    EXPECT_FALSE(::IsMenu(hMenu)) << "the menu went with its window";
    EXPECT_EQ(AfxRefusedHandleCloses(), refusedBefore) << "the menu was destroyed a second time";

    // A frame whose creation fails outlives its window; its maker deletes it afterwards.
    auto pFailed = std::make_unique<CMenuFrame>();
    pFailed->m_bFail = true;
    EXPECT_FALSE(pFailed->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    const HMENU hFailedMenu = pFailed->m_hMenuSeen;
    ASSERT_NE(hFailedMenu, nullptr);
    pFailed.reset();
    EXPECT_FALSE(::IsMenu(hFailedMenu)) << "the menu of the failed window stayed behind";
    EXPECT_EQ(AfxRefusedHandleCloses(), refusedBefore) << "the menu was destroyed a second time";
}

TEST(FrameMenu, LoadingAFrameTwiceLeavesNoMenuBehind) {
    auto* pFrame = new CRetriedFrame;  // once created, the window deletes it
    EXPECT_FALSE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    ASSERT_TRUE(pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW, nullptr, nullptr));
    ASSERT_EQ(pFrame->m_menusSeen.size(), 2u);
    const std::vector<HMENU> menus = pFrame->m_menusSeen;
    EXPECT_NE(menus[0], menus[1]);
    EXPECT_FALSE(::IsMenu(menus[0])) << "the first load's menu leaked";
    EXPECT_TRUE(::IsMenu(menus[1])) << "the frame still holds its own menu";
    EXPECT_TRUE(::DestroyWindow(pFrame->GetSafeHwnd()));
    EXPECT_FALSE(::IsMenu(menus[1])) << "the menu went with the frame";
}
