// The framework basics the jobs stand on.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "cstring.h"
#include "dialog_driver.h"
#include "file.h"
#include "message_box.h"
#include "message_pump.h"
#include "thread.h"
#include "win_app.h"
#include "wnd.h"
#include "wide_paths.h"

namespace {

class CAnimal : public CObject {
    DECLARE_DYNAMIC(CAnimal)
};
class CBird : public CAnimal {
    DECLARE_DYNAMIC(CBird)
};
IMPLEMENT_DYNAMIC(CAnimal, CObject)
IMPLEMENT_DYNAMIC(CBird, CAnimal)

std::string TempPath(const char* name) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

}  // namespace

TEST(RunTimeClass, IsKindOfWalksTheBaseClassesOnly) {
    CBird bird;
    CAnimal animal;
    EXPECT_TRUE(bird.IsKindOf(RUNTIME_CLASS(CBird)));
    EXPECT_TRUE(bird.IsKindOf(RUNTIME_CLASS(CAnimal)));
    EXPECT_TRUE(bird.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(animal.IsKindOf(RUNTIME_CLASS(CBird)));
    EXPECT_FALSE(bird.IsKindOf(RUNTIME_CLASS(CFile)));
    EXPECT_STREQ(bird.GetRuntimeClass()->m_lpszClassName, "CBird");
}

TEST(String, BehavesAsAValue) {
    CString a("Encrypting "), b = a;
    b += "c:\\x.txt";
    EXPECT_EQ(a, "Encrypting ");
    EXPECT_EQ(b.GetLength(), 19);
    EXPECT_EQ(a + "c:\\x.txt", b);
    EXPECT_TRUE(CString("abc") < CString("abd"));
    EXPECT_EQ(CString("file.KsT").Right(4).MakeUpper(), ".KST");
    EXPECT_EQ(CString("ab").Right(5), "ab");
    EXPECT_EQ(CString(static_cast<const char*>(nullptr)), "");
    CString formatted;
    formatted.Format("%s %d", "v", 3);
    EXPECT_STREQ(static_cast<const char*>(formatted), "v 3");
}

TEST(String, SecureEmptyOverwritesTheCharactersItDrops) {
    for (const char* text : {"hunter2", "a password long enough to live on the heap, not in the object"}) {
        CString secret(text);
        const char* bytes = secret.GetString();
        const size_t length = std::strlen(text);
        secret.SecureEmpty();
        EXPECT_TRUE(secret.IsEmpty());
        // Emptying keeps the buffer: what it held must be zeros now, not the old text.
        EXPECT_EQ(secret.GetString(), bytes);
        EXPECT_EQ(std::string(bytes, length), std::string(length, '\0')) << text;
    }
}

TEST(File, ReadWriteSeekAndNamesWith64BitPositions) {
    const std::string path = TempPath("kst-framework-file.bin");
    {
        CFile file;
        ASSERT_TRUE(file.Open(kst_test::Wide(path), CFile::modeCreate | CFile::modeReadWrite));
        EXPECT_EQ(file.GetFileName(), L"kst-framework-file.bin");
        EXPECT_EQ(file.GetFilePath(), kst_test::Wide(path));
        EXPECT_TRUE(file.Write("0123456789", 10));
        EXPECT_TRUE(file.Flush());
        EXPECT_EQ(file.GetLength(), 10u);
        EXPECT_EQ(file.Seek(-3, CFile::end), 7u);
        char tail[8] = {};
        UINT got = 0;
        EXPECT_TRUE(file.Read(tail, sizeof tail, got));
        EXPECT_EQ(got, 3u);
        EXPECT_STREQ(tail, "789");
        EXPECT_EQ(file.Seek(2, CFile::begin), 2u);
        EXPECT_EQ(file.Seek(1, CFile::current), 3u);
        EXPECT_EQ(file.GetPosition(), 3u);
        // Positions beyond 4 GiB do not wrap.
        EXPECT_EQ(file.Seek(int64_t(5) << 30, CFile::begin), uint64_t(5) << 30);

        // Held without sharing: nobody else may open it meanwhile.
        CFile other;
        EXPECT_FALSE(other.Open(kst_test::Wide(path), CFile::modeRead));
        other.Abort();
    }
    CFile again;
    EXPECT_TRUE(again.Open(kst_test::Wide(path), CFile::modeRead)) << "the destructor closed it";
    again.Close();
    EXPECT_FALSE(again.Open(kst_test::Wide(TempPath("kst-no-such-file")), CFile::modeReadWrite));
    ::DeleteFileA(path.c_str());
}

TEST(File, NameIsTheLastComponentOfAnyPathForm) {
    CFile file;
    file.Open(L"C:\\dir\\sub/name.ext", CFile::modeRead);
    EXPECT_EQ(file.GetFileName(), L"name.ext");
    file.Open(L"D:bare", CFile::modeRead);
    EXPECT_EQ(file.GetFileName(), L"bare");
    // Wide text has no trail bytes to mistake for separators, and any character.
    file.Open(L"C:\\\u8868\u30BD\\\u041E\u0442\u0447\u0451\u0442 \U0001F4C4.txt", CFile::modeRead);
    EXPECT_EQ(file.GetFileName(), L"\u041E\u0442\u0447\u0451\u0442 \U0001F4C4.txt");
}

TEST(Thread, WorkerKnowsItsThreadObjectAndTheObjectGoesAwayWithIt) {
    static std::atomic<bool> sawItself{false};
    static std::atomic<bool> ended{false};
    EXPECT_EQ(AfxGetThread(), nullptr) << "not a framework thread";
    struct Probe {
        static UINT Run(LPVOID param) {
            CWinThread* self = AfxGetThread();
            sawItself = self != nullptr && self->m_nThreadID == ::GetCurrentThreadId() &&
                        self->IsKindOf(RUNTIME_CLASS(CWinThread)) && param == &ended;
            ended = true;
            return 7;
        }
    };
    CWinThread* thread = AfxBeginThread(Probe::Run, &ended, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    // Suspended: the object is still ours to inspect; take a handle of our own to wait on.
    const HANDLE objectsHandle = thread->m_hThread;
    HANDLE handle = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread->m_hThread, ::GetCurrentProcess(), &handle, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    thread->ResumeThread();
    EXPECT_EQ(::WaitForSingleObject(handle, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    ::GetExitCodeThread(handle, &exitCode);
    ::CloseHandle(handle);
    EXPECT_EQ(exitCode, 7u);
    EXPECT_TRUE(sawItself);
    // The object closed its handle to the thread as it was deleted.
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(objectsHandle, &flags)) << "the thread object is still there";
}

TEST(AppMessageBox, CaptionIsTheApplicationName) {
    kst_test::DialogDriver driver;
    driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    // No application object and no title string in this program: the executable's name.
    EXPECT_STREQ(AfxGetAppName(), "framework_tests");
    EXPECT_EQ(AfxMessageBox("Hello."), IDOK);
    AfxSetAppName("Other");
    driver.Expect(kst_test::DialogAnswer::Press(IDYES));
    EXPECT_EQ(AfxMessageBox("Sure?", MB_YESNO), IDYES);
    AfxSetAppName(nullptr);
    auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "framework_tests");
    EXPECT_EQ(shown[0].text, "Hello.");
    EXPECT_EQ(shown[1].caption, "Other");
}

// A job's error comes from its worker thread, which has no active window: the box must
// still belong to the main window, so that a click on the window cannot hide it behind.
TEST(AppMessageBox, AWorkersBoxIsOwnedByTheMainWindowWhichItDisables) {
    HWND hMain = ::CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hMain, nullptr);
    CWinApp app("Owner test");
    CWnd mainWnd;
    ASSERT_TRUE(mainWnd.Attach(hMain));
    app.m_pMainWnd = &mainWnd;
    kst_test::DialogDriver driver;
    driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    struct Worker {
        static UINT Run(LPVOID) { return static_cast<UINT>(AfxMessageBox("Error writing the encrypted file.")); }
    };
    CWinThread* thread = AfxBeginThread(Worker::Run, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    thread->ResumeThread();
    // This thread owns the main window and keeps its messages flowing meanwhile.
    EXPECT_TRUE(driver.WaitForShown(1, 20000));
    EXPECT_TRUE(kst_test::PumpUntil([&] { return ::WaitForSingleObject(thread->m_hThread, 0) == WAIT_OBJECT_0; }, 20000));
    delete thread;
    auto shown = driver.Shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].threadId, ::GetCurrentThreadId());
    EXPECT_EQ(shown[0].owner, hMain);
    EXPECT_FALSE(shown[0].ownerEnabled) << "the main window takes no input while the box is up";
    EXPECT_TRUE(::IsWindowEnabled(hMain)) << "and takes it again afterwards";
    app.m_pMainWnd = nullptr;
    mainWnd.Detach();
    ::DestroyWindow(hMain);
}

// A worker that showed a message box (a failed job) leaves per-thread framework state behind
// it; the process must still end. The helper does just that and must be gone in time.
TEST(Thread, AProcessEndsAfterAWorkerThatShowedAMessageBox) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = self;
    command = "\"" + command.substr(0, command.find_last_of('\\') + 1) + "worker_box_helper.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    if (waited != WAIT_OBJECT_0) ::TerminateProcess(process.hProcess, 9);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the process is still there after its main function returned";
    EXPECT_EQ(exitCode, 0u) << "the helper's box was not shown and answered";
}
