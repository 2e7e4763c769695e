// What the command line asks of the program, and the path handed from a second start.
#include "command_line_info.h"
#include "instance_handover.h"
#include "message_box.h"
#include "shell_verbs.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

TEST(CommandLine, NoArgumentMeansNewDocumentOneFileMeansOpen) {
    CCommandLineInfo none;
    ParseCommandLineArgs({}, none);
    EXPECT_EQ(none.m_nShellCommand, CCommandLineInfo::FileNew);
    EXPECT_TRUE(none.m_strFileName.empty());

    CCommandLineInfo one;
    ParseCommandLineArgs({"C:\\data\\report.kst"}, one);
    EXPECT_EQ(one.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(one.m_strFileName, "C:\\data\\report.kst");
}

TEST(CommandLine, ShellPrintVerbsKeepTheFileAndIgnoreThePrinter) {
    CCommandLineInfo print;
    ParseCommandLineArgs({"/p", "a.kst"}, print);
    EXPECT_EQ(print.m_nShellCommand, CCommandLineInfo::FilePrint);
    EXPECT_EQ(print.m_strFileName, "a.kst");

    CCommandLineInfo printTo;
    ParseCommandLineArgs({"/pt", "a.kst", "printer", "driver", "port"}, printTo);
    EXPECT_EQ(printTo.m_nShellCommand, CCommandLineInfo::FilePrintTo);
    EXPECT_EQ(printTo.m_strFileName, "a.kst");

    CCommandLineInfo unknown;
    ParseCommandLineArgs({"-Embedding", "b.kst"}, unknown);
    EXPECT_EQ(unknown.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(unknown.m_strFileName, "b.kst");
}

TEST(OpenRequest, OnlyWellFormedRequestsAreRead) {
    char path[] = "C:\\x\\y.kst";
    COPYDATASTRUCT good{0x4B535430, sizeof path, path};
    std::string read;
    ASSERT_TRUE(ReadOpenRequest(&good, read));
    EXPECT_EQ(read, path);

    COPYDATASTRUCT otherTag = good;
    otherTag.dwData = 1;
    EXPECT_FALSE(ReadOpenRequest(&otherTag, read));

    char unterminated[] = {'a', 'b', 'c'};
    COPYDATASTRUCT noEnd{0x4B535430, sizeof unterminated, unterminated};
    EXPECT_FALSE(ReadOpenRequest(&noEnd, read));

    char embedded[] = {'a', '\0', 'b', '\0'};
    COPYDATASTRUCT embeddedZero{0x4B535430, sizeof embedded, embedded};
    EXPECT_FALSE(ReadOpenRequest(&embeddedZero, read));

    char empty[] = "";
    COPYDATASTRUCT emptyPath{0x4B535430, sizeof empty, empty};
    EXPECT_FALSE(ReadOpenRequest(&emptyPath, read));
    EXPECT_FALSE(ReadOpenRequest(nullptr, read));
}

TEST(CommandLine, TheProgramsSwitchesNameTheirVerbAndFileAndLeaveTheShellsAlone) {
    const struct {
        std::vector<std::string> args;
        CCommandLineInfo::ShellCommand command;
        const char* verb;
        const char* file;
    } cases[] = {
        {{"/encrypt", "C:\\data\\report.txt"}, CCommandLineInfo::FileVerb, "encrypt", "C:\\data\\report.txt"},
        {{"-Shred", "notes.txt"}, CCommandLineInfo::FileVerb, "shred", "notes.txt"},
        {{"notes.txt", "/SHRED"}, CCommandLineInfo::FileVerb, "shred", "notes.txt"},
        {{"C:\\data\\report.kst"}, CCommandLineInfo::FileOpen, "", "C:\\data\\report.kst"},
        {{"/p", "a.kst"}, CCommandLineInfo::FilePrint, "", "a.kst"},
        {{"/pt", "a.kst", "printer", "driver", "port"}, CCommandLineInfo::FilePrintTo, "", "a.kst"},
        {{}, CCommandLineInfo::FileNew, "", ""},
    };
    for (const auto& c : cases) {
        CKestrineCommandLineInfo info;
        ParseCommandLineArgs(c.args, info);
        const std::string first = c.args.empty() ? "(none)" : c.args[0];
        EXPECT_EQ(info.m_nShellCommand, c.command) << first;
        EXPECT_EQ(info.m_strVerb, c.verb) << first;
        EXPECT_EQ(info.m_strFileName, c.file) << first;
        EXPECT_EQ(info.Refusal(), "") << first;
    }
}

TEST(VerbRequest, OnlyWellFormedRequestsAreRead) {
    const auto request = [](ULONG_PTR tag, const std::string& bytes) {
        static std::string s_bytes;
        s_bytes = bytes;
        return COPYDATASTRUCT{tag, static_cast<DWORD>(s_bytes.size()), &s_bytes[0]};
    };
    const ULONG_PTR kVerbTag = 0x4B535431;
    std::string verb, path;
    COPYDATASTRUCT good = request(kVerbTag, std::string("shred\0C:\\x\\y.txt\0", 17));
    ASSERT_TRUE(ReadVerbRequest(&good, verb, path));
    EXPECT_EQ(verb, "shred");
    EXPECT_EQ(path, "C:\\x\\y.txt");

    const struct {
        const char* what;
        ULONG_PTR tag;
        std::string bytes;
    } bad[] = {
        {"an open request's tag", 0x4B535430, std::string("shred\0a\0", 8)},
        {"no path", kVerbTag, std::string("shred\0", 6)},
        {"an empty verb", kVerbTag, std::string("\0a.txt\0", 7)},
        {"an empty path", kVerbTag, std::string("shred\0\0", 7)},
        {"a third text", kVerbTag, std::string("shred\0a\0b\0", 10)},
        {"no end", kVerbTag, std::string("shred\0a.txt", 11)},
    };
    for (const auto& b : bad) {
        COPYDATASTRUCT data = request(b.tag, b.bytes);
        EXPECT_FALSE(ReadVerbRequest(&data, verb, path)) << b.what;
    }
    EXPECT_FALSE(ReadVerbRequest(nullptr, verb, path));
}

namespace {

// Another program whose window is marked as the running instance of `appName`; it keeps
// the window until this object goes.
class OtherRunningProgram {
public:
    explicit OtherRunningProgram(const std::string& appName) : m_process{}, m_input(nullptr), m_hWnd(nullptr) {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string command = path;
        command = "\"" + command.substr(0, command.find_last_of('\\') + 1) + "marked_window_helper.exe\" " + appName;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childInput = nullptr, output = nullptr, childOutput = nullptr;
        if (!::CreatePipe(&childInput, &m_input, &inherit, 0) || !::CreatePipe(&output, &childOutput, &inherit, 0))
            return;
        ::SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = childOutput;
        const BOOL started = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                              &startup, &m_process);
        ::CloseHandle(childInput);
        ::CloseHandle(childOutput);
        if (started) {
            char line[32] = {};
            DWORD got = 0;
            if (::ReadFile(output, line, sizeof line - 1, &got, nullptr))
                m_hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(line, nullptr, 10)));
        }
        ::CloseHandle(output);
    }
    ~OtherRunningProgram() {
        if (m_input != nullptr) ::CloseHandle(m_input);  // it ends when its input does
        if (m_process.hProcess != nullptr) {
            ::WaitForSingleObject(m_process.hProcess, 20000);
            ::CloseHandle(m_process.hProcess);
            ::CloseHandle(m_process.hThread);
        }
    }
    OtherRunningProgram(const OtherRunningProgram&) = delete;
    OtherRunningProgram& operator=(const OtherRunningProgram&) = delete;

    HWND Window() const { return m_hWnd; }

private:
    PROCESS_INFORMATION m_process;
    HANDLE m_input;
    HWND m_hWnd;
};

}  // namespace

TEST(OpenRequest, TheRunningInstanceIsAnotherProgramsMarkedWindowNeverOurOwn) {
    AfxSetAppName("KestrineHandOverTest");
    HWND own = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(own, nullptr);
    {
        OtherRunningProgram other("KestrineHandOverTest");
        ASSERT_NE(other.Window(), nullptr);
        EXPECT_EQ(FindRunningMainWindow(), other.Window());
        // Our own marked window is newer, so it comes first among the windows: still skipped.
        MarkRunningMainWindow(own, true);
        EXPECT_EQ(FindRunningMainWindow(), other.Window());
        OtherRunningProgram otherApplication("SomeOtherProgram");
        EXPECT_EQ(FindRunningMainWindow(), other.Window()) << "a window marked for another application";
    }
    EXPECT_EQ(FindRunningMainWindow(), nullptr) << "only our own window is left marked";
    MarkRunningMainWindow(own, false);
    DestroyWindow(own);
    AfxSetAppName(nullptr);
}
