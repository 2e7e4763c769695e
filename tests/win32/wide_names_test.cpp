// Files whose names the ANSI code page cannot spell, and paths longer than MAX_PATH, through
// the program's ways in (its command line, a drop on its window, its file dialogs) and out;
// passwords keyed with the code page's bytes. Run in code page 1252.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec_fakes.h"
#include "dialog_driver.h"
#include "drag_drop.h"
#include "started_program.h"
#include "wide_paths.h"

using namespace kst_test;

namespace {

const std::string kReportText = "Quarterly figures\r\n" + std::string(3000, 'q') + "\r\nend.";
// "pässwort": code page 1252 has it, as 0x70 0xE4 0x73 ...
const std::wstring kPassword = L"p\x00E4sswort";
const std::string kKey = "p\xE4sswort";

// Made independently of Kestrine: OpenSSL's Blowfish keyed with the password's bytes in code
// page 1252 (halves least significant byte first), behind a header written by hand. The
// native tests of kst check the same bytes.
// "pässwort.txt" holding "Locked on a Western system.", locked with "pässwort".
const std::string kLockedOnAWesternSystem =
    "\x42\x4C\x4F\x57\x0C\x70\xE4\x73\x73\x77\x6F\x72\x74\x2E\x74\x78\x74\x03\x61\x1A\x29\x1C\xFA\xC1\xC2\x1D\x63"
    "\x2C\x6B\xA1\x3D\xD7\x0A\x3D\x1B\x09\xE5\xA8\x7E\xDE\xCF\x66\x22\x50\xAE\x48\x46\xEA\xB1\xAE";
// "a.txt" holding "abcdefghijklm", locked with the ASCII password "correct horse".
const std::string kLockedWithAnAsciiPassword =
    "\x42\x4C\x4F\x57\x05\x61\x2E\x74\x78\x74\x05\x7A\x83\xD4\x92\x01\xC4\xF2\x85\xFB\xB4\x06\x7E\x5B\x52\x4A\xED";

// The program's locked file for `plain`, as the codec makes it with the stored name and key.
std::string Reference(const std::string& plain, const std::string& storedName, const std::string& key) {
    return testing_codec::LockedText(plain, storedName, key);
}

DialogAnswer ChooseWide(const char* title, const std::wstring& path) {
    return DialogAnswer::Press(IDOK).WithCaption(title).Type(kFileNameCombo, path);
}
DialogAnswer TypePasswords(const std::wstring& password) {
    return DialogAnswer::Press(IDOK).WithCaption(kPasswordCaption).Type(IDC_PASSWORD, password).Type(IDC_RETYPE,
                                                                                                    password);
}
DialogAnswer TypePassword(const std::wstring& password) {
    return DialogAnswer::Press(IDOK).WithCaption(kPasswordCaption).Type(IDC_PASSWORD, password);
}

class WideNamesTest : public StartedProgramTest {
protected:
    void SetUp() override {
        if (::GetACP() != 1252) GTEST_SKIP() << "the names and keys here are those of code page 1252";
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"kst_wide_names";
        ::CreateDirectoryW(m_dir.c_str(), nullptr);
    }
    void TearDown() override {
        StartedProgramTest::TearDown();
        RemoveTree(m_dir);
    }

    std::wstring PathOf(const std::wstring& name) const { return m_dir + L"\\" + name; }
    void ExpectAllAnswered(const DialogDriver& driver) {
        EXPECT_EQ(driver.PendingAnswers(), 0u);
        for (const auto& shown : driver.Shown())
            EXPECT_FALSE(shown.unexpected) << shown.caption << ": " << shown.text << " (pressed " << shown.pressed << ")";
    }
    // Answers the flow `start` begins with `answers`, and waits until its job has ended.
    void RunFlow(DialogDriver& driver, const std::vector<DialogAnswer>& answers, const std::function<void()>& start) {
        driver.Clear();
        for (const DialogAnswer& answer : answers) driver.Expect(answer);
        start();
        ASSERT_TRUE(driver.WaitForShown(answers.size(), 30000));
        ASSERT_TRUE(WaitForJob());
        ExpectAllAnswered(driver);
    }
    void Command(UINT id) {
        ::SendMessageA(FrameWindow(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Frame()->m_wndToolBar.GetSafeHwnd()));
    }
    void Drop(const std::wstring& path) {
        DragData data;
        data.wideFiles = {path};
        ComRef<IDataObject> object(NewDataObject(data));
        ::SetForegroundWindow(FrameWindow());
        DragOnto(View()->GetSafeHwnd(), object.get());
        PumpPending();
    }

