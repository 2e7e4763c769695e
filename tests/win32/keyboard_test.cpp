// The window has no menu: its keys reach every command, follow the tool bar's rules (the
// job commands do nothing while a job runs) and are named in the buttons' tool-tips.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "started_program.h"

using namespace kst_test;

namespace {

struct KeyCase {
    const char* name;
    BYTE key;
    bool ctrl;
    bool shift;
    UINT command;
    const char* dialog;  // what the command brings up
};

const KeyCase kKeys[] = {
    {"Ctrl+E", 'E', true, false, ID_ENCRYPT, "Select File to Encrypt"},
    {"Ctrl+D", 'D', true, false, ID_DECRYPT, "Select File to Decrypt"},
    {"Ctrl+Shift+S", 'S', true, true, ID_SHRED, "Select File to Shred"},
    {"F1", VK_F1, false, false, ID_APP_ABOUT, "About Kestrine"},
};

class KeyboardTest : public StartedProgramTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(Start({}));
        ::SetForegroundWindow(FrameWindow());
        PumpPending();
    }

    // The key as the program's message loop takes it from the queue: pressed with the
    // modifiers held, aimed at the view (the window with the focus), offered to the
    // application before it would be translated and dispatched. True when it became a
    // command.
    bool PressKey(BYTE key, bool ctrl, bool shift) {
        BYTE saved[256] = {}, held[256] = {};
        ::GetKeyboardState(saved);
        std::copy(saved, saved + 256, held);
        held[VK_CONTROL] = held[VK_LCONTROL] = ctrl ? 0x80 : 0;
        held[VK_SHIFT] = held[VK_LSHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(held);
        MSG msg{View()->GetSafeHwnd(), WM_KEYDOWN, key, static_cast<LPARAM>(1 | ::MapVirtualKeyA(key, 0) << 16),
                ::GetTickCount(), POINT{0, 0}};
        const BOOL bCommand = m_app->PreTranslateMessage(&msg);
        if (!bCommand) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::SetKeyboardState(saved);
        return bCommand != FALSE;
    }
    // The dialogs and boxes that came up within a short while after the key.
    std::vector<ShownDialog> ShownAfterAWhile(const DialogDriver& driver) {
        PumpUntil([] { return false; }, 500);
        return driver.Shown();
    }
};

}  // namespace

TEST_F(KeyboardTest, EachKeyStartsItsCommand) {
    for (const KeyCase& k : kKeys) {
        DialogDriver driver;
        driver.Expect(DialogAnswer::Press(k.command == ID_APP_ABOUT ? IDOK : IDCANCEL).WithCaption(k.dialog));
        EXPECT_TRUE(PressKey(k.key, k.ctrl, k.shift)) << k.name;
        ASSERT_TRUE(driver.WaitForShown(1, 30000)) << k.name << " brought nothing up";
        EXPECT_EQ(driver.Shown()[0].caption, k.dialog) << k.name;
        EXPECT_FALSE(driver.Shown()[0].unexpected) << k.name;
    }
}

TEST_F(KeyboardTest, WhileAJobRunsTheJobKeysDoNothingAndF1StillShowsAbout) {
    View()->m_bBusy = 1;
    for (const KeyCase& k : kKeys) {
        if (k.command == ID_APP_ABOUT) continue;
        DialogDriver driver;
        PressKey(k.key, k.ctrl, k.shift);
        EXPECT_TRUE(ShownAfterAWhile(driver).empty()) << k.name << ": neither its dialog nor a refusal";
    }
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption("About Kestrine"));
    EXPECT_TRUE(PressKey(VK_F1, false, false));
    EXPECT_TRUE(driver.WaitForShown(1, 30000));
    View()->m_bBusy = 0;
}

TEST_F(KeyboardTest, NoKeyWithoutControlAndShiftShreds) {
    const struct {
        bool ctrl, shift;
    } others[] = {{false, false}, {true, false}, {false, true}};
    for (const auto& held : others) {
        DialogDriver driver;
        EXPECT_FALSE(PressKey('S', held.ctrl, held.shift)) << "ctrl " << held.ctrl << " shift " << held.shift;
        EXPECT_TRUE(ShownAfterAWhile(driver).empty());
    }
}

TEST_F(KeyboardTest, EachButtonsToolTipNamesTheKeyOfItsCommand) {
    const struct {
        UINT command;
        const char* label;
    } buttons[] = {{ID_ENCRYPT, "Encrypt"}, {ID_DECRYPT, "Decrypt"}, {ID_SHRED, "Shred"}, {ID_APP_ABOUT, "About"}};
    // The keys as the frame's table has them, named as Windows names them in menus.
    HACCEL hTable = ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(hTable, nullptr);
    std::vector<ACCEL> keys(static_cast<size_t>(::CopyAcceleratorTableA(hTable, nullptr, 0)));
    ::CopyAcceleratorTableA(hTable, keys.data(), static_cast<int>(keys.size()));
    ASSERT_EQ(keys.size(), 4u);
    for (const auto& button : buttons) {
        std::string keyName;
        for (const ACCEL& key : keys) {
            if (key.cmd != button.command) continue;
            keyName = std::string(key.fVirt & FCONTROL ? "Ctrl+" : "") + (key.fVirt & FSHIFT ? "Shift+" : "") +
                      (key.key >= VK_F1 && key.key <= VK_F24 ? "F" + std::to_string(key.key - VK_F1 + 1)
                                                             : std::string(1, static_cast<char>(key.key)));
        }
        ASSERT_FALSE(keyName.empty()) << button.label << " has no key";
        NMTTDISPINFOA info{};
        info.hdr.hwndFrom = Frame()->m_wndToolBar.GetSafeHwnd();
        info.hdr.idFrom = button.command;
        info.hdr.code = TTN_GETDISPINFOA;
        ::SendMessageA(FrameWindow(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        ASSERT_NE(info.lpszText, nullptr);
        EXPECT_EQ(std::string(info.lpszText), std::string(button.label) + " (" + keyName + ")");
    }
}
