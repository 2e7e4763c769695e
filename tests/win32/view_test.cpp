// The main view's commands as a user meets them: real file dialogs, real password dialogs,
// the job on its worker thread, the status line and the bar of the real form.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <iterator>
#include <string>
#include <vector>

#include "blowfish_view.h"
#include "cmd_ui.h"
#include "dialog_driver.h"
#include "locked_format.h"
#include "message_pump.h"
#include "resource.h"
#include "ui_actor.h"
#include "view_flow_support.h"
#include "wnd.h"
#include "wide_paths.h"

using namespace kst_test;  // the flows' answers and files

namespace {

constexpr int kFileTypeCombo = 1136;

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The file name field is several windows with one id (combo box and its edit field).
std::string FileNameShown(const kst_test::ShownDialog& shown) {
    for (const auto& control : shown.controls)
        if (control.first == kFileNameCombo && !control.second.empty())
            return control.second;
    return "";
}

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ShowViewOnParent(m_parent, m_view, "Kestrine view test"));

        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_dir = std::string(temp) + "kst_view_test";
        ::CreateDirectoryA(m_dir.c_str(), nullptr);
    }
    void TearDown() override {
        // Never leave a job running over a view that is about to go.
        kst_test::PumpUntil([&] { return !m_view.m_bBusy; }, kJobTimeoutMs);
        m_view.DestroyWindow();
        m_parent.DestroyWindow();
        kst_test::PumpPending();
    }

    std::string PathOf(const char* name) const { return m_dir + "\\" + name; }
    void Command(UINT id) { m_view.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    bool WaitForJob() { return kst_test::PumpUntil([&] { return !m_view.m_bBusy; }, kJobTimeoutMs); }
    std::string StatusLine() const {
        char text[MAX_PATH * 2] = {};
        ::GetDlgItemTextA(m_view.GetSafeHwnd(), IDC_STATUS, text, sizeof text);
        return text;
    }
    int BarPosition() const {
        return static_cast<int>(::SendDlgItemMessageA(m_view.GetSafeHwnd(), IDC_PROGRESS, PBM_GETPOS, 0, 0));
    }
    // What the view's update handler answers for a job command now.
    bool CommandEnabled(UINT id) {
        CCmdUI state;
        state.m_nID = id;
        state.DoUpdate(&m_view, TRUE);
        return state.m_bEnabled != FALSE;
    }
    void SetBar(int position) { ::SendDlgItemMessageA(m_view.GetSafeHwnd(), IDC_PROGRESS, PBM_SETPOS, position, 0); }

    // Runs the flow of `command` (Encrypt or Decrypt) with `source` up to the destination
    // `dest`, which exists (the overwrite question is answered Yes), and expects `message`
    // in place of the password dialog.
    void ExpectRefusedBeforeThePassword(UINT command, const std::string& source, const std::string& dest,
                                        const char* message) {
        const bool encrypting = command == ID_ENCRYPT;
        SCOPED_TRACE(encrypting ? "encrypt" : "decrypt");
        DialogDriver driver;
        driver.Expect(ChooseFile(encrypting ? "Select File to Encrypt" : "Select File to Decrypt", source));
        driver.Expect(ChooseFile(encrypting ? "Encrypted File" : "Decrypted File", dest));
        driver.Expect(DialogAnswer::Press(IDYES));  // "already exists. Replace it?"
        driver.Expect(Acknowledge());
        Command(command);
        const auto shown = driver.Shown();
        ASSERT_EQ(shown.size(), 4u) << "no password dialog";
        EXPECT_EQ(shown[3].text, message);
        EXPECT_EQ(m_view.m_bBusy, 0);
        ExpectAllAnswered(driver);
    }
    void ExpectBothFlowsRefuse(const std::string& plain, const std::string& locked, const std::string& dest,
                               const char* message) {
        ExpectRefusedBeforeThePassword(ID_ENCRYPT, plain, dest, message);
        ExpectRefusedBeforeThePassword(ID_DECRYPT, locked, dest, message);
    }

    // Checks every dialog was one the test expected and none is still awaited.
    void ExpectAllAnswered(const DialogDriver& driver) {
        EXPECT_EQ(driver.PendingAnswers(), 0u);
        for (const auto& shown : driver.Shown()) EXPECT_FALSE(shown.unexpected) << shown.caption << ": " << shown.text;
    }

    CWnd m_parent;
    CBlowfishView m_view;
    std::string m_dir;
};

}  // namespace

