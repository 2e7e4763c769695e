// The window manager of a composing desktop is asked to leave the frame's non-client area
// to the program; where it is missing, nothing else changes.
#include <windows.h>

#include <string>
#include <utility>

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

std::string InSystemFolder(const char* name) {
    char folder[MAX_PATH] = {};
    ::GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

// The stand-in library copied to `path` for the life of the object.
class CPlacedLibrary {
public:
    explicit CPlacedLibrary(std::string path) : m_path(std::move(path)) {
        ::DeleteFileA(Marker().c_str());
        m_bPlaced = ::CopyFileA(BesideThisProgram("fake_dwmapi.dll").c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~CPlacedLibrary() {
        while (HMODULE hLoaded = ::GetModuleHandleA(m_path.c_str())) ::FreeLibrary(hLoaded);
        ::DeleteFileA(m_path.c_str());
        ::DeleteFileA(Marker().c_str());
    }
    CPlacedLibrary(const CPlacedLibrary&) = delete;
    CPlacedLibrary& operator=(const CPlacedLibrary&) = delete;
    bool Placed() const { return m_bPlaced; }
    // Whether the copy was loaded since it was placed, even if it has gone again.
    bool WasLoaded() const { return ::GetFileAttributesA(Marker().c_str()) != INVALID_FILE_ATTRIBUTES; }
    const std::string& Path() const { return m_path; }

private:
    std::string Marker() const { return m_path + ".loaded"; }

    std::string m_path;
    bool m_bPlaced = false;
};

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
    // The library is only ever taken from the system's folder.
    const CPlacedLibrary placed(InSystemFolder("kst_fake_dwmapi.dll"));
    ASSERT_TRUE(placed.Placed()) << placed.Path();
    // Held here too, so that what it recorded outlives the program's own load and release.
    HMODULE hFake = ::LoadLibraryA(placed.Path().c_str());
    ASSERT_NE(hFake, nullptr) << placed.Path();
    auto pfnLastCall = reinterpret_cast<FakeDwmLastCallProc>(
        reinterpret_cast<void (*)()>(::GetProcAddress(hFake, "FakeDwmLastCall")));
    ASSERT_NE(pfnLastCall, nullptr);

    EXPECT_TRUE(LeaveNonClientRenderingToProgram(m_hWnd, "kst_fake_dwmapi.dll"));
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

TEST_F(CompositionPolicyTest, ALibraryOfTheSameNameBesideTheProgramIsNeverLoaded) {
    // As a download that lands in the folder the program was started from.
    const CPlacedLibrary planted(BesideThisProgram("dwmapi.dll"));
    ASSERT_TRUE(planted.Placed()) << planted.Path();
    LeaveNonClientRenderingToProgram(m_hWnd);
    EXPECT_FALSE(planted.WasLoaded()) << "the library beside the program was loaded";
}
