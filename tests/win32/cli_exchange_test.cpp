// Locked files travel between kst and the program's jobs: what kst.exe writes decrypts
// through the decrypt job, what the encrypt job writes decrypts with kst.exe, and both
// write the same bytes. The NativeExchange cases do the same with the native kst, whose
// files a script (run_native_exchange.sh) lays out before and checks after.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "codec_fakes.h"
#include "file_protection.h"
#include "job_fixture.h"
#include "kst_exe.h"
#include "wide_paths.h"

using namespace kst_test;

namespace {

const char kPassword[] = "exchange secret";

std::vector<size_t> ExchangeLengths()
{
    // Every tail count, more than one of the program's read chunks, and more than one of
    // kst's pipeline chunks.
    return {0, 1, 7, 8, 9, 13, 16, 300001, (3u << 19) + 5};
}

// What a console shows: a row that ends in blanks ends its line, a full one runs on into
// the next row (a long line wraps there).
std::wstring ConsoleText(HANDLE screen) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(screen, &info)) return L"";
    std::wstring text;
    std::wstring row(size_t(info.dwSize.X), L' ');
    for (SHORT y = 0; y < info.dwSize.Y; ++y) {
        DWORD read = 0;
        if (!::ReadConsoleOutputCharacterW(screen, &row[0], DWORD(row.size()), COORD{0, y}, &read)) break;
        const std::wstring shown = row.substr(0, read);
        const size_t end = shown.find_last_not_of(L' ');
        text += end + 1 == shown.size() ? shown : shown.substr(0, end == std::wstring::npos ? 0 : end + 1) + L"\n";
    }
    return text.substr(0, text.find_last_not_of(L'\n') + 1);
}

}  // namespace

using KstExeAndJobs = JobTest;
using NativeExchange = JobTest;

TEST_F(KstExeAndJobs, KstExeWritesTheJobsBytesAndEachReadsTheOthersFiles) {
    WriteBytes(PathOf("password"), std::vector<uint8_t>(kPassword, kPassword + sizeof kPassword - 1));
    for (size_t length : ExchangeLengths()) {
        SCOPED_TRACE(length);
        const std::vector<uint8_t> plain = PatternBytes(length, static_cast<uint8_t>(length));
        WriteBytes(PathOf("report.doc"), plain);

        // The same file through kst.exe's pipeline of threads and through the encrypt job;
        // kst.exe decrypts below on one thread, through the codec.
        ASSERT_EQ(RunKstExe("encrypt " + Quoted(PathOf("report.doc")) + " -o " + Quoted(PathOf("by-kst.kst")) +
                            " --threads 2 --password-file " + Quoted(PathOf("password"))),
                  0u);
        Prepare(m_view, PathOf("report.doc"), PathOf("by-job.kst"), kPassword);
        RunJob(m_view, EncryptThreadProc);
        const std::vector<uint8_t> byKst = ReadBytes(PathOf("by-kst.kst"));
        ASSERT_EQ(byKst.size(), 6 + 10 + 8 * ((length + 7) / 8));
        EXPECT_EQ(byKst, ReadBytes(PathOf("by-job.kst")));

        // kst.exe's file through the decrypt job.
        m_view.m_nDataOffset = 5 + 10;
        Prepare(m_view, PathOf("by-kst.kst"), PathOf("from-kst.doc"), kPassword);
        RunJob(m_view, DecryptThreadProc);
        EXPECT_EQ(ReadBytes(PathOf("from-kst.doc")), plain);

        // The job's file through kst.exe, to its default name: the stored one, beside it.
        ::DeleteFileA(PathOf("report.doc").c_str());
        ASSERT_EQ(RunKstExe("decrypt " + Quoted(PathOf("by-job.kst")) + " --password-file " + Quoted(PathOf("password"))),
                  0u);
        EXPECT_EQ(ReadBytes(PathOf("report.doc")), plain);
        for (const char* name : {"report.doc", "by-kst.kst", "by-job.kst", "from-kst.doc"})
            ::DeleteFileA(PathOf(name).c_str());
    }
    EXPECT_TRUE(m_driver.Shown().empty());
}