TEST_F(ViewTest, EncryptCommandRunsItsDialogsAndJobAndDecryptBringsTheBytesBack) {
    const std::string original = std::string("Quarterly report\r\n") + std::string(5000, '\x9C') + "end";
    const std::string source = PathOf("report.txt");
    const std::string locked = PathOf("report-locked");  // typed without extension
    const std::string restored = PathOf("restored.txt");
    WriteAll(source, original);
    ::DeleteFileA((locked + ".kst").c_str());
    ::DeleteFileA(restored.c_str());

    DialogDriver driver;
    driver.Expect(ChooseFile("Select File to Encrypt", source));
    driver.Expect(ChooseFile("Encrypted File", locked));
    driver.Expect(EncryptPassword("Kestrel 42"));
    SetBar(70);
    Command(ID_ENCRYPT);

    // The handler has returned with the job started.
    EXPECT_EQ(StatusLine(), "Encrypting " + source);
    EXPECT_EQ(m_view.m_bBusy, 1);
    EXPECT_FALSE(CommandEnabled(ID_ENCRYPT));
    EXPECT_FALSE(CommandEnabled(ID_DECRYPT));
    EXPECT_FALSE(CommandEnabled(ID_SHRED));
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(StatusLine(), "Done Encrypting");
    EXPECT_EQ(BarPosition(), 0);
    EXPECT_TRUE(CommandEnabled(ID_ENCRYPT));
    EXPECT_EQ(Narrow(m_view.m_strDest), locked + ".kst");
    ASSERT_TRUE(Exists(locked + ".kst"));
    EXPECT_EQ(ReadAll(source), original);
    ExpectAllAnswered(driver);

    driver.Clear();
    driver.Expect(ChooseFile("Select File to Decrypt", locked + ".kst"));
    driver.Expect(ChooseFile("Decrypted File", restored));
    driver.Expect(DecryptPassword("Kestrel 42"));
    Command(ID_DECRYPT);
    EXPECT_EQ(StatusLine(), "Decrypting " + locked + ".kst");
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(StatusLine(), "Done Decrypting");
    EXPECT_EQ(ReadAll(restored), original);
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(FileNameShown(shown[1]), "report.txt");  // the stored name is proposed
    ExpectAllAnswered(driver);
}

TEST_F(ViewTest, BadLockedHeadsAreReportedAndStartNothing) {
    struct Case {
        const char* name;
        std::string content;
        const char* message;
    } const cases[] = {
        {"lower.kst", "blow\x0a" "report.txt", "This file was not encrypted with Kestrine."},
        {"short.kst", "BLO", "This file was not encrypted with Kestrine."},
        {"plain.txt", "Just some text, never locked.", "This file was not encrypted with Kestrine."},
        {"zero.kst", std::string("BLOW\0\0\0\0\0\0\0\0", 12), "Error reading Kestrine."},
        {"nolength.kst", "BLOW", "Error reading Kestrine."},
        {"cut.kst", "BLOW\x0arepo", "Error reading Kestrine."},
        // Ends right after the stored name: the writer always stores the tail count.
        {"notail.kst", "BLOW\x0a" "report.txt", "This file was not encrypted with Kestrine."},
    };
    DialogDriver driver;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.Clear();
        driver.Expect(Acknowledge());
        WriteAll(PathOf(c.name), c.content);
        m_view.m_strSource = Wide(PathOf(c.name));
        m_view.m_strDest = L"unchanged";
        m_view.ReadLockedHeader();
        const auto shown = driver.Shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, c.message);
        EXPECT_EQ(shown[0].icon, 0u);
        EXPECT_EQ(Narrow(m_view.m_strDest), "unchanged");
        EXPECT_EQ(m_view.m_bBusy, 0);
        // The refused file is left as it was and is not held open.
        EXPECT_EQ(ReadAll(PathOf(c.name)), c.content);
        EXPECT_TRUE(::DeleteFileA(PathOf(c.name).c_str()));
    }

    driver.Clear();
    driver.Expect(Acknowledge());
    m_view.m_strSource = Wide(PathOf("missing.kst"));
    m_view.ReadLockedHeader();
    ASSERT_EQ(driver.Shown().size(), 1u);
    EXPECT_EQ(driver.Shown()[0].text, "Error opening source file to decrypt.");
}

