// The program's registration for the user, as the switches /register and /unregister and a
// plain start leave it: only the user's own classes, undone for good by /unregister, redone
// by /register, and Explorer told whenever something changed.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "registry_key.h"
#include "started_program.h"

using namespace kst_test;

namespace {

// Every key the program writes for the user, below HKEY_CURRENT_USER\Software\Classes.
const char* const kRegistrationKeys[] = {".kst", "Kestrine.Document", "*\\shell\\Kestrine.Encrypt",
                                         "*\\shell\\Kestrine.Shred"};
constexpr char kNoteKey[] = "Software\\Pellacore\\Software\\Kestrine\\Shell";

bool KeyExists(HKEY hRoot, const std::string& subKey) {
    CRegistryKey key;
    return key.Open(hRoot, subKey);
}
std::vector<std::string> PresentKeys(HKEY hRoot) {
    std::vector<std::string> present;
    for (const char* key : kRegistrationKeys)
        if (KeyExists(hRoot, std::string("Software\\Classes\\") + key)) present.push_back(key);
    return present;
}
std::vector<std::string> AllKeys() { return std::vector<std::string>(std::begin(kRegistrationKeys), std::end(kRegistrationKeys)); }

// Counts the shell's association-change notices, as Explorer receives them.
class AssociationChangeListener {
public:
    static constexpr UINT kNotice = WM_APP + 7;
    AssociationChangeListener() {
        m_hWnd = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        s_nNotices = 0;
        s_pfnOld = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
        SHChangeNotifyEntry entry{nullptr, TRUE};
        m_nRegistration = ::SHChangeNotifyRegister(m_hWnd, SHCNRF_ShellLevel | SHCNRF_InterruptLevel, SHCNE_ASSOCCHANGED,
                                                   kNotice, 1, &entry);
    }
    ~AssociationChangeListener() {
        if (m_nRegistration != 0) ::SHChangeNotifyDeregister(m_nRegistration);
        ::DestroyWindow(m_hWnd);
    }
    bool Listening() const { return m_nRegistration != 0; }
    int Notices() {
        PumpPending();
        return s_nNotices;
    }
    void Reset() {
        PumpPending();
        s_nNotices = 0;
    }

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
        if (nMsg == kNotice) ++s_nNotices;
        return ::CallWindowProcA(s_pfnOld, hWnd, nMsg, wParam, lParam);
    }
    static inline int s_nNotices = 0;
    static inline WNDPROC s_pfnOld = nullptr;
    HWND m_hWnd = nullptr;
    ULONG m_nRegistration = 0;
};

class UserRegistrationTest : public StartedProgramTest {
protected:
    void SetUp() override {
        for (HKEY hRoot : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            for (const char* key : kRegistrationKeys) ::SHDeleteKeyA(hRoot, (std::string("Software\\Classes\\") + key).c_str());
        ::SHDeleteKeyA(HKEY_CURRENT_USER, kNoteKey);
    }
    void TearDown() override {
        StartedProgramTest::TearDown();
        // The other suites' starts register as usual.
        ::SHDeleteKeyA(HKEY_CURRENT_USER, kNoteKey);
    }
};

}  // namespace

TEST_F(UserRegistrationTest, AStartWritesOnlyTheUsersClassesAndTellsTheShellOnlyOfAChange) {
    AssociationChangeListener listener;
    ASSERT_TRUE(Start({}));
    Stop();
    EXPECT_EQ(PresentKeys(HKEY_CURRENT_USER), AllKeys());
    EXPECT_EQ(PresentKeys(HKEY_LOCAL_MACHINE), std::vector<std::string>()) << "written for every user of the machine";
    ASSERT_TRUE(listener.Listening());
    EXPECT_EQ(listener.Notices(), 1) << "the shell was not told of the new types";
    listener.Reset();
    ASSERT_TRUE(Start({}));
    Stop();
    EXPECT_EQ(listener.Notices(), 0) << "told although nothing changed";
}

TEST_F(UserRegistrationTest, UnregisterRemovesEveryKeyForGoodUntilRegisterBringsThemBack) {
    ASSERT_TRUE(Start({}));
    Stop();
    ASSERT_EQ(PresentKeys(HKEY_CURRENT_USER), AllKeys());

    DialogDriver driver;
    AssociationChangeListener listener;
    EXPECT_EQ(StartWithoutWindow({"/unregister"}), 0);
    EXPECT_EQ(m_app->m_pMainWnd, nullptr);
    Stop();
    EXPECT_EQ(PresentKeys(HKEY_CURRENT_USER), std::vector<std::string>());
    EXPECT_EQ(listener.Notices(), 1);
    EXPECT_EQ(StartWithoutWindow({"/UNREGISTER"}), 0) << "nothing left to remove is no failure";
    Stop();

    // A plain start respects the user's choice: the window comes up, the keys stay away.
    ASSERT_TRUE(Start({}));
    EXPECT_TRUE(::IsWindowVisible(FrameWindow()));
    Stop();
    EXPECT_EQ(PresentKeys(HKEY_CURRENT_USER), std::vector<std::string>()) << "a plain start wrote the keys back";

    listener.Reset();
    EXPECT_EQ(StartWithoutWindow({"/register"}), 0);
    Stop();
    EXPECT_EQ(PresentKeys(HKEY_CURRENT_USER), AllKeys());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kNoteKey)) << "the note outlived /register";
    EXPECT_EQ(listener.Notices(), 1);

    // And plain starts register again: removed keys come back.
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Classes\\*\\shell\\Kestrine.Shred");
    ASSERT_TRUE(Start({}));
    Stop();
    EXPECT_EQ(PresentKeys(HKEY_CURRENT_USER), AllKeys());
    EXPECT_TRUE(driver.Shown().empty()) << driver.Shown()[0].text;
}
