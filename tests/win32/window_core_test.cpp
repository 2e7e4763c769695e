// The window core: binding objects to windows, typed message maps with base-class chaining,
// the command route with update requests, and Default() under nested sends.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "cmd_ui.h"
#include "thread_state.h"
#include "window_text.h"
#include "wnd.h"

namespace {

constexpr UINT WM_PROBE = WM_APP + 1;
constexpr UINT WM_BASE_ONLY = WM_APP + 2;
constexpr UINT ID_PROBE_COMMAND = 40001;
constexpr UINT ID_HANDLED_NO_UPDATE = 40002;
constexpr UINT ID_NOBODY = 40003;

class CProbeBase : public CWnd {
public:
    int m_baseCalls = 0;

protected:
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM) {
        ++m_baseCalls;
        return static_cast<LRESULT>(wParam) * 2;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeBase, CWnd)
    ON_MESSAGE(WM_BASE_ONLY, OnBaseOnly)
END_MESSAGE_MAP()

class CProbeWnd : public CProbeBase {
public:
    bool m_boundDuringCreate = false;
    int m_commands = 0;
    int m_handledNoUpdate = 0;
    BOOL m_enableProbe = TRUE;
    bool m_postNcDestroyed = false;
    HWND m_nestedTarget = nullptr;   // a window to send a nested WM_SETTEXT to
    std::vector<std::string> m_log;

protected:
    int OnCreate(LPCREATESTRUCT cs) {
        m_boundDuringCreate = FromHandlePermanent(m_hWnd) == this && cs != nullptr;
        return CWnd::OnCreate(cs);
    }
    LRESULT OnProbe(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    LRESULT OnSetText(WPARAM, LPARAM lParam) {
        m_log.push_back(reinterpret_cast<const char*>(lParam));
        if (m_nestedTarget != nullptr) {
            HWND target = m_nestedTarget;
            m_nestedTarget = nullptr;
            ::SendMessageA(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("inner"));
        }
        // Must apply the outer text although a nested dispatch ran in between.
        return Default();
    }
    void OnProbeCommand() { ++m_commands; }
    void OnUpdateProbeCommand(CCmdUI* pCmdUI) { pCmdUI->Enable(m_enableProbe); }
    void OnHandledNoUpdate() { ++m_handledNoUpdate; }
    void PostNcDestroy() override { m_postNcDestroyed = true; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CProbeBase)
    ON_WM_CREATE()
    ON_MESSAGE(WM_PROBE, OnProbe)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
    ON_COMMAND(ID_PROBE_COMMAND, OnProbeCommand)
    ON_UPDATE_COMMAND_UI(ID_PROBE_COMMAND, OnUpdateProbeCommand)
    ON_COMMAND(ID_HANDLED_NO_UPDATE, OnHandledNoUpdate)
END_MESSAGE_MAP()

BOOL CreateProbe(CWnd& wnd, const char* title) {
    return wnd.CreateEx(0, nullptr, title, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr);
}

TEST(WindowCore, FrameworkWindowIsBoundFromCreationToFinalDestruction) {
    CProbeWnd wnd;
    ASSERT_TRUE(CreateProbe(wnd, "probe"));
    HWND hWnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.m_boundDuringCreate);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &wnd);
    EXPECT_EQ(CWnd::FromHandle(hWnd), &wnd);