// The file being read, chosen again as the file to write (here in other letters), is
// refused with a message before the password is asked for; it stays as it was.
TEST_F(ViewTest, TheSourceChosenAgainAsTheDestinationIsRefusedBeforeThePassword) {
    const char* const kSameFile = "The file to write is the file being read. Please choose another name.";
    const std::string plain = PathOf("minutes.txt"), locked = PathOf("minutes.kst");
    WriteAll(plain, "minutes of the meeting");
    WriteAll(locked, LockedHead("minutes.txt", 0));
    for (const auto& c : {std::make_pair(ID_ENCRYPT, plain), std::make_pair(ID_DECRYPT, locked)}) {
        const std::string before = ReadAll(c.second);
        std::string otherLetters = c.second;
        ::CharUpperBuffA(&otherLetters[0], static_cast<DWORD>(otherLetters.size()));
        ExpectRefusedBeforeThePassword(c.first, c.second, otherLetters, kSameFile);
        EXPECT_EQ(ReadAll(c.second), before);
    }
}

// A destination that cannot be replaced is refused before the password is asked for, with a
// message that names the cause: held open by another program that lets nobody delete it,
// or read-only. Otherwise the whole job would run and fail only at its end.
TEST_F(ViewTest, ADestinationThatCannotBeReplacedIsRefusedBeforeThePassword) {
    const std::string plain = PathOf("agenda.txt"), locked = PathOf("agenda.kst"), dest = PathOf("minutes.txt");
    WriteAll(plain, "agenda");
    WriteAll(locked, LockedHead("agenda.txt", 0));
    WriteAll(dest, "kept");
    {
        std::unique_ptr<void, decltype(&::CloseHandle)> other(
            ::CreateFileA(dest.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                          nullptr),
            &::CloseHandle);
        ASSERT_NE(other.get(), INVALID_HANDLE_VALUE);
        ExpectBothFlowsRefuse(plain, locked, dest,
                                       "The file to write is open in another program. Please close it there or "
                                       "choose another name.");
    }
    ASSERT_TRUE(::SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectBothFlowsRefuse(plain, locked, dest,
                                   "The file to write is read-only. Please choose another name.");
    ::SetFileAttributesA(dest.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadAll(dest), "kept");
}

// A folder that takes no new file, where the file chosen is itself writable: the result is
// written beside it first, so the folder is named as the cause. Such a folder is made by
// run_with_refusing_folder.sh, as Wine cannot make one itself.
TEST_F(ViewTest, AFolderThatRefusesNewFilesIsNamedAsTheCause) {
    const char* folder = std::getenv("KST_REFUSING_FOLDER");
    if (folder == nullptr || *folder == 0) GTEST_SKIP() << "run by run_with_refusing_folder.sh";
    const std::string plain = PathOf("agenda.txt"), locked = PathOf("agenda.kst");
    const std::string dest = std::string(folder) + "\\writable.txt";
    WriteAll(plain, "agenda");
    WriteAll(locked, LockedHead("agenda.txt", 0));
    const std::string before = ReadAll(dest);
    ExpectBothFlowsRefuse(plain, locked, dest,
                                   "The folder of the file to write takes no new files. Please choose another "
                                   "folder.");
    EXPECT_EQ(ReadAll(dest), before);
}

TEST_F(ViewTest, CancellingAnyDialogStartsNothingAndKeepsWhatEarlierDialogsSet) {
    const std::string source = PathOf("keep.txt");
    WriteAll(source, "keep me");
    DialogDriver driver;

    // Encrypt: cancelled at the source, the destination and the password.
    m_view.m_strSource = L"before";
    m_view.m_strDest = L"before";
    SetBar(40);
    driver.Expect(Cancel("Select File to Encrypt"));
    Command(ID_ENCRYPT);
    EXPECT_EQ(Narrow(m_view.m_strSource), "before");
    EXPECT_EQ(BarPosition(), 0);

    driver.Expect(ChooseFile("Select File to Encrypt", source));
    driver.Expect(Cancel("Encrypted File"));
    Command(ID_ENCRYPT);
    EXPECT_EQ(Narrow(m_view.m_strSource), source);
    EXPECT_EQ(Narrow(m_view.m_strDest), "before");

    driver.Expect(ChooseFile("Select File to Encrypt", source));
    driver.Expect(ChooseFile("Encrypted File", PathOf("never.kst")));
    driver.Expect(Cancel(kPasswordCaption));
    Command(ID_ENCRYPT);
    EXPECT_EQ(Narrow(m_view.m_strDest), PathOf("never.kst"));
    EXPECT_TRUE(m_view.m_pszKey.empty());

    // Decrypt: cancelled at the decrypted-file dialog and at the password.
    const std::string locked = PathOf("keep.kst");
    WriteAll(locked, LockedHead("keep.txt", 0));
    driver.Expect(ChooseFile("Select File to Decrypt", locked));
    driver.Expect(Cancel("Decrypted File"));
    Command(ID_DECRYPT);
    EXPECT_EQ(Narrow(m_view.m_strDest), "keep.txt");  // the name read from the file
    driver.Expect(ChooseFile("Select File to Decrypt", locked));
    driver.Expect(ChooseFile("Decrypted File", PathOf("never.txt")));
    driver.Expect(Cancel(kPasswordCaption));
    Command(ID_DECRYPT);

    // Shred: cancelled at its only dialog.
    driver.Expect(Cancel("Select File to Shred"));
    Command(ID_SHRED);

    EXPECT_EQ(m_view.m_bBusy, 0);
    EXPECT_TRUE(m_view.m_pszKey.empty());
    EXPECT_EQ(StatusLine(), "");
    EXPECT_FALSE(Exists(PathOf("never.kst")));
    EXPECT_FALSE(Exists(PathOf("never.txt")));
    EXPECT_EQ(ReadAll(source), "keep me");
    ExpectAllAnswered(driver);
}

TEST_F(ViewTest, AnEmptyDecryptionPasswordIsRefusedBeforeAnyJob) {
    const std::string locked = PathOf("empty-pass.kst");
    WriteAll(locked, LockedHead("a.txt", 0));
    DialogDriver driver;
    driver.Expect(ChooseFile("Select File to Decrypt", locked));
    driver.Expect(ChooseFile("Decrypted File", PathOf("a.txt")));
    driver.Expect(DecryptPassword(""));
    driver.Expect(Acknowledge());
    Command(ID_DECRYPT);
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3].text, "You did not specify a password.");
    EXPECT_EQ(m_view.m_bBusy, 0);
    EXPECT_TRUE(m_view.m_pszKey.empty());
    EXPECT_FALSE(Exists(PathOf("a.txt")));
    ExpectAllAnswered(driver);
}

