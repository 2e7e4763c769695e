// The one rule both faces follow between Unicode and a locked file's code page: names keep
// what the code page has and put '_' for the rest, passwords with anything else are
// refused, and only exact characters count.
#include "code_page.h"

#include <gtest/gtest.h>

using namespace lockedfile;

namespace {

// A code page as a converter may present it: Latin-1 (U+0000..U+00FF, one byte each), a
// two-byte range (U+4E00.., lead bytes 0x81..0x9F) and the converter's own mistakes: a
// look-alike for 'ā' (best fit), and 'Ǎ' spelled as 'A' and a second character.
class FakeCodePage : public CodePage {
public:
    bool Encode(char32_t c, std::string& bytes) const override
    {
        if (c < 0x100)
            bytes = std::string(1, char(c));
        else if (c >= 0x4E00 && c < 0x4E00 + 31 * 64)
            bytes = {char(0x81 + (c - 0x4E00) / 64), char(0x40 + (c - 0x4E00) % 64)};
        else if (c == U'ā')
            bytes = "a";
        else if (c == U'Ǎ')
            bytes = "A\x02";
        else
            return false;
        return true;
    }
    bool Decode(const std::string& bytes, char32_t& c) const override
    {
        if (bytes.size() == 1) {
            c = uint8_t(bytes[0]);
            return !IsLead(uint8_t(bytes[0]));
        }
        const auto lead = uint8_t(bytes[0]), trail = uint8_t(bytes[1]);
        if (trail < 0x40 || trail >= 0x80)
            return false;
        c = 0x4E00 + (lead - 0x81) * 64 + (trail - 0x40);
        return true;
    }
    LeadBytePredicate LeadBytes() const override { return IsLead; }

private:
    static bool IsLead(uint8_t b) { return b >= 0x81 && b <= 0x9F; }
};

TEST(CodePageRule, NamesKeepWhatTheCodePageHasAndPutOneUnderscoreForEachOtherCharacter)
{
    const FakeCodePage codePage;
    EXPECT_EQ(StoredNameFor(U"report.txt", codePage), "report.txt");
    EXPECT_EQ(StoredNameFor(U"\u00E9t\u00E9.txt", codePage), "\xE9t\xE9.txt") << "a name that fits: its bytes";
    EXPECT_EQ(StoredNameFor(U"\u4E00\u4E3F.txt", codePage), "\x81\x40\x81\x7F.txt");
    // Cyrillic letters, a space and an emoji (a surrogate pair in UTF-16: one character).
    EXPECT_EQ(StoredNameFor(U"\u041E\u0442\u0447\u0451\u0442 \U0001F4C4.txt", codePage), "_____ _.txt");
    EXPECT_EQ(StoredNameFor(FromUtf16(u"a\U0001F4C4b"), codePage), "a_b");
    // A lone surrogate (Windows names may hold one) and text that was no text.
    EXPECT_EQ(StoredNameFor(FromUtf16(std::u16string(u"x") + char16_t(0xD800) + u"y"), codePage), "x_y");
    EXPECT_EQ(StoredNameFor(FromUtf8("a\xFF" "b"), codePage), "a_b");
    // Neither a look-alike nor a character spelled as two stands in for the real one.
    EXPECT_EQ(StoredNameFor(U"\u0101\u01CD", codePage), "__");
}

TEST(CodePageRule, StoredNamesAreCutTo255BytesBetweenCharacters)
{
    const FakeCodePage codePage;
    EXPECT_EQ(StoredNameFor(std::u32string(300, U'x'), codePage), std::string(255, 'x'));
    // A two-byte character that would end at byte 256 is left out whole.
    const std::u32string name = std::u32string(254, U'a') + U'\u4E00' + U'z';
    EXPECT_EQ(StoredNameFor(name, codePage), std::string(254, 'a'));
    EXPECT_EQ(StoredNameFor(std::u32string(253, U'a') + U'\u4E00' + U'z', codePage),
              std::string(253, 'a') + "\x81\x40");
    EXPECT_EQ(StoredNameFor(std::u32string(254, U'a') + U'\U0001F4C4' + U'z', codePage), std::string(254, 'a') + "_");
}

// A password's characters, and its key as text, for comparing.
SecretCharacters Secret(const std::u32string& text)
{
    return SecretCharacters(text.begin(), text.end());
}
std::string Text(const SecretBytes& key)
{
    return std::string(key.begin(), key.end());
}

TEST(CodePageRule, APasswordWithACharacterTheCodePageLacksGivesNoKey)
{
    const FakeCodePage codePage;
    SecretBytes key(9, 'x');
    EXPECT_TRUE(KeyFor(Secret(U"p\u00E4sswort"), codePage, key));
    EXPECT_EQ(Text(key), "p\xE4sswort");
    EXPECT_TRUE(KeyFor(Secret(U"\u4E01?"), codePage, key));
    EXPECT_EQ(Text(key), "\x81\x41?") << "'?' is a character of its own, not a stand-in";
    for (const std::u32string& refused : {std::u32string(U"\u043F\u0430\u0440\u043E\u043B\u044C"),
                                          std::u32string(U"abc\u0101"), std::u32string(U"\U0001F511"),
                                          FromUtf8("a\xC3")}) {
        key.assign(9, 'x');
        EXPECT_FALSE(KeyFor(Secret(refused), codePage, key)) << ToUtf8(refused);
        EXPECT_TRUE(key.empty());
    }
}

TEST(CodePageRule, StoredNamesReadBackAsCharactersAndBytesThatAreNone)
{
    const FakeCodePage codePage;
    const std::vector<StoredCharacter> read = ReadStoredName("\xE9\x81\x40\x81\x20" "b\x9F", codePage);
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(read[0].character, U'\u00E9');
    EXPECT_EQ(read[1].bytes, "\x81\x40");
    EXPECT_EQ(read[1].character, U'\u4E00');
    EXPECT_EQ(read[2].bytes, "\x81\x20") << "a lead byte and its trail are cut together";
    EXPECT_EQ(read[2].character, kNoCharacter);
    EXPECT_EQ(read[3].character, U'b');
    EXPECT_EQ(read[4].character, kNoCharacter) << "a lead byte without its trail";
    EXPECT_EQ(StoredNameText("\xE9\x81\x40\x81\x20" "b\x9F", codePage), U"\u00E9\u4E00_b_");
}

TEST(CodePageRule, ProposedNamesAreFittedByWhatTheirCharactersTakeWhereTheyAreWritten)
{
    const FakeCodePage codePage;
    std::string stored;
    for (int i = 0; i < 100; ++i)
        stored += "\x81\x40";
    stored += ".txt";  // 204 bytes, 104 characters
    const auto utf16 = [](char32_t c) -> size_t { return c >= 0x10000 ? 2 : 1; };
    const auto utf8 = [](char32_t c) -> size_t { return c < 0x80 ? 1 : c < 0x800 ? 2 : 3; };
    EXPECT_EQ(ProposedNameFor(stored, codePage, 104, utf16), std::u32string(100, U'\u4E00') + U".txt");
    EXPECT_EQ(ProposedNameFor(stored, codePage, 54, utf16), std::u32string(50, U'\u4E00') + U".txt");
    EXPECT_EQ(ProposedNameFor(stored, codePage, 54, utf8), std::u32string(16, U'\u4E00') + U".txt");
    // Made safe first; what reads as no character is proposed as '_'.
    EXPECT_EQ(ProposedNameFor("..\\dir\\\x81\x20" "a?b.txt", codePage, 255, utf16), U"_ab.txt");
    EXPECT_EQ(ProposedNameFor("CON.txt", codePage, 255, utf16), U"_CON.txt");
    EXPECT_EQ(ProposedNameFor(stored, codePage, 3, utf16), U"\u4E00\u4E00\u4E00");
}

TEST(CodePageRule, Utf8AndUtf16AreReadStrictlyAndWrittenBack)
{
    EXPECT_EQ(FromUtf8("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x93\x84"), U"a\u00E4\u20AC\U0001F4C4");
    // Overlong, surrogate, past U+10FFFF, cut short, stray continuation: each byte no text.
    const std::u32string none(1, kNoCharacter);
    EXPECT_EQ(FromUtf8("\xC0\xAF"), none + none);
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), none + none + none);
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), none + none + none + none);
    EXPECT_EQ(FromUtf8("\xE2\x82" "x"), none + none + U"x");
    EXPECT_EQ(FromUtf8("\x80" "a"), none + U"a");
    EXPECT_FALSE(IsUtf8("p\xE4sswort", 8));
    EXPECT_TRUE(IsUtf8("p\xC3\xA4sswort", 9));
    EXPECT_EQ(ToUtf8(U"a\u00E4\U0001F4C4"), "a\xC3\xA4\xF0\x9F\x93\x84");
    EXPECT_EQ(ToUtf8(none), "\xEF\xBF\xBD");

    const std::u16string lone = std::u16string(u"a") + char16_t(0xDC00) + u"b";
    EXPECT_EQ(FromUtf16(u"\U0001F4C4"), U"\U0001F4C4");
    EXPECT_EQ(ToUtf16(FromUtf16(lone)), lone) << "a Windows name with a lone surrogate comes back as it was";
    EXPECT_EQ(ToUtf16(U"\U0001F4C4"), u"\U0001F4C4");
}

TEST(CodePageRule, CodePage65001IsUtf8AsItIs)
{
    const Utf8CodePage utf8;
    SecretBytes key;
    ASSERT_TRUE(KeyFor(Secret(U"p\u00E4sswort"), utf8, key));
    EXPECT_EQ(Text(key), "p\xC3\xA4sswort");
    EXPECT_EQ(StoredNameFor(U"\u041E\U0001F4C4.txt", utf8), "\xD0\x9E\xF0\x9F\x93\x84.txt");
    EXPECT_EQ(StoredNameText("a\xC3\xA4\xFF", utf8), U"a\u00E4_");
}

}  // namespace
