// What the command line asks of the program, and the path handed from a second start.
#include "command_line_info.h"
#include "instance_handover.h"

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

TEST(OpenRequest, OwnWindowsAreNeverTakenForTheRunningInstance) {
    HWND own = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(own, nullptr);
    MarkRunningMainWindow(own, true);
    EXPECT_NE(FindRunningMainWindow(), own);
    MarkRunningMainWindow(own, false);
    DestroyWindow(own);
}