TEST_F(ViewTest, ShredStartsRightAfterItsDialogAndFailedJobsSayTheyFailed) {
    const std::string victim = PathOf("victim.bin");
    WriteAll(victim, std::string(100001, 'v'));
    DialogDriver driver;
    driver.Expect(ChooseFile("Select File to Shred", victim));
    Command(ID_SHRED);
    EXPECT_EQ(StatusLine(), "Shredding " + victim);
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(StatusLine(), "Done Shredding");
    EXPECT_EQ(ReadAll(victim), std::string(100001, '\0'));
    ExpectAllAnswered(driver);

    // A read-only file cannot be shredded: the job says so and still ends as always.
    ::SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_READONLY);
    driver.Clear();
    driver.Expect(ChooseFile("Select File to Shred", victim));
    driver.Expect(Acknowledge());
    Command(ID_SHRED);
    ASSERT_TRUE(WaitForJob());
    ::SetFileAttributesA(victim.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(driver.Shown().size(), 2u);
    EXPECT_EQ(driver.Shown()[1].text, "Error opening source file to shred.");
    EXPECT_EQ(StatusLine(), "Shredding failed.");
    EXPECT_EQ(BarPosition(), 0);

    // Decrypting with a destination that is the locked file itself is refused before the
    // password is asked for: no job starts and the status line keeps what it said.
    const std::string locked = PathOf("self.kst");
    WriteAll(locked, LockedHead("self.txt", 3) + std::string(8, 'x'));
    driver.Clear();
    driver.Expect(ChooseFile("Select File to Decrypt", locked));
    driver.Expect(ChooseFile("Decrypted File", locked));
    driver.Expect(DialogAnswer::Press(IDYES));  // "already exists. Replace it?"
    driver.Expect(Acknowledge());
    Command(ID_DECRYPT);
    EXPECT_EQ(m_view.m_bBusy, 0);
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[3].text, "The file to write is the file being read. Please choose another name.");
    EXPECT_EQ(StatusLine(), "Shredding failed.");
    EXPECT_EQ(ReadAll(locked), LockedHead("self.txt", 3) + std::string(8, 'x'));
    ExpectAllAnswered(driver);
}

