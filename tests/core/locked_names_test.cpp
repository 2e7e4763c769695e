// The name stored in a locked file and the name proposed when one is opened.
#include "locked_format.h"
#include "path_names.h"

#include <gtest/gtest.h>

using namespace lockedfile;

namespace {

TEST(StoredName, IsTheLastComponentOfThePath)
{
    EXPECT_EQ(StoredNameFor("C:\\Documents\\report.doc"), "report.doc");
    EXPECT_EQ(StoredNameFor("\\\\server\\share\\a.txt"), "a.txt");
    EXPECT_EQ(StoredNameFor("C:a.txt"), "a.txt");
    EXPECT_EQ(StoredNameFor("/home/u/notes"), "notes");
    EXPECT_EQ(StoredNameFor("plain.txt"), "plain.txt");
    EXPECT_EQ(StoredNameFor("C:\\dir\\"), "");
}

// A double-byte code page, as the Windows side describes it: 0x81..0x9F and 0xE0..0xFC lead
// (code page 932), and trail bytes may be '\\' or '|'.
bool ShiftJisLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(StoredName, IsCutTo255BytesOnACharacterBoundary)
{
    EXPECT_EQ(StoredNameFor("C:\\" + std::string(300, 'x')), std::string(255, 'x'));
    EXPECT_EQ(StoredNameFor(std::string(255, 'y')), std::string(255, 'y'));

    // UTF-8: a two-byte character straddling byte 255 is left out whole.
    const std::string euro = "\xE2\x82\xAC";  // three bytes
    const std::string name = std::string(253, 'a') + euro + "b";
    EXPECT_EQ(StoredNameFor(name), std::string(253, 'a'));
    EXPECT_EQ(StoredNameFor(std::string(252, 'a') + euro + "b"), std::string(252, 'a') + euro);

    // A double-byte code page, as the Windows side describes it: 0x81..0x9F lead.
    const LeadBytePredicate shiftJisLead = ShiftJisLead;
    const std::string kanji = "\x83\x5C";  // its trail byte is '\\'
    EXPECT_EQ(StoredNameFor("dir\\" + kanji + ".txt", shiftJisLead), kanji + ".txt");
    const std::string longName = std::string(254, 'a') + kanji;
    EXPECT_EQ(StoredNameFor(longName, shiftJisLead), std::string(254, 'a'));
    EXPECT_EQ(StoredNameFor(std::string(253, 'a') + kanji + "z", shiftJisLead), std::string(253, 'a') + kanji);
}

// Every face cuts a path's last component with this one walk: the program's CFile, kst.exe's
// folder of the output, and the stored name.
TEST(FileNameStart, NeverTakesATrailByteForASeparator)
{
    const std::string kanji = "\x83\x5C";  // in code page 932 its trail byte is '\\'
    const std::string folder = "C:\\" + kanji + "\\";
    EXPECT_EQ(FileNameStart(folder + kanji + ".txt", ShiftJisLead, PathStyle::Windows), folder.size());
    EXPECT_EQ(FileNameStart(kanji + kanji, ShiftJisLead, PathStyle::Windows), 0u);
    EXPECT_EQ(FileNameStart(folder, ShiftJisLead, PathStyle::Windows), folder.size()) << "ends in a separator";
    // A lead byte as the last byte has no trail byte: a separator before it still counts.
    EXPECT_EQ(FileNameStart("dir\\\x83", ShiftJisLead, PathStyle::Windows), 4u);
    // Without the code page's lead bytes the same bytes are separators.
    EXPECT_EQ(FileNameStart(kanji + ".txt", nullptr, PathStyle::Windows), 2u);
}

TEST(FileNameStart, TakesTheSeparatorsOfThePathStyle)
{
    EXPECT_EQ(FileNameStart("D:bare", nullptr, PathStyle::Windows), 2u);
    EXPECT_EQ(FileNameStart("D:bare", nullptr, PathStyle::Posix), 0u) << "':' is part of a POSIX name";
    EXPECT_EQ(FileNameStart("C:\\dir\\sub/name.ext", nullptr, PathStyle::Windows), 11u);
    EXPECT_EQ(FileNameStart("/home/u\\from-windows.txt", nullptr, PathStyle::Posix), 8u);
    EXPECT_EQ(FileNameStart("plain.txt", nullptr, PathStyle::Posix), 0u);
}

TEST(ProposedName, KeepsOnlyABareWindowsFileName)
{
    struct Case {
        const char* stored;
        const char* proposed;
    };
    const Case cases[] = {
        {"report.doc", "report.doc"},
        {"..\\..\\Windows\\system.ini", "system.ini"},
        {"C:\\boot.ini", "boot.ini"},
        {"C:evil.exe", "evil.exe"},
        {"/etc/passwd", "passwd"},
        {"..", ""},
        {".", ""},
        {"dir\\", ""},
        {"a<b>c\"d|e?f*g.txt", "abcdefg.txt"},
        {"tab\there\x01.txt", "tabhere.txt"},
        {"name. . .", "name"},
        {"CON", "_CON"},
        {"nul.txt", "_nul.txt"},
        {"com1", "_com1"},
        {"COM10", "COM10"},
        {"console", "console"},
        {"\xE9t\xE9.txt", "\xE9t\xE9.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeProposedName(c.stored), c.proposed) << c.stored;
}

TEST(ProposedName, WalksWholeCharactersOfADoubleByteCodePage)
{
    const std::string so = "\x83\x5C";      // its trail byte is '\\'
    const std::string hyou = "\x95\x7C";    // its trail byte is '|'
    struct Case {
        std::string stored;
        std::string proposed;
    };
    const Case cases[] = {
        {so + ".txt", so + ".txt"},
        {hyou + "file.txt", hyou + "file.txt"},
        {"dir\\" + so + so + ".doc", so + so + ".doc"},
        {"a|b" + hyou + ".txt", "ab" + hyou + ".txt"},
        {so + ". .", so},
        // A lead byte with nothing after it is half a character: it is not proposed.
        {"name.txt\x83", "name.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SafeProposedName(c.stored, ShiftJisLead), c.proposed) << c.stored;
}

TEST(ProposedName, ReservedDeviceNamesIncludeSuperscriptDigits)
{
    // COM and LPT with a superscript one, two or three (0xB9, 0xB2, 0xB3 in the ANSI code
    // page, U+00B9, U+00B2, U+00B3 in UTF-8) and with zero are devices like COM1.
    const char* const reserved[] = {"COM\xB9.txt", "com\xB2", "LPT\xB3.log", "lpt\xB9",
                                    "COM\xC2\xB9.txt", "LPT\xC2\xB3", "COM0.txt", "LPT0"};
    for (const char* name : reserved)
        EXPECT_EQ(SafeProposedName(name), std::string("_") + name) << name;
    for (const char* name : {"COM\xB9\xB9.txt", "COM\xB4.txt", "COMX\xB9", "LPT\xBC"})
        EXPECT_EQ(SafeProposedName(name), name) << name;
}

TEST(ProposedName, IsFittedToTheRoomLeftByItsFolderKeepingTheExtension)
{
    const std::string longName = std::string(251, 'n') + ".txt";
    EXPECT_EQ(FitProposedName(longName, 255), longName);
    EXPECT_EQ(FitProposedName(longName, 100), std::string(96, 'n') + ".txt");
    EXPECT_EQ(FitProposedName("report.txt", 10), "report.txt");
    EXPECT_EQ(FitProposedName("report.txt", 9), "repor.txt");
    EXPECT_EQ(FitProposedName("noextension", 4), "noex");
    // An extension that leaves no room for the base is cut with the rest.
    EXPECT_EQ(FitProposedName("a." + std::string(200, 'e'), 10), "a." + std::string(8, 'e'));
    EXPECT_EQ(FitProposedName("report.txt", 0), "");
    // A cut never ends in a dot or a space, never splits a character and never leaves a device.
    EXPECT_EQ(FitProposedName("abc. . . .txt", 7), "abc.txt");
    const std::string so = "\x83\x5C";
    EXPECT_EQ(FitProposedName("ab" + so + so + ".txt", 9, ShiftJisLead), "ab" + so + ".txt");
    EXPECT_EQ(FitProposedName("ab" + so + so + ".txt", 7, ShiftJisLead), "ab.txt");
    EXPECT_EQ(FitProposedName("CONSOLE-LOG.txt", 7), "_CO.txt");
    for (size_t room = 0; room <= longName.size(); ++room)
        EXPECT_LE(FitProposedName(longName, room).size(), room);
}

}  // namespace
