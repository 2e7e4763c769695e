// kst.exe and the program agree where the code page decides: a password typed into
// kst.exe's console keys as the same text typed into the program's password dialog, and a
// stored name gives the name the program's "Decrypted File" dialog proposes (both fit it
// with the file layer's one room rule, kst.exe from the folder as given, the program from
// the full folder the dialog opens in). Run once in code page 1252 and once in 932
// (KST_EXPECTED_ACP says which).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "blowfish_view.h"
#include "codec_fakes.h"
#include "dialog_driver.h"
#include "encrypt_password_dlg.h"
#include "kst_exe.h"
#include "locked_format.h"
#include "message_pump.h"
#include "resource.h"
#include "view_flow_support.h"
#include "wide_paths.h"

using namespace kst_test;

namespace {

const char kPassword[] = "agreement";

UINT ExpectedCodePage() {
    const char* value = std::getenv("KST_EXPECTED_ACP");
    return value == nullptr ? 0 : static_cast<UINT>(std::atoi(value));
}

// Non-ASCII text that the code page holds: its ANSI and OEM bytes differ in 1252, and in
// 932 it has double-byte characters and a single-byte katakana.
std::wstring TypedPassword(UINT codePage) {
    return codePage == 932 ? L"\x30D1\x30B9\x30EF\x30FC\x30C9\x6F22\x5B57\xFF76" : L"p\x00E4ssw\x00F6rd \x00E9t\x00E9";
}

// A password the code page cannot spell: Cyrillic on a Western system, a Latin letter with
// an accent on a Japanese one. Neither the dialog nor kst.exe keys with it.
std::wstring UnspelledPassword(UINT codePage) {
    return codePage == 932 ? L"p\x00E4sswort" : L"\x043F\x0430\x0440\x043E\x043B\x044C";
}

std::string Utf8Of(const std::wstring& text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &bytes[0], length, nullptr, nullptr);
    return bytes;
}

// The key the program's encryption password dialog makes of `typed`.
std::string DialogKey(const std::wstring& typed) {
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption(kPasswordCaption).Type(IDC_PASSWORD, typed).Type(IDC_RETYPE,
                                                                                                         typed));
    CEncryptPasswordDlg dialog;
    if (dialog.DoModal() != IDOK) return "";
    return std::string(dialog.m_strPassword);
}

// Queues a line as key presses in the console's input, as a user types it.
bool TypeIntoConsole(HANDLE input, const std::wstring& line) {
    std::vector<INPUT_RECORD> records;
    auto key = [&](wchar_t c, WORD virtualKey, BOOL down) {
        INPUT_RECORD record{};
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent.bKeyDown = down;
        record.Event.KeyEvent.wRepeatCount = 1;
        record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
        record.Event.KeyEvent.uChar.UnicodeChar = c;
        records.push_back(record);
    };
    for (const wchar_t c : line) {
        key(c, 0, TRUE);
        key(c, 0, FALSE);
    }
    key(L'\r', VK_RETURN, TRUE);
    key(L'\r', VK_RETURN, FALSE);
    DWORD written = 0;
    return ::WriteConsoleInputW(input, records.data(), DWORD(records.size()), &written) && written == records.size();
}

std::string Locked(const std::string& plain, const std::string& storedName, const std::string& key) {
    return testing_codec::LockedText(plain, storedName, key);
}

// The file name field is several windows with one id (combo box and its edit field).
std::string FileNameShown(const ShownDialog& shown) {
    for (const auto& control : shown.controls)
        if (control.first == kFileNameCombo && !control.second.empty()) return control.second;
    return "";
}

class KstExeAndProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::GetACP(), ExpectedCodePage()) << "the run must be in the code page it is named for";
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_dir = std::string(temp) + "kst_agreement_" + std::to_string(::GetACP());
        ::CreateDirectoryA(m_dir.c_str(), nullptr);
    }
    void TearDown() override { ::RemoveDirectoryA(m_dir.c_str()); }

    std::string m_dir;
};

}  // namespace

