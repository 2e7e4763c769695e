// The command line's rules. (kst runs its blocks through the core's runners, tested there.)
#include <gtest/gtest.h>

#include "options.h"
#include "password.h"

TEST(CommandLine, TakesCommandsFilesAndOptionsAndRefusesTheRest)
{
    const auto parsed = kst::ParseCommandLine({"encrypt", "-q", "a.txt", "--output=b.kst", "--force", "--threads", "3"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.command, kst::Command::Encrypt);
    EXPECT_EQ(parsed.options.file, "a.txt");
    EXPECT_EQ(parsed.options.output, "b.kst");
    EXPECT_TRUE(parsed.options.force && parsed.options.quiet);
    EXPECT_EQ(parsed.options.threads, 3u);
    EXPECT_EQ(kst::ParseCommandLine({"decrypt", "--", "-odd.kst"}).options.file, "-odd.kst");
    EXPECT_EQ(kst::ParseCommandLine({"shred", "x", "--help"}).options.command, kst::Command::Help);

    const std::vector<std::vector<std::string>> refused = {
        {},
        {"encrypt"},
        {"encrypt", "a", "b"},
        {"compress", "a"},
        {"encrypt", "a", "--password", "secret"},
        {"encrypt", "a", "--password-file", "p", "--password-fd", "3"},
        {"shred", "a", "-o", "b"},
        {"info", "a", "-o", "b"},
        {"encrypt", "a", "--threads", "0"},
        {"encrypt", "a", "--threads", " 2"},
        {"encrypt", "a", "--threads", "+3"},
        {"encrypt", "a", "--threads", "2 "},
        {"encrypt", "a", "--password-fd", "-0"},
        {"encrypt", "a", "--password-fd", "x"},
        {"encrypt", "a", "--bogus"},
        {"encrypt", "a", "-o"},
        {"encrypt", "a", "--force=yes"},
    };
    for (const auto& arguments : refused) {
        const auto result = kst::ParseCommandLine(arguments);
        EXPECT_FALSE(result.ok) << testing::PrintToString(arguments);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(Passwords, EncryptionTakesOneToFiftySixCharactersDecryptionAnyButEmpty)
{
    EXPECT_NE(kst::PasswordRefusal(0, kst::PasswordUse::Encrypt), "");
    EXPECT_NE(kst::PasswordRefusal(0, kst::PasswordUse::Decrypt), "");
    EXPECT_EQ(kst::PasswordRefusal(1, kst::PasswordUse::Encrypt), "");
    EXPECT_EQ(kst::PasswordRefusal(56, kst::PasswordUse::Encrypt), "");
    EXPECT_NE(kst::PasswordRefusal(57, kst::PasswordUse::Encrypt), "");
    EXPECT_EQ(kst::PasswordRefusal(57, kst::PasswordUse::Decrypt), "");
}
