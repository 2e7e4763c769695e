// "Encrypt with Kestrine" and "Shred with Kestrine" as Explorer offers them: the entries a
// start registers for the user, the switches they start the program with, the flows those
// run, and the hand-over of a switch to the program that already runs.
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app_messages.h"
#include "dialog_driver.h"
#include "instance_handover.h"
#include "registry_values.h"
#include "started_program.h"
#include "wide_paths.h"

using namespace kst_test;

namespace {

constexpr char kShellKey[] = "Software\\Classes\\*\\shell";
constexpr char kBusyRefusal[] = "Kestrine is busy with another file. Please wait until it has finished.";

std::string ExePath() {
    char exe[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return exe;
}

// Every key and value below HKEY_CURRENT_USER\<subKey>, one line each, in the registry's order.
void DescribeKey(HKEY hParent, const std::string& subKey, const std::string& name, std::string& out) {
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hParent, subKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS) return;
    out += "[" + name + "]\n";
    for (DWORD i = 0;; ++i) {
        char valueName[256] = {};
        BYTE data[1024] = {};
        DWORD nameSize = sizeof valueName, dataSize = sizeof data, type = 0;
        if (::RegEnumValueA(hKey, i, valueName, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
        out += std::string(valueName) + "=" + std::to_string(type) + ":" +
               std::string(reinterpret_cast<char*>(data), dataSize) + "\n";
    }
    for (DWORD i = 0;; ++i) {
        char child[256] = {};
        DWORD childSize = sizeof child;
        if (::RegEnumKeyExA(hKey, i, child, &childSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DescribeKey(hKey, child, name + "\\" + child, out);
    }
    ::RegCloseKey(hKey);
}

std::string DescribeShellKey() {
    std::string out;
    DescribeKey(HKEY_CURRENT_USER, kShellKey, kShellKey, out);
    return out;
}

bool Zeros(const std::string& bytes) { return bytes.find_first_not_of('\0') == std::string::npos; }

DialogAnswer ShredQuestion(int button) { return DialogAnswer::Press(button).WithCaption("Kestrine"); }

class ExplorerVerbTest : public StartedProgramTest {
protected:
    void SetUp() override {
        m_plain = TempFile("kst_verb_plain.txt");
        m_locked = TempFile("kst_verb_plain.kst");
        m_lockedByToolBar = TempFile("kst_verb_toolbar.kst");
        m_content = "Minutes of the meeting\r\n" + std::string(3000, '\xA7') + "end.";
        WriteAll(m_plain, m_content);
        for (const std::string& path : {m_locked, m_lockedByToolBar}) ::DeleteFileA(path.c_str());
    }
    void TearDown() override {
        StartedProgramTest::TearDown();
        for (const std::string& path : {m_plain, m_locked, m_lockedByToolBar}) ::DeleteFileA(path.c_str());
    }
    void ExpectAllAnswered(const DialogDriver& driver) {
        EXPECT_EQ(driver.PendingAnswers(), 0u);
        for (const auto& shown : driver.Shown())
            EXPECT_FALSE(shown.unexpected) << shown.caption << ": " << shown.text << " (pressed " << shown.pressed << ")";
    }
    // The locked file the tool bar's Encrypt makes of the same file with the same password,
    // its dialogs answered by the test's one driver.
    std::string LockedByToolBar(DialogDriver& driver, const std::string& password) {
        driver.Clear();
        driver.Expect(ChooseFile("Select File to Encrypt", m_plain));
        driver.Expect(ChooseFile("Encrypted File", m_lockedByToolBar));
        driver.Expect(EncryptPassword(password));
        ::SendMessageA(FrameWindow(), WM_COMMAND, MAKEWPARAM(ID_ENCRYPT, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Frame()->m_wndToolBar.GetSafeHwnd()));
        EXPECT_TRUE(WaitForJob());
        ExpectAllAnswered(driver);
        return ReadAll(m_lockedByToolBar);
    }
    std::string ShredQuestionText() const {
        return "Shred kst_verb_plain.txt? Its contents will be overwritten with zeros and cannot be recovered.";
    }

    std::string m_plain, m_locked, m_lockedByToolBar, m_content;
};

}  // namespace

TEST_F(ExplorerVerbTest, EveryStartRegistersBothEntriesForTheUserAndASecondWritesTheSameKeys) {
    for (const char* verb : {"Kestrine.Encrypt", "Kestrine.Shred"})
        ::SHDeleteKeyA(HKEY_CURRENT_USER, (std::string(kShellKey) + "\\" + verb).c_str());
    ASSERT_TRUE(Start({}));
    const std::string exe = ExePath();
    const struct {
        const char* key;
        const char* text;
        const char* command;
    } entries[] = {{"Kestrine.Encrypt", "Encrypt with Kestrine", " /encrypt \"%1\""},
                   {"Kestrine.Shred", "Shred with Kestrine", " /shred \"%1\""}};
    for (const auto& entry : entries) {
        // Read back where the program wrote them: this platform's classes root does not show
        // the user's classes.
        const std::string key = std::string(kShellKey) + "\\" + entry.key;
        EXPECT_EQ(DefaultValue(HKEY_CURRENT_USER, key), entry.text);
        EXPECT_EQ(DefaultValue(HKEY_CURRENT_USER, key + "\\command"), "\"" + exe + "\"" + entry.command);
        EXPECT_EQ(DefaultValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\*\\shell\\" + std::string(entry.key)),
                  "<missing>")
            << "written for the user only";
    }
    const std::string first = DescribeShellKey();
    Stop();

    ASSERT_TRUE(Start({}));
    EXPECT_EQ(DescribeShellKey(), first) << "the second start changed or added keys";
}

TEST_F(ExplorerVerbTest, EncryptSwitchLeadsThroughTheEncryptFlowToTheToolBarsLockedFile) {
    DialogDriver driver;
    driver.Expect(ChooseFile("Encrypted File", m_locked));
    driver.Expect(EncryptPassword("Kestrel 42"));
    ASSERT_TRUE(Start({"/encrypt", m_plain}));
    // The flow runs from the message loop, once the window is up.
    ASSERT_TRUE(driver.WaitForShown(2, 30000));
    EXPECT_TRUE(::IsWindowVisible(FrameWindow()));
    ASSERT_TRUE(WaitForJob());
    ExpectAllAnswered(driver);
    EXPECT_EQ(Narrow(View()->m_strSource), m_plain);
    EXPECT_EQ(StatusLine(), "Done Encrypting");
    const std::string locked = ReadAll(m_locked);
    EXPECT_EQ(locked.substr(0, 4), "BLOW");
    EXPECT_TRUE(locked == LockedByToolBar(driver, "Kestrel 42")) << "not the tool bar's locked file";
}

TEST_F(ExplorerVerbTest, ShredSwitchAsksFirstAndNoLeavesTheFileAsItWas) {
    DialogDriver driver;
    driver.Expect(ShredQuestion(IDNO));
    ASSERT_TRUE(Start({"-SHRED", m_plain}));
    ASSERT_TRUE(driver.WaitForShown(1, 30000));
    PumpPending();
    const ShownDialog question = driver.Shown()[0];
    EXPECT_EQ(question.text, ShredQuestionText());
    EXPECT_EQ(question.caption, "Kestrine");
    EXPECT_EQ(question.defaultButton, IDNO) << "No is the default";
    std::vector<int> buttons;
    for (const auto& control : question.controls)
        if (control.first == IDYES || control.first == IDNO || control.first == IDOK || control.first == IDCANCEL)
            buttons.push_back(control.first);
    EXPECT_EQ(buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(View()->m_bBusy, 0);
    EXPECT_TRUE(ReadAll(m_plain) == m_content) << "the file changed";
    EXPECT_EQ(StatusLine(), "") << "no job started";
    ExpectAllAnswered(driver);
}

TEST_F(ExplorerVerbTest, ShredSwitchAnsweredYesOverwritesTheFileWithZeros) {
    DialogDriver driver;
    driver.Expect(ShredQuestion(IDYES));
    ASSERT_TRUE(Start({"/shred", m_plain}));
    ASSERT_TRUE(driver.WaitForShown(1, 30000));
    ASSERT_TRUE(PumpUntil([&] { return View()->m_bBusy == 0 && StatusLine() == "Done Shredding"; }, kJobTimeoutMs));
    const std::string after = ReadAll(m_plain);
    EXPECT_EQ(after.size(), m_content.size());
    EXPECT_TRUE(Zeros(after));
    ExpectAllAnswered(driver);
}

TEST_F(ExplorerVerbTest, EachSwitchHandedOverToTheRunningProgramRunsItsFlowThere) {
    ASSERT_TRUE(Start({}));
    DialogDriver driver;
    driver.Expect(ChooseFile("Encrypted File", m_locked));
    driver.Expect(EncryptPassword("handed over"));
    ASSERT_TRUE(SendVerbRequest(FrameWindow(), "encrypt", Wide(m_plain)));
    ASSERT_TRUE(driver.WaitForShown(2, 30000));
    ASSERT_TRUE(WaitForJob());
    EXPECT_TRUE(ReadAll(m_locked) == LockedByToolBar(driver, "handed over")) << "not the tool bar's locked file";

    driver.Clear();
    driver.Expect(ShredQuestion(IDNO));
    ASSERT_TRUE(SendVerbRequest(FrameWindow(), "shred", Wide(m_plain)));
    ASSERT_TRUE(driver.WaitForShown(1, 30000));
    EXPECT_EQ(driver.Shown()[0].text, ShredQuestionText());
    PumpPending();
    EXPECT_TRUE(ReadAll(m_plain) == m_content) << "the file changed";

    driver.Clear();
    driver.Expect(ShredQuestion(IDYES));
    ASSERT_TRUE(SendVerbRequest(FrameWindow(), "shred", Wide(m_plain)));
    ASSERT_TRUE(driver.WaitForShown(1, 30000));
    ASSERT_TRUE(PumpUntil([&] { return View()->m_bBusy == 0 && StatusLine() == "Done Shredding"; }, kJobTimeoutMs));
    EXPECT_TRUE(Zeros(ReadAll(m_plain)));
    ExpectAllAnswered(driver);
}

TEST_F(ExplorerVerbTest, WhileAJobRunsBothSwitchesWaitAndRunInOrderWhenItHasEnded) {
    ASSERT_TRUE(Start({}));
    View()->m_strSource = L"C:\\job\\source.txt";
    View()->m_bBusy = 1;  // as between the start of a job and its end
    DialogDriver driver;
    ASSERT_TRUE(SendVerbRequest(FrameWindow(), "encrypt", Wide(m_plain)));
    ASSERT_TRUE(SendVerbRequest(FrameWindow(), "shred", Wide(m_plain)));
    PumpUntil([] { return false; }, 1500);
    EXPECT_TRUE(driver.Shown().empty()) << "while the job runs: " << driver.Shown()[0].text;
    EXPECT_EQ(Narrow(View()->m_strSource), "C:\\job\\source.txt");
    EXPECT_EQ(Frame()->WaitingShellRequests().size(), 2u);

    driver.Expect(Cancel("Encrypted File"));
    driver.Expect(ShredQuestion(IDNO));
    ::PostMessageA(View()->GetSafeHwnd(), WM_JOB_DONE, 0, 0);
    ASSERT_TRUE(driver.WaitForShown(2, 30000));
    PumpPending();
    EXPECT_EQ(driver.Shown()[0].caption, "Encrypted File");
    EXPECT_EQ(driver.Shown()[1].text, ShredQuestionText());
    ExpectAllAnswered(driver);
    EXPECT_TRUE(Frame()->WaitingShellRequests().empty());
    EXPECT_TRUE(ReadAll(m_plain) == m_content) << "the file changed";
}

// A log-off while a job runs or handed-over files wait would drop them without a word: the
// session is held up, without a dialog, until the work is done, unless it must end.
TEST_F(ExplorerVerbTest, TheSessionWaitsWhileAJobRunsOrHandedOverFilesWaitUnlessItMustEnd) {
    ASSERT_TRUE(Start({}));
    const HWND hFrame = FrameWindow();
    constexpr LPARAM kLogOff = ENDSESSION_LOGOFF, kCritical = 0x40000000;
    EXPECT_TRUE(::SendMessageA(hFrame, WM_QUERYENDSESSION, 0, kLogOff)) << "idle";
    View()->m_bBusy = 1;  // a job runs
    EXPECT_FALSE(::SendMessageA(hFrame, WM_QUERYENDSESSION, 0, kLogOff)) << "while a job runs";
    ASSERT_TRUE(SendVerbRequest(hFrame, "shred", Wide(m_plain)));
    View()->m_bBusy = 0;  // the job's end has not been handled yet: the file still waits
    EXPECT_FALSE(::SendMessageA(hFrame, WM_QUERYENDSESSION, 0, kLogOff)) << "while a file waits";
    EXPECT_TRUE(::SendMessageA(hFrame, WM_QUERYENDSESSION, 0, kLogOff | kCritical)) << "an end nobody may hold up";

    DialogDriver driver;
    driver.Expect(ShredQuestion(IDNO));
    View()->m_bBusy = 1;
    ::PostMessageA(View()->GetSafeHwnd(), WM_JOB_DONE, 0, 0);
    ASSERT_TRUE(driver.WaitForShown(1, 30000));
    PumpPending();
    ExpectAllAnswered(driver);
    EXPECT_TRUE(::SendMessageA(hFrame, WM_QUERYENDSESSION, 0, kLogOff)) << "once the waiting file was taken up";
    EXPECT_TRUE(ReadAll(m_plain) == m_content);
}

TEST_F(ExplorerVerbTest, TenFilesHandedOverAtOnceAreAllShreddedEachAfterItsOwnQuestion) {
    ASSERT_TRUE(Start({}));
    std::vector<std::string> files;
    for (int i = 0; i < 10; ++i) {
        files.push_back(TempFile(("kst_verb_ten_" + std::to_string(i) + ".bin").c_str()));
        WriteAll(files.back(), std::string(300000 + i, char('a' + i)));
    }
    DialogDriver driver;
    for (size_t i = 0; i < files.size(); ++i) driver.Expect(ShredQuestion(IDYES));
    // As ten starts of the program hand their files over, each from its own process.
    std::vector<std::thread> starts;
    std::vector<int> accepted(files.size(), 0);
    for (size_t i = 0; i < files.size(); ++i)
        starts.emplace_back([&, i] { accepted[i] = SendVerbRequest(FrameWindow(), "shred", Wide(files[i])) ? 1 : 0; });
    const auto allZeros = [&] {
        for (const std::string& file : files)
            if (!Zeros(ReadAll(file))) return false;
        return true;
    };
    const bool bDone = PumpUntil([&] { return driver.Shown().size() == files.size() && View()->m_bBusy == 0 && allZeros(); },
                                 kJobTimeoutMs);
    for (std::thread& start : starts) start.join();
    EXPECT_TRUE(bDone);
    EXPECT_EQ(accepted, std::vector<int>(files.size(), 1)) << "a hand-over was turned away";
    ExpectAllAnswered(driver);
    std::vector<std::string> asked;
    for (const auto& shown : driver.Shown()) asked.push_back(shown.text);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string name = files[i].substr(files[i].find_last_of('\\') + 1);
        EXPECT_EQ(std::count(asked.begin(), asked.end(),
                             "Shred " + name + "? Its contents will be overwritten with zeros and cannot be recovered."),
                  1)
            << name;
        EXPECT_EQ(ReadAll(files[i]).size(), 300000 + i);
        EXPECT_TRUE(Zeros(ReadAll(files[i]))) << name << " kept its content";
        ::DeleteFileA(files[i].c_str());
    }
}

TEST_F(ExplorerVerbTest, ClosingTakesNoFileAndNamesTheWaitingOnesAndItsQuestionGoesWhenTheJobEnds) {
    ASSERT_TRUE(Start({}));
    const HWND hFrame = FrameWindow();
    const std::string other = TempFile("kst_verb_other.txt");
    WriteAll(other, "other words");
    View()->m_bBusy = 1;  // a job runs
    ASSERT_TRUE(SendVerbRequest(hFrame, "shred", Wide(m_plain)));
    ASSERT_TRUE(SendVerbRequest(hFrame, "encrypt", Wide(other)));
    PumpPending();

    DialogDriver driver;
    driver.Expect(DialogAnswer::LeaveOpen().WithCaption("Kestrine"));
    driver.Expect(Acknowledge());
    // What another start sees while the question is up; then the job ends.
    bool bHandedOver = true, bFindable = true, bQuestionUp = false;
    std::thread elsewhere([&] {
        bQuestionUp = driver.WaitForShown(1, 30000);
        bFindable = ::GetPropA(hFrame, "Kestrine.MainWindow") != nullptr;
        bHandedOver = SendVerbRequest(hFrame, "shred", Wide(other));
        ::PostMessageA(View()->GetSafeHwnd(), WM_JOB_DONE, 0, 0);
        // A question that stays is answered here after a while, so that a fault fails the
        // test instead of hanging it.
        for (int waited = 0; waited < 150 && ::IsWindow(hFrame); ++waited) ::Sleep(100);
        if (::IsWindow(hFrame)) ::PostMessageA(::GetLastActivePopup(hFrame), WM_COMMAND, IDYES, 0);
    });
    ::PostMessageA(hFrame, WM_CLOSE, 0, 0);
    const bool bClosed = PumpUntil([&] { return !::IsWindow(hFrame); }, 30000);
    elsewhere.join();
    ASSERT_TRUE(bClosed) << "the question did not go when the job ended";
    EXPECT_TRUE(bQuestionUp);
    EXPECT_FALSE(bFindable) << "a closing window was still marked as the running program";
    EXPECT_FALSE(bHandedOver) << "a closing window took a file";
    const auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text,
              "Kestrine is still processing information.\nClosing could lose this information.\n\nContinue closing?");
    EXPECT_EQ(shown[1].text, "Kestrine closed before it took up these files. Nothing was done to them:\n\nShred with "
                             "Kestrine: " + m_plain + "\nEncrypt with Kestrine: " + other);
    EXPECT_TRUE(ReadAll(m_plain) == m_content);
    EXPECT_EQ(ReadAll(other), "other words");
    ::DeleteFileA(other.c_str());
}

TEST_F(ExplorerVerbTest, ClosingAnsweredNoKeepsTheWaitingFilesAndTakesHandOversAgain) {
    ASSERT_TRUE(Start({}));
    const HWND hFrame = FrameWindow();
    View()->m_bBusy = 1;
    ASSERT_TRUE(SendVerbRequest(hFrame, "shred", Wide(m_plain)));
    DialogDriver driver;
    driver.Expect(DialogAnswer::Press(IDNO).WithCaption("Kestrine"));
    ::SendMessageA(hFrame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(driver.WaitForShown(1, 30000));
    PumpPending();
    ASSERT_TRUE(::IsWindow(hFrame));
    EXPECT_NE(::GetPropA(hFrame, "Kestrine.MainWindow"), nullptr) << "the window stays, and so does its mark";
    ASSERT_TRUE(SendVerbRequest(hFrame, "shred", Wide(m_plain))) << "the window stays and takes files again";

    driver.Expect(ShredQuestion(IDYES));
    driver.Expect(ShredQuestion(IDYES));
    ::PostMessageA(View()->GetSafeHwnd(), WM_JOB_DONE, 0, 0);
    ASSERT_TRUE(driver.WaitForShown(3, 30000));
    ASSERT_TRUE(PumpUntil([&] { return View()->m_bBusy == 0 && Frame()->WaitingShellRequests().empty() && driver.Shown().size() == 3; },
                          kJobTimeoutMs));
    ASSERT_TRUE(WaitForJob());
    EXPECT_TRUE(Zeros(ReadAll(m_plain)));
    ExpectAllAnswered(driver);
}

TEST_F(ExplorerVerbTest, AMissingFileIsReportedAndNothingStarts) {
    const std::string missing = TempFile("kst_verb_no_such_file.txt");
    ::DeleteFileA(missing.c_str());
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    for (const char* verb : {"/encrypt", "/shred"}) {
        for (const std::string& path : {missing, std::string(folder)}) {
            DialogDriver driver;
            driver.Expect(DialogAnswer::Press(IDOK).WithCaption("Kestrine"));
            ASSERT_TRUE(Start({verb, path})) << "the window stays, as after any refused file";
            ASSERT_TRUE(driver.WaitForShown(1, 30000));
            PumpPending();
            EXPECT_EQ(driver.Shown()[0].text, "Kestrine cannot find the file \"" + path + "\".") << verb;
            EXPECT_EQ(View()->m_bBusy, 0);
            ExpectAllAnswered(driver);
            Stop();
        }
    }
}

TEST_F(ExplorerVerbTest, ACommandLineItCannotTakeIsRefusedBeforeAnyWindow) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"/frobnicate", "a.txt"},
         "Kestrine does not know the switch \"/frobnicate\".\n\nIt takes /encrypt FILE, /shred FILE, the name of a "
         "locked file, /register or /unregister."},
        {{"/shred"}, "The switch /shred takes the name of one file."},
        {{"/encrypt", "a.txt", "b.txt"}, "The switch /encrypt takes the name of one file."},
        {{"/encrypt", "/shred", "a.txt"}, "The switch /shred takes the name of one file."},
        {{"/encrypt", "a.txt", "/p"}, "The switch /encrypt takes the name of one file."},
        {{"/register", "a.txt"}, "The switch /register stands alone: it takes no file and no other switch."},
        {{"/unregister", "/register"}, "The switch /register stands alone: it takes no file and no other switch."},
        {{"/shred", "a.txt", "/unregister"}, "The switch /unregister stands alone: it takes no file and no other switch."},
    };
    for (const auto& c : cases) {
        DialogDriver driver;
        driver.Expect(DialogAnswer::Press(IDOK).WithCaption("Kestrine"));
        EXPECT_EQ(StartWithoutWindow(c.args), 2) << c.message;
        ASSERT_EQ(driver.Shown().size(), 1u) << c.message;
        EXPECT_EQ(driver.Shown()[0].text, c.message);
        EXPECT_EQ(m_app->m_pMainWnd, nullptr);
        Stop();
    }
}