TEST_F(ViewTest, NoSecondFlowStartsWhileAJobRuns) {
    const std::string plain = PathOf("busy.txt");
    const std::string locked = PathOf("busy.kst");
    WriteAll(plain, "x");
    WriteAll(locked, LockedHead("busy.txt", 0));
    m_view.m_bBusy = 1;  // as between the start of a job and its WM_JOB_DONE
    DialogDriver driver;
    driver.Expect(Acknowledge());
    driver.Expect(Acknowledge());
    m_view.m_strSource = Wide(plain);
    m_view.EncryptDroppedFile();
    m_view.m_strSource = Wide(locked);
    m_view.ReadLockedHeader();
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& box : shown) EXPECT_EQ(box.text, "Kestrine is busy with another file. Please wait until it has finished.");
    EXPECT_TRUE(m_view.m_pszKey.empty());
    m_view.m_bBusy = 0;
    ExpectAllAnswered(driver);
}

TEST_F(ViewTest, FileDialogsShowTheirTitlesFiltersAndProposedNames) {
    struct Case {
        int (CBlowfishView::*select)();
        const char* title;
        std::vector<std::string> types;
        const char* png;
    } const cases[] = {
        {&CBlowfishView::SelectSourceToEncrypt, "Select File to Encrypt",
         {"Text Files (*.txt)", "All Files (*.*)"}, "file_dialog_encrypt_source.png"},
        {&CBlowfishView::SelectDestToEncrypt, "Encrypted File",
         {"Locked Files (*.kst)", "All Files (*.*)"}, "file_dialog_encrypt_dest.png"},
        {&CBlowfishView::SelectSourceToDecrypt, "Select File to Decrypt",
         {"Locked Files (*.kst)", "All Files (*.*)"}, "file_dialog_decrypt_source.png"},
        {&CBlowfishView::SelectDestToDecrypt, "Decrypted File", {"All Files (*.*)"},
         "file_dialog_decrypt_dest.png"},
        {&CBlowfishView::SelectFileToShred, "Select File to Shred", {"All Files (*.*)"},
         "file_dialog_shred.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        m_view.m_strDest = L"report.txt";
        m_view.m_strSource = L"unchanged";
        std::vector<std::string> types;
        std::string proposed;
        bool captured = false;
        int result = -1;
        {
            kst_test::DialogActor actor(c.title, [&](HWND hDialog) {
                HWND typeCombo = ::GetDlgItem(hDialog, kFileTypeCombo);
                const int count = static_cast<int>(::SendMessageA(typeCombo, CB_GETCOUNT, 0, 0));
                for (int i = 0; i < count; ++i) {
                    char text[128] = {};
                    ::SendMessageA(typeCombo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                    types.emplace_back(text);
                }
                proposed = kst_test::WindowTextOf(kst_test::EditFieldOf(::GetDlgItem(hDialog, kFileNameCombo)));
                ::Sleep(300);  // let it paint
                captured = kst_test::SaveWindowPng(hDialog, kst_test::TestOutputDir() + "/" + c.png);
                ::PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(hDialog, IDCANCEL)));
            });
            result = (m_view.*c.select)();
            ASSERT_TRUE(actor.Found());
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(types, c.types);
        EXPECT_EQ(proposed, c.select == &CBlowfishView::SelectDestToDecrypt ? "report.txt" : "");
        EXPECT_TRUE(captured);
        // A cancelled dialog leaves its field as it was.
        EXPECT_EQ(Narrow(m_view.m_strSource), "unchanged");
        EXPECT_EQ(Narrow(m_view.m_strDest), "report.txt");
    }
}


TEST_F(ViewTest, ALongStoredNameIsProposedShortEnoughForItsFolder) {
    // A deep folder, so that the folder and the longest stored name together pass MAX_PATH.
    const std::string folder = m_dir + "\\" + std::string(120, 'd');
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string locked = folder + "\\long.kst";
    const std::string storedName = std::string(251, 'n') + ".txt";  // 255 bytes
    WriteAll(locked, LockedHead(storedName, 0));

    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDOK).WithCaption("Decrypted File"));  // accepts the proposal
    driver.Expect(Cancel(kPasswordCaption));
    m_view.m_strSource = Wide(locked);
    m_view.ReadLockedHeader();

    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 2u);
    const std::string proposed = FileNameShown(shown[0]);
    const std::string chosen = Narrow(m_view.m_strDest);
    EXPECT_LT(folder.size() + 1 + proposed.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(proposed.substr(proposed.size() - 4), ".txt") << "the extension is kept";
    EXPECT_EQ(proposed.find_first_not_of('n'), proposed.size() - 4);
    EXPECT_EQ(chosen, folder + "\\" + proposed);
    ExpectAllAnswered(driver);
    ::DeleteFileA(locked.c_str());
    ::RemoveDirectoryA(folder.c_str());
}

