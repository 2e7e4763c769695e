// The window subclass hook on real windows: the order in which chained hooks and the
// saved procedure see a message, what detaching leaves behind, the final destruction
// message, and the current-message record that the hook shares with the framework's own
// window procedure.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "subclass_wnd.h"
#include "thread_state.h"
#include "window_text.h"
#include "wnd.h"
#include "wnd_hook_map.h"

namespace {

constexpr UINT WM_TRACE = WM_APP + 10;   // every layer notes it and passes it on
constexpr UINT WM_NESTING = WM_APP + 11;  // the handler sends WM_INNER first, then Default()
constexpr UINT WM_INNER = WM_APP + 12;
constexpr LRESULT kNcDestroyAnswer = 0x5EED;

// What the window's own procedure saw, in order.
struct Seen {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    WNDPROC installed;  // the window's procedure at that moment
};
std::vector<std::string> g_trace;
std::vector<Seen> g_seenByProc;

LRESULT CALLBACK TargetProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg >= WM_TRACE && nMsg <= WM_INNER) {
        g_trace.push_back("proc");
        g_seenByProc.push_back({nMsg, wParam, lParam, reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC))});
        return static_cast<LRESULT>(wParam + 1);
    }
    if (nMsg == WM_NCDESTROY) {
        g_seenByProc.push_back({nMsg, wParam, lParam, reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC))});
        return kNcDestroyAnswer;
    }
    return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
}

HWND CreateTarget() {
    static ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &TargetProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "KstHookTarget";
        return ::RegisterClassA(&wc);
    }();
    EXPECT_NE(atom, 0);
    return ::CreateWindowExA(0, "KstHookTarget", "target", WS_OVERLAPPEDWINDOW, 0, 0, 120, 80, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

WNDPROC InstalledProc(HWND hWnd) { return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC)); }

// A hook that notes its name for WM_TRACE and WM_NESTING; for WM_NESTING it first sends
// WM_INNER to its own window, then passes its own message on with Default().
class CTraceHook : public CSubclassWnd {
public:
    explicit CTraceHook(const char* name) : CSubclassWnd(), m_name(name), m_messagesSeen() {}
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override {
        m_messagesSeen.push_back(nMsg);
        if (nMsg == WM_TRACE) g_trace.push_back(m_name);
        if (nMsg == WM_NESTING) {
            g_trace.push_back(m_name);
            ::SendMessageA(m_pWnd->GetSafeHwnd(), WM_INNER, 100, 200);
            return Default();
        }
        return CSubclassWnd::WindowProc(nMsg, wParam, lParam);
    }
    std::string m_name;
    std::vector<UINT> m_messagesSeen;
};

// A framework window object over an existing window, with a map entry for WM_NESTING that
// behaves like the hook's: a nested send, then Default().
class CTraceWnd : public CWnd {
protected:
    LRESULT OnNesting(WPARAM, LPARAM) {
        g_trace.push_back("framework");
        ::SendMessageA(m_hWnd, WM_INNER, 300, 400);
        return Default();
    }
    LRESULT OnTrace(WPARAM, LPARAM) {
        g_trace.push_back("framework");
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTraceWnd, CWnd)
    ON_MESSAGE(WM_NESTING, OnNesting)
    ON_MESSAGE(WM_TRACE, OnTrace)
END_MESSAGE_MAP()

class SubclassHook : public ::testing::Test {
protected:
    void SetUp() override {
        g_trace.clear();
        g_seenByProc.clear();
        m_hWnd = CreateTarget();
        ASSERT_NE(m_hWnd, nullptr);
        ASSERT_TRUE(m_window.Attach(m_hWnd));  // records the handle only; no subclassing
    }
    void TearDown() override {
        if (::IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
        m_window.Detach();
    }
    HWND m_hWnd = nullptr;
    CWnd m_window;
};

TEST_F(SubclassHook, ChainRunsNewestHookFirstThenOlderThenTheSavedProcedure) {
    CTraceHook a("A"), b("B");
    ASSERT_TRUE(a.SetHook(&m_window));
    ASSERT_TRUE(b.SetHook(&m_window));
    EXPECT_EQ(InstalledProc(m_hWnd), &HookedWndProc);
    EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), &b);
    EXPECT_EQ(b.GetNextHook(), &a);
    EXPECT_EQ(a.GetNextHook(), nullptr);
    EXPECT_EQ(a.GetPrevProc(), &TargetProc);
    EXPECT_EQ(b.GetPrevProc(), &TargetProc) << "every hook of a chain ends at the same procedure";