TEST_F(KstExeAndJobs, KstExeRefusesWhatTheProgramWouldRefuse) {
    WriteBytes(PathOf("password"), std::vector<uint8_t>(kPassword, kPassword + sizeof kPassword - 1));
    WriteBytes(PathOf("plain"), PatternBytes(20, 1));
    WriteBytes(PathOf("plain.kst"), {'o', 'l', 'd'});
    const std::string passwordFile = " --password-file " + Quoted(PathOf("password"));
    EXPECT_EQ(RunKstExe("encrypt " + Quoted(PathOf("plain")) + passwordFile), 4u);
    EXPECT_EQ(ReadBytes(PathOf("plain.kst")), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(RunKstExe("decrypt " + Quoted(PathOf("plain")) + " -o " + Quoted(PathOf("out")) + passwordFile), 3u);
    EXPECT_EQ(RunKstExe("encrypt " + Quoted(m_dir) + " -o " + Quoted(PathOf("out")) + passwordFile), 1u);
    WriteBytes(PathOf("long"), std::vector<uint8_t>(57, 'x'));
    EXPECT_EQ(RunKstExe("encrypt " + Quoted(PathOf("plain")) + " -o " + Quoted(PathOf("out")) + " --password-file " +
                        Quoted(PathOf("long"))),
              2u);
    EXPECT_FALSE(FileExists(PathOf("out")));
    EXPECT_EQ(RunKstExe("shred " + Quoted(PathOf("plain"))), 0u);
    EXPECT_EQ(ReadBytes(PathOf("plain")), std::vector<uint8_t>(20, 0));
}

// A password file Notepad saved as "Unicode" (UTF-16 with its byte order mark) keys with
// the characters it holds in the ANSI code page, as the program's dialog keys what is typed.
TEST_F(KstExeAndJobs, KstExeKeysAUtf16PasswordFileAsThePasswordItHolds) {
    if (::GetACP() != 1252) GTEST_SKIP() << "the password's bytes here are those of code page 1252";
    const std::string notepad("\xFF\xFEp\0\xE4\0s\0s\0w\0o\0r\0t\0\r\0\n\0", 22);  // "pässwort"
    WriteBytes(PathOf("password"), std::vector<uint8_t>(notepad.begin(), notepad.end()));
    WriteBytes(PathOf("plain"), {'d', 'a', 't', 'a'});
    ASSERT_EQ(RunKstExe("encrypt " + Quoted(PathOf("plain")) + " -q --password-file " + Quoted(PathOf("password"))), 0u);
    EXPECT_EQ(ReadWide(Wide(PathOf("plain.kst"))), testing_codec::LockedText("data", "plain", "p\xE4sswort"));
}

// A file named outside the code page ("Отчёт 📄.txt" on code page 1252) is locked by
// kst.exe as the program locks it, unlocked to the name it proposes and to any name given,
// and shredded. With --code-page 1251 the stored name keeps the Cyrillic letters, and the
// name proposed from it is created as it reads, though the ANSI code page cannot spell it.
TEST_F(KstExeAndJobs, KstExeLocksUnlocksAndShredsFilesNamedOutsideTheCodePage) {
    if (::GetACP() != 1252) GTEST_SKIP() << "the names and stored names here are those of code page 1252";
    const std::wstring dir = Wide(m_dir) + L"\\";
    const std::string text = "Quarterly figures\r\n" + std::string(3000, 'q') + "\r\nend.";
    const std::wstring report = dir + kReportName;
    ASSERT_TRUE(WriteWide(report, text));
    WriteBytes(PathOf("password"), std::vector<uint8_t>(kPassword, kPassword + sizeof kPassword - 1));
    const std::wstring passwordFile = L" -q --password-file " + Quoted(Wide(PathOf("password")));

    ASSERT_EQ(RunKstExe(L"encrypt " + Quoted(report) + passwordFile), 0u);
    EXPECT_EQ(ReadWide(report + L".kst"), testing_codec::LockedText(text, kReportStored, kPassword));

    ASSERT_EQ(RunKstExe(L"decrypt " + Quoted(report + L".kst") + L" -o " + Quoted(dir + kDecryptedName) + passwordFile),
              0u);
    EXPECT_EQ(ReadWide(dir + kDecryptedName), text);
    ASSERT_EQ(RunKstExe(L"decrypt " + Quoted(report + L".kst") + passwordFile), 0u);
    EXPECT_EQ(ReadWide(dir + L"_____ _.txt"), text) << "the stored name, beside the locked file";

    const std::wstring cyrillic = L"\x041E\x0442\x0447\x0451\x0442 _.txt";
    ASSERT_EQ(RunKstExe(L"encrypt " + Quoted(report) + L" -o " + Quoted(dir + L"1251.kst") + L" --code-page 1251" +
                        passwordFile),
              0u);
    EXPECT_EQ(ReadWide(dir + L"1251.kst"), testing_codec::LockedText(text, "\xCE\xF2\xF7\xB8\xF2 _.txt", kPassword));
    ASSERT_EQ(RunKstExe(L"decrypt " + Quoted(dir + L"1251.kst") + L" --code-page 1251" + passwordFile), 0u);
    EXPECT_EQ(ReadWide(dir + cyrillic), text);

    ASSERT_EQ(RunKstExe(L"shred -q " + Quoted(report)), 0u);
    EXPECT_EQ(ReadWide(report), std::string(text.size(), '\0'));
    for (const std::wstring& name : {kReportName, kReportName + L".kst", kDecryptedName, std::wstring(L"_____ _.txt"),
                                     std::wstring(L"1251.kst"), cyrillic})
        EXPECT_TRUE(::DeleteFileW((dir + name).c_str())) << Narrow(name);
}

// Messages and info name a file whole on a console, which takes UTF-16. Redirected, they
// are text of the ANSI code page, as before and as the program's narrow texts are: the
// letters it has as its bytes, '?' for the others.
TEST_F(KstExeAndJobs, KstExeNamesFilesWholeOnAConsoleAndInTheCodePageWhenRedirected) {
    if (::GetACP() != 1252) GTEST_SKIP() << "the names here are spelled in code page 1252";
    const std::wstring locked = Wide(m_dir) + L"\\" + kReportName + L".kst";
    ASSERT_TRUE(WriteWide(locked, testing_codec::LockedText("shown", kReportStored, kPassword)));
    // "Отчёт pässwort.txt", which is not there.
    const std::wstring missing = Wide(m_dir) + L"\\\x041E\x0442\x0447\x0451\x0442 p\x00E4sswort.txt";

    ::FreeConsole();
    ASSERT_TRUE(::AllocConsole());
    const HANDLE screen = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RunKstExe(L"info " + Quoted(locked)), 0u);
    EXPECT_EQ(RunKstExe(L"encrypt " + Quoted(missing) + L" -q"), 1u);
    const std::wstring shown = ConsoleText(screen);
    ::CloseHandle(screen);
    ::FreeConsole();
    EXPECT_NE(shown.find(L"file:          " + Wide(m_dir) + L"\\\x041E\x0442\x0447\x0451\x0442 "), std::wstring::npos)
        << Narrow(shown);
    EXPECT_NE(shown.find(L"kst: " + missing + L": "), std::wstring::npos) << Narrow(shown);

    std::string output;
    std::string errors;
    EXPECT_EQ(RunKstExe(L"info " + Quoted(locked), &output), 0u);
    EXPECT_NE(output.find("file:          " + m_dir + "\\????? "), std::string::npos) << output;
    EXPECT_NE(output.find("stored name:   _____ _.txt (11 bytes, code page 1252)"), std::string::npos) << output;
    EXPECT_EQ(RunKstExe(L"encrypt " + Quoted(missing) + L" -q", nullptr, &errors), 1u);
    EXPECT_EQ(errors.find("kst: " + m_dir + "\\????? p\xE4sswort.txt: "), 0u) << errors;
    ::DeleteFileW(locked.c_str());
}