TEST_F(KstExeAndProgram, APasswordTypedIntoTheConsoleKeysAsTheDialogsText) {
    const std::wstring typed = TypedPassword(::GetACP());
    const std::string dialogBytes = DialogKey(typed);
    ASSERT_FALSE(dialogBytes.empty());
    ASSERT_LE(dialogBytes.size(), lockedfile::kMaxPasswordBytes);

    // kst.exe asks twice on the console this process shares with it.
    ::FreeConsole();
    ASSERT_TRUE(::AllocConsole());
    HANDLE input = ::CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(input, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(TypeIntoConsole(input, typed));
    ASSERT_TRUE(TypeIntoConsole(input, typed));

    const std::string plain = m_dir + "\\typed.txt";
    const std::string locked = plain + ".kst";
    WriteAll(plain, "typed on the console");
    EXPECT_EQ(RunKstExe("encrypt " + Quoted(plain) + " -q"), 0u);
    EXPECT_EQ(ReadAll(locked), Locked("typed on the console", "typed.txt", dialogBytes))
        << "kst.exe keys with the bytes of the ANSI code page, as the dialog does";
    ::DeleteFileA(locked.c_str());

    // What the code page cannot spell is refused at the first question; nothing is written.
    ASSERT_TRUE(TypeIntoConsole(input, UnspelledPassword(::GetACP())));
    EXPECT_EQ(RunKstExe("encrypt " + Quoted(plain) + " -q"), 2u);
    EXPECT_EQ(::GetFileAttributesA(locked.c_str()), INVALID_FILE_ATTRIBUTES);
    ::CloseHandle(input);
    ::FreeConsole();
    ::DeleteFileA(plain.c_str());
}

TEST_F(KstExeAndProgram, APasswordFileInUtf8OrTheCodePageKeysAsTheDialogsText) {
    const std::wstring typed = TypedPassword(::GetACP());
    const std::string dialogBytes = DialogKey(typed);
    ASSERT_FALSE(dialogBytes.empty());

    const std::string plain = m_dir + "\\from a file.txt";
    const std::string locked = plain + ".kst";
    const std::string password = m_dir + "\\password";
    WriteAll(plain, "keyed from a file");
    const struct {
        const char* what;
        std::string line;
        DWORD status;
    } cases[] = {
        {"UTF-8, as Notepad and kst elsewhere write it", Utf8Of(typed) + "\r\n", 0},
        {"UTF-8 after a byte order mark", "\xEF\xBB\xBF" + Utf8Of(typed), 0},
        {"the code page's own bytes", dialogBytes + "\n", 0},
        {"a character the code page lacks", Utf8Of(UnspelledPassword(::GetACP())) + "\n", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(password, c.line);
        EXPECT_EQ(RunKstExe("encrypt " + Quoted(plain) + " -q --password-file " + Quoted(password)), c.status);
        if (c.status == 0)
            EXPECT_EQ(ReadAll(locked), Locked("keyed from a file", "from a file.txt", dialogBytes));
        else
            EXPECT_EQ(::GetFileAttributesA(locked.c_str()), INVALID_FILE_ATTRIBUTES);
        ::DeleteFileA(locked.c_str());
    }
    ::DeleteFileA(password.c_str());
    ::DeleteFileA(plain.c_str());
}

TEST_F(KstExeAndProgram, ADoubleByteOrLongStoredNameGivesTheNameTheProgramProposes) {
    CWnd parent;
    CBlowfishView view;
    ASSERT_TRUE(ShowViewOnParent(parent, view, "Kestrine agreement test"));

    WriteAll(m_dir + "\\password", kPassword);
    // A deep folder, so that the folder and the longest stored name together pass MAX_PATH.
    const std::string deep = m_dir + "\\" + std::string(120, 'd');
    ::CreateDirectoryA(deep.c_str(), nullptr);
    const struct {
        std::string folder;
        std::string storedName;
    } cases[] = {
        // In 932 two characters whose trail bytes are '\\'; in 1252 two separators.
        {m_dir, "\x95\x5c\x83\x5c.txt"},
        {deep, std::string(251, 'n') + ".txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.storedName.size());
        const std::string locked = c.folder + "\\stored.kst";
        WriteAll(locked, Locked("same name", c.storedName, kPassword));

        DialogDriver driver;
        driver.Expect(DialogAnswer::Press(IDCANCEL).WithCaption("Decrypted File"));
        view.m_strSource = Wide(locked);
        view.ReadLockedHeader();
        const auto shown = driver.Shown();
        ASSERT_EQ(shown.size(), 1u);
        const std::string proposed = FileNameShown(shown[0]);
        ASSERT_FALSE(proposed.empty());

        EXPECT_EQ(RunKstExe("decrypt " + Quoted(locked) + " -q --password-file " + Quoted(m_dir + "\\password")), 0u);
        EXPECT_EQ(ReadAll(c.folder + "\\" + proposed), "same name") << "kst.exe wrote " << proposed;
        ::DeleteFileA((c.folder + "\\" + proposed).c_str());
        ::DeleteFileA(locked.c_str());
    }
    ::DeleteFileA((m_dir + "\\password").c_str());
    ::RemoveDirectoryA(deep.c_str());
    view.DestroyWindow();
    parent.DestroyWindow();
    PumpPending();
}
