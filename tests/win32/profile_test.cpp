// The registry profile, the version stamp and the shell registration of locked files.
#include "registry_key.h"
#include "registry_profile.h"
#include "shell_registration.h"
#include "version_stamp.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

namespace {

// Each test works below its own company key and removes it afterwards.
class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteTestKey();
        m_profile.SetRegistryKey("KestrineTests\\Software", "Kestrine");
    }
    void TearDown() override { DeleteTestKey(); }
    static void DeleteTestKey() { SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\KestrineTests"); }

    static std::string ReadStamp() {
        CRegistryKey key;
        std::string value;
        if (!key.Open(HKEY_CURRENT_USER, "Software\\KestrineTests\\Software\\Kestrine\\Core") ||
            !key.QueryString("Program ID", value))
            return "<missing>";
        return value;
    }

    CRegistryProfile m_profile;
};

std::string ClassValue(const std::string& subKey) {
    char buffer[MAX_PATH * 2] = {};
    LONG size = sizeof buffer;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, subKey.c_str(), buffer, &size) != ERROR_SUCCESS)
        return "<missing>";
    return buffer;
}

}  // namespace

TEST_F(ProfileTest, ValuesLiveUnderSoftwareCompanyAppSection) {
    EXPECT_EQ(m_profile.GetAppKeyPath(), "Software\\KestrineTests\\Software\\Kestrine");
    EXPECT_EQ(m_profile.GetProfileString("Core", "Missing", nullptr), "");
    EXPECT_EQ(m_profile.GetProfileString("Core", "Missing", "fallback"), "fallback");
    ASSERT_TRUE(m_profile.WriteProfileString("Core", "Name", "value"));
    EXPECT_EQ(m_profile.GetProfileString("Core", "Name", "fallback"), "value");
}

TEST_F(ProfileTest, StampWrittenAtFirstStartAndRewrittenWhenDifferent) {
    EXPECT_EQ(ReadStamp(), "<missing>");
    CheckVersionStamp(m_profile);
    EXPECT_EQ(ReadStamp(), "Kestrine v0.3b");

    for (const char* other : {"Kestrine v0.3c", "kestrine v0.3b", "", "Kestrine v0.3b "}) {
        ASSERT_TRUE(m_profile.WriteProfileString("Core", "Program ID", other));
        CheckVersionStamp(m_profile);
        EXPECT_EQ(ReadStamp(), "Kestrine v0.3b") << "after \"" << other << "\"";
    }
}

TEST_F(ProfileTest, UnsetProfileWritesNothing) {
    CRegistryProfile unset;
    EXPECT_FALSE(unset.WriteProfileString("Core", "Program ID", "x"));
    EXPECT_EQ(unset.GetProfileString("Core", "Program ID", "d"), "d");
}

TEST(ShellRegistration, LockedFilesOpenInTheProgramWithTheDocumentIcon) {
    const ShellFileType type{".kst", "Kestrine.Document", "Kestrine Document", "C:\\Apps\\kestrine.exe", 1};
    ASSERT_TRUE(RegisterShellFileType(type, true));
    EXPECT_EQ(ClassValue(".kst"), "Kestrine.Document");
    EXPECT_EQ(ClassValue("Kestrine.Document"), "Kestrine Document");
    EXPECT_EQ(ClassValue("Kestrine.Document\\shell\\open\\command"), "\"C:\\Apps\\kestrine.exe\" \"%1\"");
    EXPECT_EQ(ClassValue("Kestrine.Document\\DefaultIcon"), "C:\\Apps\\kestrine.exe,1");
    EXPECT_EQ(ClassValue("Kestrine.Document\\shell\\print\\command"), "\"C:\\Apps\\kestrine.exe\" /p \"%1\"");
    EXPECT_EQ(ClassValue("Kestrine.Document\\shell\\printto\\command"),
              "\"C:\\Apps\\kestrine.exe\" /pt \"%1\" \"%2\" \"%3\" \"%4\"");
}
