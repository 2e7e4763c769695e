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
    ParseCommandLineArgs({L"C:\\data\\report.kst"}, one);
    EXPECT_EQ(one.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(one.m_strFileName, L"C:\\data\\report.kst");
}

TEST(CommandLine, ShellPrintVerbsKeepTheFileAndIgnoreThePrinter) {
    CCommandLineInfo print;
    ParseCommandLineArgs({L"/p", L"a.kst"}, print);
    EXPECT_EQ(print.m_nShellCommand, CCommandLineInfo::FilePrint);
    EXPECT_EQ(print.m_strFileName, L"a.kst");

    CCommandLineInfo printTo;
    ParseCommandLineArgs({L"/pt", L"a.kst", L"printer", L"driver", L"port"}, printTo);
    EXPECT_EQ(printTo.m_nShellCommand, CCommandLineInfo::FilePrintTo);
    EXPECT_EQ(printTo.m_strFileName, L"a.kst");

    CCommandLineInfo unknown;
    ParseCommandLineArgs({L"-Embedding", L"b.kst"}, unknown);
    EXPECT_EQ(unknown.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(unknown.m_strFileName, L"b.kst");
}

// A request as it travels: UTF-16 texts, each with its zero unit.
COPYDATASTRUCT Request(ULONG_PTR tag, const std::wstring& units) {
    static std::wstring s_units;
    s_units = units;
    return COPYDATASTRUCT{tag, static_cast<DWORD>(s_units.size() * sizeof(wchar_t)), &s_units[0]};
}

const ULONG_PTR kOpenTag = 0x4B535530;
const ULONG_PTR kVerbTag = 0x4B535531;

TEST(OpenRequest, OnlyWellFormedRequestsAreRead) {
    // A path with letters of no one code page, as a second start hands it over.
    const std::wstring path = L"C:\\x\\\u041E\u0442\u0447\u0451\u0442 \U0001F4C4.kst";
    std::wstring read;
    COPYDATASTRUCT good = Request(kOpenTag, path + L'\0');
    ASSERT_TRUE(ReadOpenRequest(&good, read));
    EXPECT_EQ(read, path);

    const struct {
        const char* what;
        ULONG_PTR tag;
        std::wstring units;
    } bad[] = {
        {"another tag", 1, path + L'\0'},
        {"an earlier version's narrow tag", 0x4B535430, path + L'\0'},
        {"no end", kOpenTag, L"abc"},
        {"an embedded zero", kOpenTag, std::wstring(L"a\0b\0", 4)},
        {"an empty path", kOpenTag, std::wstring(1, L'\0')},
    };
    for (const auto& b : bad) {
        COPYDATASTRUCT data = Request(b.tag, b.units);
        EXPECT_FALSE(ReadOpenRequest(&data, read)) << b.what;
    }
    COPYDATASTRUCT odd = Request(kOpenTag, path + L'\0');
    --odd.cbData;
    EXPECT_FALSE(ReadOpenRequest(&odd, read)) << "half a character";
    EXPECT_FALSE(ReadOpenRequest(nullptr, read));
}

TEST(CommandLine, TheProgramsSwitchesNameTheirVerbAndFileAndLeaveTheShellsAlone) {
    const struct {
        std::vector<std::wstring> args;
        CCommandLineInfo::ShellCommand command;
        const char* verb;
        const wchar_t* file;
    } cases[] = {
        {{L"/encrypt", L"C:\\data\\report.txt"}, CCommandLineInfo::FileVerb, "encrypt", L"C:\\data\\report.txt"},
        {{L"-Shred", L"notes.txt"}, CCommandLineInfo::FileVerb, "shred", L"notes.txt"},
        {{L"notes.txt", L"/SHRED"}, CCommandLineInfo::FileVerb, "shred", L"notes.txt"},
        // A name the ANSI code page cannot spell comes as it is.
        {{L"/encrypt", L"\u041E\u0442\u0447\u0451\u0442 \U0001F4C4.txt"}, CCommandLineInfo::FileVerb, "encrypt",
         L"\u041E\u0442\u0447\u0451\u0442 \U0001F4C4.txt"},
        {{L"C:\\data\\report.kst"}, CCommandLineInfo::FileOpen, "", L"C:\\data\\report.kst"},
        {{L"/p", L"a.kst"}, CCommandLineInfo::FilePrint, "", L"a.kst"},
        {{L"/pt", L"a.kst", L"printer", L"driver", L"port"}, CCommandLineInfo::FilePrintTo, "", L"a.kst"},
        {{}, CCommandLineInfo::FileNew, "", L""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        CKestrineCommandLineInfo info;
        ParseCommandLineArgs(c.args, info);
        EXPECT_EQ(info.m_nShellCommand, c.command) << i;
        EXPECT_EQ(info.m_strVerb, c.verb) << i;
        EXPECT_EQ(info.m_strFileName, c.file) << i;
        EXPECT_EQ(info.Refusal(), L"") << i;
    }
}

TEST(VerbRequest, OnlyWellFormedRequestsAreRead) {
    std::string verb;
    std::wstring path;
    COPYDATASTRUCT good = Request(kVerbTag, std::wstring(L"shred\0C:\\x\\\u8868.txt\0", 17));
    ASSERT_TRUE(ReadVerbRequest(&good, verb, path));
    EXPECT_EQ(verb, "shred");
    EXPECT_EQ(path, L"C:\\x\\\u8868.txt");

    const struct {
        const char* what;
        ULONG_PTR tag;
        std::wstring units;
    } bad[] = {
        {"an open request's tag", kOpenTag, std::wstring(L"shred\0a\0", 8)},
        {"no path", kVerbTag, std::wstring(L"shred\0", 6)},
        {"an empty verb", kVerbTag, std::wstring(L"\0a.txt\0", 7)},
        {"an empty path", kVerbTag, std::wstring(L"shred\0\0", 7)},
        {"a third text", kVerbTag, std::wstring(L"shred\0a\0b\0", 10)},
        {"no end", kVerbTag, std::wstring(L"shred\0a.txt", 11)},
        {"a verb that is no word", kVerbTag, std::wstring(L"shr\u00E9d\0a.txt\0", 12)},
    };
    for (const auto& b : bad) {
        COPYDATASTRUCT data = Request(b.tag, b.units);
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
