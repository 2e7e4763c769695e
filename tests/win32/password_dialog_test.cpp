// The password dialogs from their real templates, answered as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "decrypt_password_dlg.h"
#include "dialog_driver.h"
#include "encrypt_password_dlg.h"
#include "resource.h"
#include "ui_actor.h"

using kst_test::DialogAnswer;
using kst_test::DialogDriver;

namespace {

constexpr char kCaption[] = "Password Protection";
constexpr char kMismatch[] = "Passwords to not match.\nPlease re-type then again.";
constexpr char kNoPassword[] = "You did not specify a password.";

DialogAnswer TypeBoth(const std::string& password, const std::string& retype) {
    return DialogAnswer::Press(IDOK).WithCaption(kCaption).Fill(IDC_PASSWORD, password).Fill(IDC_RETYPE, retype);
}

DialogAnswer AcknowledgeBox() { return DialogAnswer::Press(IDOK).WithCaption("Kestrine"); }

std::string ControlText(const kst_test::ShownDialog& shown, int id) {
    for (const auto& control : shown.controls)
        if (control.first == id) return control.second;
    return "<missing>";
}

TEST(EncryptPasswordDialog, AcceptsTwoEqualTextsExactlyAsTyped) {
    const std::string typed = "  Mixed Case 1234 \xE9t\xE9 ";  // blanks at both ends, code-page letters
    DialogDriver driver;
    driver.Expect(TypeBoth(typed, typed));
    CEncryptPasswordDlg dialog;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(std::string(dialog.m_strPassword), typed);
    EXPECT_EQ(std::string(dialog.m_strRetype), typed);
    ASSERT_EQ(driver.Shown().size(), 1u);
    EXPECT_EQ(driver.Shown()[0].caption, kCaption);
}

TEST(EncryptPasswordDialog, RefusesDifferentOrEmptyEntriesAndKeepsWhatWasTyped) {
    struct Case {
        const char* password;
        const char* retype;
        const char* message;
    } const cases[] = {
        {"secret", "SECRET", kMismatch},   // differ only in letter case
        {"", "", kNoPassword},
        {"", "secret", kMismatch},
        {"secret", "", kMismatch},
    };
    DialogDriver driver;
    for (const Case& c : cases) {
        driver.Expect(TypeBoth(c.password, c.retype));
        driver.Expect(AcknowledgeBox());
    }
    driver.Expect(TypeBoth("finally", "finally"));

    CEncryptPasswordDlg dialog;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(std::string(dialog.m_strPassword), "finally");

    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 2 * std::size(cases) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& box = shown[2 * i + 1];
        SCOPED_TRACE(i);
        EXPECT_EQ(box.caption, "Kestrine");
        EXPECT_EQ(box.text, cases[i].message);
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONHAND));
        EXPECT_FALSE(box.unexpected);
        // When the dialog came back to the user it still held the refused entries.
        EXPECT_EQ(ControlText(shown[2 * i + 2], IDC_PASSWORD), cases[i].password);
        EXPECT_EQ(ControlText(shown[2 * i + 2], IDC_RETYPE), cases[i].retype);
    }
}

TEST(EncryptPasswordDialog, RefusesALongerTextThatArrivesWithoutTyping) {
    // Text set directly bypasses the typing limit; taking it out must still refuse it.
    const std::string tooLong(57, 'x');
    DialogDriver driver;
    driver.Expect(TypeBoth(tooLong, tooLong));
    driver.Expect(AcknowledgeBox());
    driver.Expect(TypeBoth(std::string(56, 'x'), std::string(56, 'x')));
    CEncryptPasswordDlg dialog;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strPassword.GetLength(), 56);
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, "Please enter no more than 56 characters.");
}

TEST(EncryptPasswordDialog, MasksBothFieldsLimitsTypingTo56AndEscCancels) {
    LRESULT maskPassword = 0, maskRetype = 0, lengthPassword = 0, lengthRetype = 0;
    bool captured = false;
    CEncryptPasswordDlg dialog;
    INT_PTR result = 0;
    {
        kst_test::DialogActor actor(kCaption, [&](HWND hDialog) {
            HWND password = ::GetDlgItem(hDialog, IDC_PASSWORD);
            HWND retype = ::GetDlgItem(hDialog, IDC_RETYPE);
            kst_test::TypeInto(password, std::string(60, 'p'));
            kst_test::TypeInto(retype, std::string(57, 'r'));
            maskPassword = ::SendMessageA(password, EM_GETPASSWORDCHAR, 0, 0);
            maskRetype = ::SendMessageA(retype, EM_GETPASSWORDCHAR, 0, 0);
            lengthPassword = ::SendMessageA(password, WM_GETTEXTLENGTH, 0, 0);
            lengthRetype = ::SendMessageA(retype, WM_GETTEXTLENGTH, 0, 0);
            ::Sleep(300);  // let it paint
            captured = kst_test::SaveWindowPng(hDialog, kst_test::TestOutputDir() + "/encrypt_password_dialog.png");
            // Esc, although the dialog has no Cancel button.
            ::PostMessageA(password, WM_KEYDOWN, VK_ESCAPE, 1);
            ::PostMessageA(password, WM_KEYUP, VK_ESCAPE, 0xC0000001);
        });
        result = dialog.DoModal();
        ASSERT_TRUE(actor.Found());
    }
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(maskPassword, '*');
    EXPECT_EQ(maskRetype, '*');
    EXPECT_EQ(lengthPassword, 56);
    EXPECT_EQ(lengthRetype, 56);
    EXPECT_TRUE(captured);
}

