// kst keys and names as the program does on a Windows system of the code page it is
// given: the locale's text in, the code page's bytes in the locked file, and back.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "kst_fixture.h"

using namespace kst_testing;

namespace {

// Made independently of Kestrine: OpenSSL's Blowfish keyed with the password's bytes in
// the code page (halves least significant byte first), behind a header written by hand.
// Code page 1252: "pässwort" (0x70 0xE4 ...), the name "pässwort.txt".
const std::string kLockedOnAWesternSystem =
    "\x42\x4C\x4F\x57\x0C\x70\xE4\x73\x73\x77\x6F\x72\x74\x2E\x74\x78\x74\x03\x61\x1A\x29\x1C\xFA\xC1\xC2\x1D\x63"
    "\x2C\x6B\xA1\x3D\xD7\x0A\x3D\x1B\x09\xE5\xA8\x7E\xDE\xCF\x66\x22\x50\xAE\x48\x46\xEA\xB1\xAE";
const std::string kWesternPlain = "Locked on a Western system.";
// Code page 932: the password "パスワードソｶ" and the name "表ソ日本語.txt" (two
// characters whose trail byte is '\\', and a single-byte katakana).
const std::string kLockedOnAJapaneseSystem =
    "\x42\x4C\x4F\x57\x0E\x95\x5C\x83\x5C\x93\xFA\x96\x7B\x8C\xEA\x2E\x74\x78\x74\x04\x26\xAC\x9C\xDC\xBE\xEC\x30"
    "\xE5\x94\xBB\x7E\xC9\xBB\xFD\x70\x40\xBD\x8B\x29\x96\x9A\xF4\x7C\xF3\x27\x0B\x0B\x8D\xE8\x6F\x53\x21";
const std::string kJapanesePlain = "Locked on a Japanese system.";

// kst in a locale of the test's choosing, whatever the test runner's is.
ChildSetup InLocale(const std::string& locale)
{
    return [locale] {
        ::setenv("LOCPATH", KST_TEST_LOCALES, 1);
        ::setenv("LC_ALL", locale.c_str(), 1);
    };
}

class KstCodePage : public Kst {
protected:
    // Encrypts `name` holding `plain` with the password line `password`.
    KstRun Encrypt(const std::string& name, const std::string& plain, const std::string& password,
                   std::vector<std::string> options = {}, const std::string& locale = "C.UTF-8")
    {
        WriteText(Path(name), plain);
        WriteText(Path("typed"), password + "\n");
        std::vector<std::string> arguments = {"encrypt", Path(name), "-q", "--password-file", Path("typed")};
        arguments.insert(arguments.end(), options.begin(), options.end());
        return Run(arguments, InLocale(locale));
    }
    KstRun InFolder(std::vector<std::string> arguments, const std::string& locale = "C.UTF-8")
    {
        return Run(arguments, InLocale(locale));
    }
    std::string Text(const std::string& name) const
    {
        const std::vector<uint8_t> bytes = ReadFile(Path(name));
        return std::string(bytes.begin(), bytes.end());
    }
};

}  // namespace

TEST_F(KstCodePage, APasswordAndANameTheCodePageHasGiveTheProgramsBytesAndComeBack)
{
    const struct {
        const char* locale;
        std::string name;      // in the locale's encoding
        std::string password;  // likewise
        std::vector<std::string> options;
        const std::string& locked;
        const std::string& plain;
    } cases[] = {
        {"C.UTF-8", "p\xC3\xA4sswort.txt", "p\xC3\xA4sswort", {}, kLockedOnAWesternSystem, kWesternPlain},
        // A bare C locale under a UTF-8 terminal: UTF-8 still.
        {"C", "p\xC3\xA4sswort.txt", "p\xC3\xA4sswort", {}, kLockedOnAWesternSystem, kWesternPlain},
        {"en_US.ISO-8859-1", "p\xE4sswort.txt", "p\xE4sswort", {}, kLockedOnAWesternSystem, kWesternPlain},
        {"C.UTF-8", "\xE8\xA1\xA8\xE3\x82\xBD\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt",
         "\xE3\x83\x91\xE3\x82\xB9\xE3\x83\xAF\xE3\x83\xBC\xE3\x83\x89\xE3\x82\xBD\xEF\xBD\xB6",
         {"--code-page", "932"}, kLockedOnAJapaneseSystem, kJapanesePlain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.name);
        KstRun run = Encrypt(c.name, c.plain, c.password, c.options, c.locale);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Text(c.name + ".kst"), c.locked);

        // Decrypted under the stored name, read back from the code page into the locale's.
        fs::remove(Path(c.name));
        std::vector<std::string> arguments = {"decrypt", Path(c.name + ".kst"), "--password-file", Path("typed")};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        run = InFolder(arguments, c.locale);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Text(c.name), c.plain);
        fs::remove(Path(c.name));
        fs::remove(Path(c.name + ".kst"));
    }
}