namespace {

// Answers only messages sent from other threads: a posted WM_JOB_DONE stays queued.
bool AnswerSentUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::PeekMessageA(&msg, nullptr, WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_REMOVE);
        ::Sleep(1);
    }
    return true;
}

}  // namespace

// The status line belongs to the user-interface thread: a hand-over that refreshes it while
// a job runs, or after the job has ended but before its WM_JOB_DONE is handled, shows the
// job's "Encrypting …" text, and only the handling of WM_JOB_DONE brings the closing text.
TEST(ViewStatus, TheJobsClosingTextReachesTheStatusLineOnlyThroughItsDoneMessage) {
    CWnd parent;
    GatedView view;
    ASSERT_TRUE(ShowViewOnParent(parent, view, "Kestrine status test"));
    auto statusLine = [&] {
        char text[MAX_PATH * 2] = {};
        ::GetDlgItemTextA(view.GetSafeHwnd(), IDC_STATUS, text, sizeof text);
        return std::string(text);
    };

    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string source = std::string(temp) + "kst_status_race.txt";
    const std::string locked = std::string(temp) + "kst_status_race.kst";
    WriteAll(source, std::string(3000, 's'));
    ::DeleteFileA(locked.c_str());
    const std::string running = "Encrypting " + source;

    DialogDriver driver;
    driver.Expect(ChooseFile("Select File to Encrypt", source));
    driver.Expect(ChooseFile("Encrypted File", locked));
    driver.Expect(EncryptPassword("race"));
    view.HoldJobs();
    view.SendMessage(WM_COMMAND, MAKEWPARAM(ID_ENCRYPT, BN_CLICKED), 0);
    ASSERT_EQ(view.m_bBusy, 1);
    ASSERT_TRUE(kst_test::PumpUntil([&] { return view.JobHeld(); }, kJobTimeoutMs));

    // Mid-job: a hand-over refreshes the controls from the fields.
    view.OnInitialUpdate();
    EXPECT_EQ(statusLine(), running);
    EXPECT_EQ(std::string(view.m_strStatus), running);

    // The job ends and posts WM_JOB_DONE; until that is handled nothing has changed.
    view.ReleaseJobs();
    ASSERT_TRUE(AnswerSentUntil([&] { return view.JobEndText() != nullptr; }, kJobTimeoutMs));
    view.OnInitialUpdate();
    EXPECT_EQ(statusLine(), running);
    EXPECT_EQ(std::string(view.m_strStatus), running);

    ASSERT_TRUE(kst_test::PumpUntil([&] { return !view.m_bBusy; }, kJobTimeoutMs));
    EXPECT_EQ(statusLine(), "Done Encrypting");
    EXPECT_EQ(std::string(view.m_strStatus), "Done Encrypting");
    EXPECT_EQ(driver.PendingAnswers(), 0u);

    view.DestroyWindow();
    parent.DestroyWindow();
    kst_test::PumpPending();
    ::DeleteFileA(source.c_str());
    ::DeleteFileA(locked.c_str());
}
