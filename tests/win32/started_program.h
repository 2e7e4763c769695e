// The program started in this process as a user starts it, with a command line of the
// test's choosing: its own application object, frame and view, closed again after the test.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blowfish_app.h"
#include "blowfish_view.h"
#include "main_frame.h"
#include "message_pump.h"
#include "view_flow_support.h"
#include "wide_text.h"

namespace kst_test {

class StartedProgramTest : public ::testing::Test {
protected:
    void TearDown() override { Stop(); }

    // InitInstance's answer: false when the start ended without a window.
    bool Start(const std::vector<std::string>& args) {
        std::vector<std::wstring> wideArgs;
        for (const std::string& arg : args) wideArgs.push_back(AfxWiden(arg.c_str()));
        return StartWide(wideArgs);
    }
    // The same with arguments the ANSI code page may not spell, as the system hands them over.
    bool StartWide(const std::vector<std::wstring>& args) {
        DropQuitMessage();
        m_app = std::make_unique<CBlowfishApp>();
        m_app->InitApplication();
        m_app->SetCommandLineArgs(args);
        return m_app->InitInstance() != FALSE;
    }
    // A start that is to end without a window: its exit code, or kStartedAWindow.
    static constexpr int kStartedAWindow = -1000;
    int StartWithoutWindow(std::vector<std::string> args) {
        if (Start(std::move(args))) return kStartedAWindow;
        return m_app->ExitInstance();
    }
    void Stop() {
        if (!m_app) return;
        if (m_app->m_pMainWnd != nullptr) {
            // Never leave a job running over a window that is about to go.
            if (CBlowfishView* pView = View()) PumpUntil([&] { return !pView->m_bBusy; }, kJobTimeoutMs);
            ::SendMessageA(m_app->m_pMainWnd->GetSafeHwnd(), WM_CLOSE, 0, 0);
        }
        PumpPending();
        DropQuitMessage();
        m_app->ExitInstance();
        m_app.reset();
    }

    CMainFrame* Frame() const { return static_cast<CMainFrame*>(m_app->m_pMainWnd); }
    CBlowfishView* View() const { return Frame() != nullptr ? Frame()->GetBlowfishView() : nullptr; }
    HWND FrameWindow() const { return Frame() != nullptr ? Frame()->GetSafeHwnd() : nullptr; }
    bool WaitForJob() { return PumpUntil([&] { return !View()->m_bBusy; }, kJobTimeoutMs); }
    std::string StatusLine() const {
        char text[MAX_PATH * 2] = {};
        ::GetDlgItemTextA(View()->GetSafeHwnd(), IDC_STATUS, text, sizeof text);
        return text;
    }
    static std::string TempFile(const char* name) {
        char dir[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, dir);
        return std::string(dir) + name;
    }

    std::unique_ptr<CBlowfishApp> m_app;

private:
    // A closed main window leaves WM_QUIT behind; the next start's pumping must go on.
    static void DropQuitMessage() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    }
};

}  // namespace kst_test