TEST(EncryptPasswordDialog, CloseBoxCancels) {
    CEncryptPasswordDlg dialog;
    INT_PTR result = 0;
    {
        kst_test::DialogActor actor(kCaption, [](HWND hDialog) {
            kst_test::TypeInto(::GetDlgItem(hDialog, IDC_PASSWORD), "abc");
            ::PostMessageA(hDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        result = dialog.DoModal();
    }
    EXPECT_EQ(result, IDCANCEL);
}

TEST(DecryptPasswordDialog, AcceptsAnEmptyFieldMasksItAndCancels) {
    {
        DialogDriver driver;
        driver.Expect(DialogAnswer::Press(IDOK).WithCaption(kCaption));
        CDecryptPasswordDlg dialog;
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_TRUE(dialog.m_strPassword.IsEmpty());
    }
    LRESULT mask = 0;
    std::string typedText;
    bool captured = false;
    CDecryptPasswordDlg dialog;
    INT_PTR result = 0;
    {
        kst_test::DialogActor actor(kCaption, [&](HWND hDialog) {
            HWND password = ::GetDlgItem(hDialog, IDC_PASSWORD);
            kst_test::TypeInto(password, std::string(70, 'd'));  // no limit of its own
            mask = ::SendMessageA(password, EM_GETPASSWORDCHAR, 0, 0);
            typedText = kst_test::WindowTextOf(password);
            ::Sleep(300);
            captured = kst_test::SaveWindowPng(hDialog, kst_test::TestOutputDir() + "/decrypt_password_dialog.png");
            ::PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(hDialog, IDCANCEL)));
        });
        result = dialog.DoModal();
    }
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(mask, '*');
    EXPECT_EQ(typedText, std::string(70, 'd'));
    EXPECT_TRUE(captured);
}

}  // namespace

// The fields take whatever is typed, in any script; the key is made of what the ANSI code
// page has, and a password with anything else is refused, never keyed with stand-ins.
TEST(PasswordDialogs, KeyWithTheCodePagesBytesAndRefuseWhatItLacks) {
    const std::wstring western = L"p\x00E4ssw\x00F6rd";  // in code page 1252, as in most
    const std::wstring cyrillic = L"\x043F\x0430\x0440\x043E\x043B\x044C";
    const std::wstring emoji = L"key\xD83D\xDD11";
    char bytes[16] = {};
    BOOL usedDefault = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, western.c_str(), -1, bytes, sizeof bytes, nullptr,
                          &usedDefault);
    if (usedDefault || ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, cyrillic.c_str(), -1, nullptr, 0, nullptr,
                                             &usedDefault) == 0 || !usedDefault)
        GTEST_SKIP() << "the ANSI code page " << ::GetACP() << " is not a Western one";
    const std::string westernKey = bytes;

    // Typed key by key through the dialog's message loop, as a keyboard types.
    {
        CEncryptPasswordDlg dialog;
        INT_PTR result = 0;
        kst_test::DialogActor actor(kCaption, [&](HWND hDialog) {
            for (int id : {IDC_PASSWORD, IDC_RETYPE})
                for (wchar_t c : western) ::PostMessageW(::GetDlgItem(hDialog, id), WM_CHAR, c, 1);
            ::PostMessageW(hDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        result = dialog.DoModal();
        ASSERT_TRUE(actor.Found());
        ASSERT_EQ(result, IDOK);
        EXPECT_EQ(std::string(dialog.m_strPassword), westernKey) << "today's bytes for what the code page has";
    }

    DialogDriver driver;
    for (const std::wstring& refused : {cyrillic, emoji}) {
        driver.Expect(DialogAnswer::Press(IDOK).WithCaption(kCaption).Type(IDC_PASSWORD, refused).Type(IDC_RETYPE,
                                                                                                       refused));
        driver.Expect(AcknowledgeBox());
    }
    driver.Expect(DialogAnswer::Press(IDCANCEL).WithCaption(kCaption));
    CEncryptPasswordDlg encrypt;
    EXPECT_EQ(encrypt.DoModal(), IDCANCEL);

    driver.Expect(DialogAnswer::Press(IDOK).WithCaption(kCaption).Type(IDC_PASSWORD, cyrillic));
    driver.Expect(AcknowledgeBox());
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption(kCaption).Type(IDC_PASSWORD, western));
    CDecryptPasswordDlg decrypt;
    ASSERT_EQ(decrypt.DoModal(), IDOK);
    EXPECT_EQ(std::string(decrypt.m_strPassword), westernKey);

    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 8u);
    for (size_t box : {1u, 3u, 6u}) {
        SCOPED_TRACE(box);
        EXPECT_EQ(shown[box].caption, "Kestrine");
        EXPECT_EQ(shown[box].text,
                  "The password contains characters that cannot be used on this system. Please use other characters.");
        EXPECT_EQ(shown[box].icon, static_cast<UINT>(MB_ICONHAND));
    }
}