    EXPECT_EQ(::SendMessageA(m_hWnd, WM_TRACE, 41, 0), 42) << "the saved procedure's result comes back";
    EXPECT_EQ(g_trace, (std::vector<std::string>{"B", "A", "proc"}));

    // Attaching an attached hook again would put it into the chain twice.
    EXPECT_FALSE(b.SetHook(&m_window));
    EXPECT_EQ(b.GetNextHook(), &a);
    b.SetHook(nullptr);
    a.SetHook(nullptr);
    EXPECT_FALSE(a.SetHook(nullptr)) << "detaching a detached hook does nothing";
}

TEST_F(SubclassHook, DetachingKeepsMapAndProcedureAsTheChainNeeds) {
    {
        // The older hook leaves: the newer keeps the window and still reaches the procedure.
        CTraceHook a("A"), b("B");
        a.SetHook(&m_window);
        b.SetHook(&m_window);
        ASSERT_TRUE(a.SetHook(nullptr));
        EXPECT_EQ(b.GetNextHook(), nullptr);
        EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), &b);
        EXPECT_EQ(InstalledProc(m_hWnd), &HookedWndProc);
        EXPECT_FALSE(a.IsHooked());
        EXPECT_EQ(a.GetPrevProc(), nullptr);
        g_trace.clear();
        ::SendMessageA(m_hWnd, WM_TRACE, 0, 0);
        EXPECT_EQ(g_trace, (std::vector<std::string>{"B", "proc"}));

        // The only hook leaves: no entry, the saved procedure is back.
        ASSERT_TRUE(b.SetHook(nullptr));
        EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), nullptr);
        EXPECT_EQ(InstalledProc(m_hWnd), &TargetProc);
    }
    {
        // The head leaves: the older becomes the head; the procedure stays the hook's.
        CTraceHook a("A"), b("B");
        a.SetHook(&m_window);
        b.SetHook(&m_window);
        ASSERT_TRUE(b.SetHook(nullptr));
        EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), &a);
        EXPECT_EQ(InstalledProc(m_hWnd), &HookedWndProc);
        g_trace.clear();
        ::SendMessageA(m_hWnd, WM_TRACE, 0, 0);
        EXPECT_EQ(g_trace, (std::vector<std::string>{"A", "proc"}));
        a.SetHook(nullptr);
        EXPECT_EQ(InstalledProc(m_hWnd), &TargetProc);
    }
}

TEST_F(SubclassHook, FinalDestructionMessageDetachesAllHooksBeforeTheProcedureSeesIt) {
    CTraceHook a("A"), b("B");
    a.SetHook(&m_window);
    b.SetHook(&m_window);

    // Sent by hand, so that the window outlives the message and can be inspected.
    EXPECT_EQ(::SendMessageA(m_hWnd, WM_NCDESTROY, 7, 9), kNcDestroyAnswer);
    ASSERT_EQ(g_seenByProc.size(), 1u);
    EXPECT_EQ(g_seenByProc[0].message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(g_seenByProc[0].wParam, 7u);
    EXPECT_EQ(g_seenByProc[0].lParam, 9);
    EXPECT_EQ(g_seenByProc[0].installed, &TargetProc) << "restored before the procedure ran";
    EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), nullptr);
    EXPECT_FALSE(a.IsHooked());
    EXPECT_FALSE(b.IsHooked());
    for (const CTraceHook* hook : {&a, &b}) {
        for (UINT nMsg : hook->m_messagesSeen) EXPECT_NE(nMsg, static_cast<UINT>(WM_NCDESTROY)) << hook->m_name;
    }

    // The real destruction of a hooked window leaves no entry behind for a later window
    // that might get the same handle.
    CTraceHook c("C");
    c.SetHook(&m_window);
    ASSERT_TRUE(::DestroyWindow(m_hWnd));
    EXPECT_FALSE(c.IsHooked());
    EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), nullptr);
}