    // Own map, base map, then default processing.
    EXPECT_EQ(wnd.SendMessage(WM_PROBE, 3, 4), 7);
    EXPECT_EQ(wnd.SendMessage(WM_BASE_ONLY, 21), 42);
    EXPECT_EQ(wnd.m_baseCalls, 1);
    wnd.SetWindowText("changed");
    EXPECT_EQ(kst_test::WindowTextOf(hWnd), "changed");

    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_TRUE(wnd.m_postNcDestroyed);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST(WindowCore, DefaultAnswersForItsOwnMessageAfterANestedSend) {
    CProbeWnd outer;
    CProbeWnd inner;
    ASSERT_TRUE(CreateProbe(outer, "outer-start"));
    ASSERT_TRUE(CreateProbe(inner, "inner-start"));
    outer.m_nestedTarget = inner.m_hWnd;

    outer.SetWindowText("outer");

    EXPECT_EQ(kst_test::WindowTextOf(outer.m_hWnd), "outer");
    EXPECT_EQ(kst_test::WindowTextOf(inner.m_hWnd), "inner");
    EXPECT_EQ(AfxGetThreadState()->m_lastSentMsg.message, 0u) << "restored after the outermost dispatch";
}

TEST(WindowCore, CommandsAndUpdateRequestsFollowTheMap) {
    CProbeWnd wnd;
    ASSERT_TRUE(CreateProbe(wnd, "commands"));

    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_PROBE_COMMAND, 0), 0);
    EXPECT_EQ(wnd.m_commands, 1);
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(ID_NOBODY, 0), 0);  // unhandled: no effect, no crash
    EXPECT_EQ(wnd.m_commands, 1);

    CCmdUI probe;
    probe.m_nID = ID_PROBE_COMMAND;
    wnd.m_enableProbe = FALSE;
    probe.DoUpdate(&wnd, TRUE);
    EXPECT_FALSE(probe.m_bEnabled);
    wnd.m_enableProbe = TRUE;
    probe.DoUpdate(&wnd, TRUE);
    EXPECT_TRUE(probe.m_bEnabled);

    // Without an update handler the command is enabled exactly when something handles it.
    CCmdUI handled;
    handled.m_nID = ID_HANDLED_NO_UPDATE;
    handled.m_bEnabled = FALSE;
    handled.DoUpdate(&wnd, TRUE);
    EXPECT_TRUE(handled.m_bEnabled);
    EXPECT_EQ(wnd.m_handledNoUpdate, 0) << "asking must not run the command";
    CCmdUI orphan;
    orphan.m_nID = ID_NOBODY;
    orphan.DoUpdate(&wnd, TRUE);
    EXPECT_FALSE(orphan.m_bEnabled);

    // An update request about a control enables or disables its window.
    CWnd button;
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "b", WS_CHILD, 0, 0, 20, 20, wnd.m_hWnd, nullptr));
    CCmdUI overControl;
    overControl.m_nID = ID_PROBE_COMMAND;
    overControl.m_pOther = &button;
    wnd.m_enableProbe = FALSE;
    overControl.DoUpdate(&wnd, TRUE);
    EXPECT_FALSE(button.IsWindowEnabled());
}

class CCountingEdit : public CWnd {
public:
    int m_probes = 0;

protected:
    LRESULT OnProbe(WPARAM, LPARAM) {
        ++m_probes;
        return 5;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CCountingEdit, CWnd)
    ON_MESSAGE(WM_PROBE, OnProbe)
END_MESSAGE_MAP()

TEST(WindowCore, PlatformControlsAreBoundByTheCreationHookOrBySubclassing) {
    CProbeWnd parent;
    ASSERT_TRUE(CreateProbe(parent, "parent"));

    CCountingEdit created;
    ASSERT_TRUE(created.CreateEx(0, "EDIT", "typed", WS_CHILD | WS_VISIBLE, 0, 0, 80, 20, parent.m_hWnd,
                                 reinterpret_cast<HMENU>(7)));
    EXPECT_EQ(created.SendMessage(WM_PROBE), 5);
    EXPECT_EQ(kst_test::WindowTextOf(created.m_hWnd), "typed") << "the edit's own procedure still runs";
    EXPECT_EQ(parent.GetDlgItem(7), &created);

    HWND plain = ::CreateWindowExA(0, "EDIT", "plain", WS_CHILD, 0, 30, 80, 20, parent.m_hWnd,
                                   reinterpret_cast<HMENU>(8), ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);
    CWnd* standIn = parent.GetDlgItem(8);
    ASSERT_NE(standIn, nullptr);
    EXPECT_EQ(standIn->m_hWnd, plain);
    EXPECT_EQ(CWnd::FromHandlePermanent(plain), nullptr);
    AfxDeleteTempMap();

    CCountingEdit subclassed;
    ASSERT_TRUE(subclassed.SubclassDlgItem(8, &parent));
    EXPECT_EQ(::SendMessageA(plain, WM_PROBE, 0, 0), 5);
    ::SendMessageA(plain, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still an edit"));
    EXPECT_EQ(kst_test::WindowTextOf(plain), "still an edit");

    // Destroying the parent destroys the children and unbinds every object.
    parent.DestroyWindow();
    EXPECT_EQ(created.m_hWnd, nullptr);
    EXPECT_EQ(subclassed.m_hWnd, nullptr);
}

HWND CreatePlainPopup() {
    return ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                             nullptr);
}

TEST(WindowCore, CreationHookGoesWithItsScopeEvenWhenTheScopeIsLeftByAnException) {
    CWnd hooked;
    try {
        CWindowCreationHook hook(&hooked);
        ASSERT_NE(CreatePlainPopup(), nullptr);
        ASSERT_NE(hooked.m_hWnd, nullptr) << "the hook binds the window created in its scope";
        throw std::runtime_error("a failure before the hook's work is done");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(AfxGetThreadState()->m_pWndInit, nullptr);

    // A hook still installed would bind the next window to whatever object waits.
    CWnd stray;
    AfxGetThreadState()->m_pWndInit = &stray;
    HWND hWnd = CreatePlainPopup();
    AfxGetThreadState()->m_pWndInit = nullptr;
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr) << "a creation hook was left installed";
    EXPECT_EQ(stray.m_hWnd, nullptr);
    ::DestroyWindow(hWnd);
    hooked.DestroyWindow();
}

}  // namespace
