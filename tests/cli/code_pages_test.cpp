// kst's Windows code pages through this system's iconv: each one is there, cut into
// characters as Windows cuts it, and spelled as Windows spells it where glibc differs.
#include <gtest/gtest.h>

#include "code_pages.h"
#include "options.h"

namespace {

const unsigned kCodePages[] = {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258};

struct Spelling {
    unsigned codePage;
    char32_t character;
    const char* bytes;  // nullptr: the code page lacks the character
};

// As Windows's tables have them (WideCharToMultiByte without best fit).
const Spelling kWindowsSpellings[] = {
    {1252, U'\u00E4', "\xE4"},
    {1252, U'\u20AC', "\x80"},
    {1252, U'\u0081', "\x81"},  // unused bytes are the C1 controls of their value
    {1252, U'\u0101', nullptr},  // no best fit: 'a' is not 'ā'
    {1251, U'\u043F', "\xEF"},
    {1255, U'\u05BA', "\xCA"},
    {1258, U'\u00C3', nullptr},  // no spelling as 'A' and a combining tilde
    {874, U'\u0E01', "\xA1"},
    // 932 as Windows has it, not Shift JIS: the backslash and the tilde are ASCII's.
    {932, U'\\', "\\"},
    {932, U'~', "~"},
    {932, U'\u00A5', nullptr},
    {932, U'\u30BD', "\x83\x5C"},
    {932, U'\uFF76', "\xB6"},
    {932, U'\u2252', "\x81\xE0"},  // also at 0x8790, which Windows does not write
    {936, U'\u4E2D', "\xD6\xD0"},
    {949, U'\uD55C', "\xC7\xD1"},
    {950, U'\u4E2D', "\xA4\xA4"},
    {950, U'\u2550', "\xF9\xF9"},  // also at 0xA2A4, glibc's choice
    {950, U'\U0001F4C4', nullptr},
};

TEST(WindowsCodePages, EachOneIsThereAndCutAsWindowsCutsIt)
{
    for (const unsigned number : kCodePages) {
        SCOPED_TRACE(number);
        const kst::OpenedCodePage opened = kst::OpenCodePage(number);
        ASSERT_NE(opened.converter, nullptr) << opened.reason;
        const lockedfile::CodePage& codePage = *opened.converter;
        ASSERT_NE(codePage.LeadBytes(), nullptr);
        for (unsigned byte = 0x20; byte <= 0xFF; ++byte) {
            const std::string single(1, char(byte));
            char32_t character = 0;
            std::string back;
            if (codePage.LeadBytes()(uint8_t(byte))) {
                EXPECT_FALSE(codePage.Decode(single, character)) << "a lead byte alone is no character: " << byte;
                continue;
            }
            for (const char* trail : {"\x40", "\x5C", "\xA1"})
                EXPECT_FALSE(codePage.Decode(single + trail, character)) << "iconv takes a lead byte: " << byte;
            if (codePage.Decode(single, character)) {
                EXPECT_TRUE(lockedfile::EncodeCharacter(codePage, character, back)) << byte;
                EXPECT_EQ(back, single);
            }
        }
    }
}

TEST(WindowsCodePages, CharactersAreSpelledAsWindowsSpellsThem)
{
    for (const Spelling& spelling : kWindowsSpellings) {
        SCOPED_TRACE(testing::Message() << spelling.codePage << " U+" << std::hex << uint32_t(spelling.character));
        const kst::OpenedCodePage opened = kst::OpenCodePage(spelling.codePage);
        ASSERT_NE(opened.converter, nullptr) << opened.reason;
        std::string bytes;
        EXPECT_EQ(lockedfile::EncodeCharacter(*opened.converter, spelling.character, bytes), spelling.bytes != nullptr);
        EXPECT_EQ(bytes, spelling.bytes != nullptr ? spelling.bytes : "");
    }
}

TEST(WindowsCodePages, TheCommandLineTakesTheirNumbersAndDefaultsToTheWesternOne)
{
    EXPECT_EQ(kst::ParseCommandLine({"info", "a.kst"}).options.codePage, 1252u);
    EXPECT_EQ(kst::ParseCommandLine({"info", "a.kst", "--code-page", "932"}).options.codePage, 932u);
    EXPECT_EQ(kst::ParseCommandLine({"decrypt", "a.kst", "--code-page=65001"}).options.codePage, 65001u);
    for (const char* refused : {"437", "0", "1252x", "", "+932", "99999999999"})
        EXPECT_FALSE(kst::ParseCommandLine({"info", "a.kst", "--code-page", refused}).ok) << refused;
}

}  // namespace
