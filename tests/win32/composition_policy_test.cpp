// The window manager of a composing desktop is asked to leave the frame's non-client area
// to the program; where it is missing, nothing else changes.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "composition_policy.h"
#include "fake_dwmapi.h"

namespace {

std::string BesideThisProgram(const char* name) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

class CompositionPolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_hWnd = ::CreateWindowExA(0, "STATIC", "composed", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_hWnd, nullptr);
    }
    void TearDown() override { ::DestroyWindow(m_hWnd); }
    HWND m_hWnd = nullptr;
};

}  // namespace

TEST_F(CompositionPolicyTest, WhereTheFunctionExistsNonClientRenderingIsTurnedOffForTheWindow) {
    const std::string fake = BesideThisProgram("fake_dwmapi.dll");
    // Held here too, so that what it recorded outlives the program's own load and release.
    HMODULE hFake = ::LoadLibraryA(fake.c_str());
    ASSERT_NE(hFake, nullptr) << fake;
    auto pfnLastCall = reinterpret_cast<FakeDwmLastCallProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(hFake, "FakeDwmLastCall")));
    ASSERT_NE(pfnLastCall, nullptr);

    EXPECT_TRUE(LeaveNonClientRenderingToProgram(m_hWnd, fake.c_str()));
    FakeDwmCall call{};
    pfnLastCall(&call);
    EXPECT_EQ(call.nCalls, 1);
    EXPECT_EQ(call.hWnd, m_hWnd);
    EXPECT_EQ(call.dwAttribute, 2u) << "DWMWA_NCRENDERING_POLICY";
    EXPECT_EQ(call.dwValue, 1u) << "DWMNCRP_DISABLED";
    EXPECT_EQ(call.cbValue, sizeof(DWORD));
    ::FreeLibrary(hFake);
}

TEST_F(CompositionPolicyTest, WithoutTheLibraryOrItsFunctionNothingChanges) {
    const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    EXPECT_FALSE(LeaveNonClientRenderingToProgram(m_hWnd, "kst_no_such_window_manager.dll"));
    EXPECT_FALSE(LeaveNonClientRenderingToProgram(m_hWnd, "kernel32.dll")) << "a library without the function";
    EXPECT_TRUE(::IsWindow(m_hWnd));
    EXPECT_EQ(::GetWindowLongA(m_hWnd, GWL_STYLE), style);
}