// The window object may lose its handle while its hooks are attached (detached, or bound
// elsewhere): each hook still leaves the chain of the window it was attached to, so the
// final destruction message finds an empty chain instead of looping over a stuck entry.
TEST_F(SubclassHook, HooksLeaveTheirWindowAfterItsObjectHasLostTheHandle) {
    CTraceHook a("A"), b("B");
    ASSERT_TRUE(a.SetHook(&m_window));
    ASSERT_TRUE(b.SetHook(&m_window));
    m_window.Detach();

    g_trace.clear();
    ::SendMessageA(m_hWnd, WM_TRACE, 0, 0);
    EXPECT_EQ(g_trace, (std::vector<std::string>{"B", "A", "proc"})) << "the chain still reaches the procedure";

    ASSERT_TRUE(a.SetHook(nullptr));
    EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), &b);
    EXPECT_EQ(b.GetNextHook(), nullptr);
    ASSERT_TRUE(b.SetHook(nullptr));
    ASSERT_EQ(GetHookMap()->FindHook(m_hWnd), nullptr) << "a stuck entry would make WM_NCDESTROY loop for ever";
    EXPECT_EQ(InstalledProc(m_hWnd), &TargetProc);

    CTraceHook c("C");
    ASSERT_TRUE(m_window.Attach(m_hWnd));
    ASSERT_TRUE(c.SetHook(&m_window));
    m_window.Detach();
    ASSERT_TRUE(::DestroyWindow(m_hWnd));
    EXPECT_FALSE(c.IsHooked());
    EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), nullptr);
}

TEST_F(SubclassHook, HookThatGoesWhileAttachedLeavesTheChainFirst) {
    CTraceHook a("A");
    a.SetHook(&m_window);
    {
        CTraceHook b("B");
        b.SetHook(&m_window);
    }
    EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), &a);
    ::SendMessageA(m_hWnd, WM_TRACE, 0, 0);  // must not reach the dead object
    EXPECT_EQ(g_trace, (std::vector<std::string>{"A", "proc"}));
    {
        CTraceHook c("C");
        c.SetHook(&m_window);
        a.SetHook(nullptr);
    }
    EXPECT_EQ(GetHookMap()->FindHook(m_hWnd), nullptr);
    EXPECT_EQ(InstalledProc(m_hWnd), &TargetProc);
}

TEST_F(SubclassHook, DefaultAfterANestedSendPassesOnTheHandlersOwnMessage) {
    CTraceHook a("A");
    a.SetHook(&m_window);
    EXPECT_EQ(::SendMessageA(m_hWnd, WM_NESTING, 5, 6), 6);
    ASSERT_EQ(g_seenByProc.size(), 2u);
    EXPECT_EQ(g_seenByProc[0].message, WM_INNER);
    EXPECT_EQ(g_seenByProc[1].message, WM_NESTING);
    EXPECT_EQ(g_seenByProc[1].wParam, 5u);
    EXPECT_EQ(g_seenByProc[1].lParam, 6);
    EXPECT_EQ(AfxGetThreadState()->m_lastSentMsg.message, 0u) << "the outermost dispatch puts the record back";
    a.SetHook(nullptr);
}