    static void RemoveTree(const std::wstring& folder) {
        WIN32_FIND_DATAW found{};
        const HANDLE find = ::FindFirstFileW(LongForm(folder + L"\\*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = folder + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    ::DeleteFileW(LongForm(path).c_str());
            } while (::FindNextFileW(find, &found));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(LongForm(folder).c_str());
    }

    std::wstring m_dir;
};

}  // namespace

TEST_F(WideNamesTest, AFileNamedOutsideTheCodePageIsLockedFromTheCommandLineADropAndTheDialog) {
    const std::wstring report = PathOf(kReportName);
    ASSERT_TRUE(WriteWide(report, kReportText));
    const std::string reference = Reference(kReportText, kReportStored, kKey);

    // The command line, as "Encrypt with Kestrine" starts the program.
    DialogDriver driver;
    RunFlow(driver, {ChooseWide("Encrypted File", PathOf(L"from the command line.kst")), TypePasswords(kPassword)},
            [&] { ASSERT_TRUE(StartWide({L"/encrypt", report})); });
    EXPECT_EQ(View()->m_strSource, report);
    EXPECT_EQ(ReadWide(PathOf(L"from the command line.kst")), reference);

    // A drop on the window.
    RunFlow(driver, {ChooseWide("Encrypted File", PathOf(L"from a drop.kst")), TypePasswords(kPassword)},
            [&] { Drop(report); });
    EXPECT_EQ(ReadWide(PathOf(L"from a drop.kst")), reference);

    // The tool bar's Encrypt and its file dialogs.
    RunFlow(driver,
            {ChooseWide("Select File to Encrypt", report), ChooseWide("Encrypted File", PathOf(L"from the dialog.kst")),
             TypePasswords(kPassword)},
            [&] { Command(ID_ENCRYPT); });
    EXPECT_EQ(ReadWide(PathOf(L"from the dialog.kst")), reference);
    EXPECT_EQ(StatusLine(), "Done Encrypting");
    EXPECT_EQ(ReadWide(report), kReportText) << "the source is left as it was";
}

TEST_F(WideNamesTest, ALockedFileDecryptsToANameOutsideTheCodePage) {
    const std::wstring locked = PathOf(L"report.kst");
    ASSERT_TRUE(WriteWide(locked, Reference(kReportText, kReportStored, kKey)));
    ASSERT_TRUE(Start({}));

    DialogDriver driver;
    RunFlow(driver,
            {ChooseWide("Select File to Decrypt", locked), ChooseWide("Decrypted File", PathOf(kDecryptedName)),
             TypePassword(kPassword)},
            [&] { Command(ID_DECRYPT); });
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_NE(std::find_if(shown[1].controls.begin(), shown[1].controls.end(),
                           [](const auto& control) { return control.second == kReportStored; }),
              shown[1].controls.end())
        << "the stored name proposed as the code page reads it";
    EXPECT_EQ(ReadWide(PathOf(kDecryptedName)), kReportText);
    EXPECT_EQ(StatusLine(), "Done Decrypting");
}

TEST_F(WideNamesTest, PasswordsTheCodePageHasGiveTodaysBytesAndOthersAreRefusedBeforeAnyJob) {
    ASSERT_TRUE(Start({}));
    const struct {
        std::wstring name;
        std::string text;
        std::wstring password;
        const std::string& locked;
    } fitting[] = {
        {L"p\x00E4sswort.txt", "Locked on a Western system.", kPassword, kLockedOnAWesternSystem},
        {L"a.txt", "abcdefghijklm", L"correct horse", kLockedWithAnAsciiPassword},
    };
    DialogDriver driver;
    for (const auto& c : fitting) {
        SCOPED_TRACE(std::string(c.text));
        ASSERT_TRUE(WriteWide(PathOf(c.name), c.text));
        RunFlow(driver,
                {ChooseWide("Select File to Encrypt", PathOf(c.name)), ChooseWide("Encrypted File", PathOf(L"fitting.kst")),
                 TypePasswords(c.password)},
                [&] { Command(ID_ENCRYPT); });
        EXPECT_EQ(ReadWide(PathOf(L"fitting.kst")), c.locked);
        ::DeleteFileW(PathOf(L"fitting.kst").c_str());
    }

    // Cyrillic on a Western system: refused with a message, the dialog stays, and what the
    // user then cancels writes nothing.
    const std::wstring parol = L"\x043F\x0430\x0440\x043E\x043B\x044C";
    driver.Clear();
    driver.Expect(ChooseWide("Select File to Encrypt", PathOf(L"a.txt")));
    driver.Expect(ChooseWide("Encrypted File", PathOf(L"refused.kst")));
    driver.Expect(TypePasswords(parol));
    driver.Expect(Acknowledge());
    driver.Expect(Cancel(kPasswordCaption));
    Command(ID_ENCRYPT);
    PumpPending();
    ExpectAllAnswered(driver);
    ASSERT_EQ(driver.Shown().size(), 5u);
    EXPECT_EQ(driver.Shown()[3].text,
              "The password contains characters that cannot be used on this system. Please use other characters.");
    EXPECT_EQ(View()->m_bBusy, 0) << "no job was started";
    EXPECT_FALSE(ExistsWide(PathOf(L"refused.kst")));
}

TEST_F(WideNamesTest, PathsLongerThanMaxPathAreLockedAndUnlocked) {
    // A folder whose files' paths are longer than MAX_PATH, as the shell may hand them over.
    std::wstring folder = m_dir;
    while (folder.size() < MAX_PATH + 20) {
        folder += L"\\" + std::wstring(60, L'd');
        ASSERT_TRUE(::CreateDirectoryW(LongForm(folder).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    }
    const std::wstring plain = folder + L"\\" + kReportName;
    const std::wstring locked = folder + L"\\report.kst";
    ASSERT_GT(plain.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(WriteWide(plain, kReportText));
    const std::string reference = Reference(kReportText, kReportStored, kKey);
    ASSERT_TRUE(WriteWide(locked, reference));

    // Handed over on the command line, locked into a file the dialog names (the platform's
    // dialogs take paths within MAX_PATH).
    DialogDriver driver;
    RunFlow(driver, {ChooseWide("Encrypted File", PathOf(L"from a long path.kst")), TypePasswords(kPassword)},
            [&] { ASSERT_TRUE(StartWide({L"/encrypt", plain})); });
    EXPECT_EQ(ReadWide(PathOf(L"from a long path.kst")), reference);

    // Dropped, and unlocked: the dialog opens where it can, proposing the stored name.
    RunFlow(driver, {ChooseWide("Decrypted File", PathOf(L"back.txt")), TypePassword(kPassword)},
            [&] { Drop(locked); });
    EXPECT_EQ(ReadWide(PathOf(L"back.txt")), kReportText);
    EXPECT_EQ(StatusLine(), "Done Decrypting");
}