// Run by run_native_exchange.sh with KST_EXCHANGE_DIR set: files NAME.kst written by the
// native kst from plain files NAME must decrypt through the job; the encrypt job writes
// NAME.job.kst for the native kst to decrypt.
TEST_F(NativeExchange, NativeKstFilesDecryptThroughTheJobAndTheJobWritesFilesForIt) {
    const char* dir = std::getenv("KST_EXCHANGE_DIR");
    if (dir == nullptr || *dir == 0) GTEST_SKIP() << "run by run_native_exchange.sh";
    const std::string exchange = dir;
    int exchanged = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((exchange + "\\plain*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::string> names;
    do {
        const std::string name = found.cFileName;
        if (name.find('.') == std::string::npos) names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string plainPath = exchange + "\\" + name;
        m_view.m_nDataOffset = 5 + name.size();
        Prepare(m_view, plainPath + ".kst", PathOf("back"), kPassword);
        RunJob(m_view, DecryptThreadProc);
        EXPECT_EQ(ReadBytes(PathOf("back")), ReadBytes(plainPath));
        Prepare(m_view, plainPath, plainPath + ".job.kst", kPassword);
        RunJob(m_view, EncryptThreadProc);
        ++exchanged;
    }
    EXPECT_GE(exchanged, 3);
    EXPECT_TRUE(m_driver.Shown().empty());
}

// The plaintext of a locked file that only its owner may read is private too, through the
// decrypt job and through kst.exe, though any new file in its folder is readable by all;
// that of an ordinary locked file is as readable as any new file there.
TEST_F(KstExeAndJobs, APrivateLockedFileDecryptsToPrivatePlaintextAndAnOrdinaryOneToOrdinary) {
    WriteBytes(PathOf("password"), std::vector<uint8_t>(kPassword, kPassword + sizeof kPassword - 1));
    const std::vector<uint8_t> plain = PatternBytes(3000, 7);
    WriteBytes(PathOf("diary.txt"), plain);
    const std::string passwordFile = " --password-file " + Quoted(PathOf("password"));
    for (const char* locked : {"diary.kst", "open.kst"})
        ASSERT_EQ(RunKstExe("encrypt " + Quoted(PathOf("diary.txt")) + " -o " + Quoted(PathOf(locked)) + passwordFile),
                  0u);
    ASSERT_TRUE(kst_test::MakePrivate(PathOf("diary.kst")));
    ASSERT_FALSE(kst_test::OthersMayRead(PathOf("diary.kst"))) << "the test's own premise";

    m_view.m_nDataOffset = 5 + 9;
    Prepare(m_view, PathOf("diary.kst"), PathOf("by-job.txt"), kPassword);
    RunJob(m_view, DecryptThreadProc);
    EXPECT_EQ(ReadBytes(PathOf("by-job.txt")), plain);
    EXPECT_FALSE(kst_test::OthersMayRead(PathOf("by-job.txt")));
    ASSERT_EQ(RunKstExe("decrypt " + Quoted(PathOf("diary.kst")) + " -o " + Quoted(PathOf("by-kst.txt")) + passwordFile),
              0u);
    EXPECT_EQ(ReadBytes(PathOf("by-kst.txt")), plain);
    EXPECT_FALSE(kst_test::OthersMayRead(PathOf("by-kst.txt")));

    ASSERT_EQ(RunKstExe("decrypt " + Quoted(PathOf("open.kst")) + " -o " + Quoted(PathOf("open.txt")) + passwordFile),
              0u);
    EXPECT_EQ(kst_test::OthersMayRead(PathOf("open.txt")), kst_test::OthersMayRead(PathOf("password")));
    EXPECT_TRUE(m_driver.Shown().empty());
}

// kst.exe killed while it writes (TerminateProcess, as Task Manager ends a process) leaves
// no half-written file behind: its pending file is removed by the system, so the plaintext
// of a decryption cannot stay on the disk under a name nobody knows.
TEST_F(KstExeAndJobs, AKstExeKilledWhileItWritesLeavesNothing) {
    WriteBytes(PathOf("password"), std::vector<uint8_t>(kPassword, kPassword + sizeof kPassword - 1));
    // A locked file of 256 MiB: the header, then blocks (their content does not matter).
    const std::vector<uint8_t> head = {'B', 'L', 'O', 'W', 1, 'p', 0};
    WriteBytes(PathOf("big.kst"), head);
    HANDLE locked = ::CreateFileA(PathOf("big.kst").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = int64_t(head.size()) + (int64_t(256) << 20);
    ASSERT_TRUE(::SetFilePointerEx(locked, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(locked));
    ::CloseHandle(locked);

    std::string commandLine = Quoted(kst_test::WindowsPath(KST_EXE_PATH)) + " decrypt " + Quoted(PathOf("big.kst")) +
                              " -o " + Quoted(PathOf("p")) + " -q --password-file " + Quoted(PathOf("password"));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    // Killed as soon as its pending file holds bytes.
    bool writing = false;
    for (int i = 0; i < 20000 && !writing; ++i) {
        for (const std::string& name : FolderNames(m_dir)) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (name != "password" && name != "big.kst" &&
                ::GetFileAttributesExA(PathOf(name).c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0)
                writing = true;
        }
        if (!writing) ::Sleep(1);
    }
    EXPECT_TRUE(writing) << "kst.exe was killed while it wrote";
    ::TerminateProcess(process.hProcess, 9);
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(FolderNames(m_dir), (std::vector<std::string>{"big.kst", "password"}));
}