TEST_F(SubclassHook, FrameworkProcedureAndHookNestInBothOrders) {
    m_window.Detach();
    CTraceWnd framework;
    CTraceHook hook("hook");
    {
        // The framework's procedure first, the hook on top of it.
        ASSERT_TRUE(framework.SubclassWindow(m_hWnd));
        ASSERT_TRUE(hook.SetHook(&framework));
        EXPECT_EQ(hook.GetPrevProc(), &AfxWndProc);
        EXPECT_EQ(::SendMessageA(m_hWnd, WM_NESTING, 10, 11), 11);
        EXPECT_EQ(g_trace, (std::vector<std::string>{"hook", "proc", "framework", "proc", "proc"}));
        ASSERT_EQ(g_seenByProc.size(), 3u);
        EXPECT_EQ(g_seenByProc[0].wParam, 100u) << "the hook's nested send";
        EXPECT_EQ(g_seenByProc[1].wParam, 300u) << "the framework's nested send, inside the hook's Default";
        EXPECT_EQ(g_seenByProc[2].message, WM_NESTING);
        EXPECT_EQ(g_seenByProc[2].wParam, 10u);

        // The final message takes the hook off, then the framework unbinds and puts the
        // window's own procedure back.
        g_seenByProc.clear();
        ::SendMessageA(m_hWnd, WM_NCDESTROY, 0, 0);
        EXPECT_FALSE(hook.IsHooked());
        EXPECT_EQ(CWnd::FromHandlePermanent(m_hWnd), nullptr);
        EXPECT_EQ(InstalledProc(m_hWnd), &TargetProc);
    }
    {
        // The hook first, the framework's procedure on top of it.
        g_trace.clear();
        g_seenByProc.clear();
        // A stand-in object only: a permanent one would keep the framework from binding.
        ASSERT_TRUE(hook.SetHook(CWnd::FromHandle(m_hWnd)));
        ASSERT_TRUE(framework.SubclassWindow(m_hWnd));
        EXPECT_EQ(::SendMessageA(m_hWnd, WM_NESTING, 20, 21), 21);
        EXPECT_EQ(g_trace, (std::vector<std::string>{"framework", "proc", "hook", "proc", "proc"}));
        ASSERT_EQ(g_seenByProc.size(), 3u);
        EXPECT_EQ(g_seenByProc[0].wParam, 300u);
        EXPECT_EQ(g_seenByProc[1].wParam, 100u);
        EXPECT_EQ(g_seenByProc[2].message, WM_NESTING);
        EXPECT_EQ(g_seenByProc[2].wParam, 20u);
        EXPECT_EQ(AfxGetThreadState()->m_lastSentMsg.message, 0u);

        g_seenByProc.clear();
        ::SendMessageA(m_hWnd, WM_NCDESTROY, 0, 0);
        EXPECT_FALSE(hook.IsHooked());
        EXPECT_EQ(CWnd::FromHandlePermanent(m_hWnd), nullptr);
        EXPECT_EQ(InstalledProc(m_hWnd), &TargetProc);
        AfxDeleteTempMap();
    }
}

// Records the current-message record as a handler finds it.
class CRecordHook : public CSubclassWnd {
public:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override {
        if (nMsg == WM_TRACE) m_record = AfxGetThreadState()->m_lastSentMsg;
        return CSubclassWnd::WindowProc(nMsg, wParam, lParam);
    }
    MSG m_record{};
};

class CRecordWnd : public CWnd {
public:
    MSG m_record{};

protected:
    LRESULT OnTrace(WPARAM, LPARAM) {
        m_record = AfxGetThreadState()->m_lastSentMsg;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRecordWnd, CWnd)
    ON_MESSAGE(WM_TRACE, OnTrace)
END_MESSAGE_MAP()

TEST_F(SubclassHook, RecordCarriesTimeAndCursorOfTheDispatchedMessage) {
    m_window.Detach();
    CRecordWnd framework;
    CRecordHook hook;
    ASSERT_TRUE(framework.SubclassWindow(m_hWnd));
    ASSERT_TRUE(hook.SetHook(&framework));
    ::SetCursorPos(37, 23);
    ::Sleep(20);  // a time of day the record cannot have by chance
    ASSERT_TRUE(::PostMessageA(m_hWnd, WM_TRACE, 3, 4));
    MSG msg{};
    ASSERT_TRUE(::PeekMessageA(&msg, m_hWnd, WM_TRACE, WM_TRACE, PM_REMOVE));
    ::DispatchMessageA(&msg);
    ASSERT_NE(msg.time, 0u);
    for (const MSG& record : {hook.m_record, framework.m_record}) {
        EXPECT_EQ(record.hwnd, m_hWnd);
        EXPECT_EQ(record.message, WM_TRACE);
        EXPECT_EQ(record.wParam, 3u);
        EXPECT_EQ(record.lParam, 4);
        EXPECT_EQ(record.time, msg.time);
        EXPECT_EQ(record.pt.x, msg.pt.x);
        EXPECT_EQ(record.pt.y, msg.pt.y);
    }
    hook.SetHook(nullptr);
    framework.UnsubclassWindow();
}

TEST_F(SubclassHook, WindowWithoutAnEntryGetsTheSystemsDefaultProcessing) {
    // Someone installed the hook procedure by hand: no chain to follow, no crash.
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookedWndProc));
    EXPECT_EQ(::SendMessageA(m_hWnd, WM_TRACE, 1, 2), 0);
    ::SendMessageA(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("by default"));
    EXPECT_EQ(kst_test::WindowTextOf(m_hWnd), "by default");
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TargetProc));
}

}  // namespace