TEST(VerbRequest, AProgramThatKnowsOnlyOpenRequestsTurnsItAwayInsteadOfOpeningTheFile) {
    // What an older running program does with WM_COPYDATA: it reads open requests only.
    static COPYDATASTRUCT s_received{};
    static std::string s_bytes;
    struct OlderProgram {
        static LRESULT CALLBACK Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
            if (nMsg != WM_COPYDATA) return ::DefWindowProcA(hWnd, nMsg, wParam, lParam);
            const auto* pData = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            s_received = *pData;
            s_bytes.assign(static_cast<const char*>(pData->lpData), pData->cbData);
            s_received.lpData = &s_bytes[0];
            std::wstring path;
            return ReadOpenRequest(pData, path) ? TRUE : FALSE;
        }
    };
    WNDCLASSA wc{};
    wc.lpfnWndProc = &OlderProgram::Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "KestrineOlderProgram";
    ::RegisterClassA(&wc);
    HWND hOlder = ::CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    wc.hInstance, nullptr);
    ASSERT_NE(hOlder, nullptr);
    EXPECT_FALSE(SendVerbRequest(hOlder, "shred", L"C:\\data\\report.kst"))
        << "a ready answer would have made it open the locked file to decrypt";
    std::string verb;
    std::wstring path;
    ASSERT_TRUE(ReadVerbRequest(&s_received, verb, path));
    EXPECT_EQ(verb, "shred");
    EXPECT_EQ(path, L"C:\\data\\report.kst");
    ::DestroyWindow(hOlder);
}