// A password file saved as UTF-16 (Notepad's "Unicode", with its byte order mark) keys
// with the characters it holds, not with its bytes read as narrow text.
TEST_F(KstCodePage, AUtf16PasswordFileKeysWithItsCharacters)
{
    const struct {
        const char* order;
        std::string typed;
    } cases[] = {
        {"little-endian", std::string("\xFF\xFEp\0\xE4\0s\0s\0w\0o\0r\0t\0\r\0\n\0", 22)},
        {"big-endian", std::string("\xFE\xFF\0p\0\xE4\0s\0s\0w\0o\0r\0t", 18)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.order);
        WriteText(Path("p\xC3\xA4sswort.txt"), kWesternPlain);
        WriteText(Path("unicode"), c.typed);
        KstRun run = InFolder({"encrypt", Path("p\xC3\xA4sswort.txt"), "-q", "--password-file", Path("unicode")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(Text("p\xC3\xA4sswort.txt.kst"), kLockedOnAWesternSystem);
        fs::remove(Path("p\xC3\xA4sswort.txt.kst"));
    }
    // Half a unit is no UTF-16 text.
    WriteText(Path("unicode"), std::string("\xFF\xFEp\0q", 5));
    const KstRun run = InFolder({"encrypt", Path("p\xC3\xA4sswort.txt"), "-q", "--password-file", Path("unicode")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("not UTF-16 text"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(Path("p\xC3\xA4sswort.txt.kst")));
}

TEST_F(KstCodePage, CharactersOutsideTheCodePageAreRefusedInPasswordsAndUnderscoresInNames)
{
    const std::string parol = "\xD0\xBF\xD0\xB0\xD1\x80\xD0\xBE\xD0\xBB\xD1\x8C";  // "пароль"
    KstRun run = Encrypt("plain.txt", "data", parol);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("code page 1252"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(Path("plain.txt.kst")));
    // The Cyrillic code page has it: keyed with its bytes there.
    run = Encrypt("plain.txt", "data", parol, {"--code-page", "1251"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("plain.txt.kst")), CodecLocked(Bytes("data"), "plain.txt", "\xEF\xE0\xF0\xEE\xEB\xFC"));
    fs::remove(Path("plain.txt.kst"));

    // Bytes that are no UTF-8 are no password.
    run = Encrypt("plain.txt", "data", "p\xE4sswort");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("not UTF-8 text"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(Path("plain.txt.kst")));

    // 56 characters of the code page are 56 bytes of key, whatever UTF-8 makes of them.
    const std::string aUmlaut = "\xC3\xA4";
    std::string longest;
    for (int i = 0; i < 56; ++i)
        longest += aUmlaut;
    ASSERT_EQ(Encrypt("plain.txt", "data", longest).status, 0);
    EXPECT_EQ(ReadFile(Path("plain.txt.kst")), CodecLocked(Bytes("data"), "plain.txt", std::string(56, '\xE4')));
    fs::remove(Path("plain.txt.kst"));
    EXPECT_EQ(Encrypt("plain.txt", "data", longest + aUmlaut).status, 2);

    // Cyrillic letters and an emoji: one '_' each; the rest as it is.
    const std::string report = "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82 \xF0\x9F\x93\x84.txt";  // "Отчёт 📄.txt"
    ASSERT_EQ(Encrypt(report, "report", "p\xC3\xA4sswort").status, 0);
    EXPECT_EQ(ReadFile(Path(report + ".kst")), CodecLocked(Bytes("report"), "_____ _.txt", "p\xE4sswort"));
    fs::remove(Path(report));
    run = InFolder({"decrypt", Path(report + ".kst"), "--password-file", Path("typed")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Text("_____ _.txt"), "report");
}

TEST_F(KstCodePage, CodePage65001KeysAndNamesWithUtf8AsItIs)
{
    // As kst keyed on Linux before it knew code pages: files made so still open.
    const std::string name = "\xD0\x9E.txt";
    ASSERT_EQ(Encrypt(name, "old", "p\xC3\xA4sswort", {"--code-page", "65001"}).status, 0);
    EXPECT_EQ(ReadFile(Path(name + ".kst")), CodecLocked(Bytes("old"), name, "p\xC3\xA4sswort"));
    const KstRun run = InFolder({"info", Path(name + ".kst"), "--code-page", "65001"});
    EXPECT_NE(run.out.find("stored name:   " + name + " (6 bytes, code page 65001)\n"), std::string::npos) << run.out;
}

TEST_F(KstCodePage, InfoShowsTheStoredNameReadFromTheCodePage)
{
    WriteText(Path("western.kst"), kLockedOnAWesternSystem);
    KstRun run = InFolder({"info", Path("western.kst")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("stored name:   p\xC3\xA4sswort.txt (12 bytes, code page 1252)\n"), std::string::npos)
        << run.out;
    run = InFolder({"info", Path("western.kst")}, "en_US.ISO-8859-1");
    EXPECT_NE(run.out.find("stored name:   p\xE4sswort.txt (12 bytes"), std::string::npos) << run.out;

    WriteText(Path("japanese.kst"), kLockedOnAJapaneseSystem);
    run = InFolder({"info", Path("japanese.kst"), "--code-page", "932"});
    EXPECT_NE(run.out.find("stored name:   \xE8\xA1\xA8\xE3\x82\xBD\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.txt (14 bytes, "
                           "code page 932)\n"),
              std::string::npos)
        << run.out;

    // What reads as no character, a control or a right-to-left mark shows as its bytes.
    const struct {
        std::string stored;
        const char* codePage;
        std::string shown;
    } cases[] = {
        {"a\xA0z", "932", "a\\xa0z"},
        {"\x81\x20" "b", "932", "\\x81\\x20b"},
        {"a\x81\x9D", "1252", "a\\x81\\x9d"},
        {"\xC7\xFE\xC8", "1256", "\xD8\xA7\\xfe\xD8\xA8"},
        {"a\\b", "1252", "a\\\\b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteFile(Path("odd.kst"), CodecLocked(Bytes("x"), c.stored, kPassword));
        run = InFolder({"info", Path("odd.kst"), "--code-page", c.codePage});
        EXPECT_NE(run.out.find("stored name:   " + c.shown + " ("), std::string::npos) << run.out;
    }
}
