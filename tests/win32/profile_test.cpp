// The registry profile, the version stamp and the shell registration of locked files.
#include "registry_key.h"
#include "registry_profile.h"
#include "registry_values.h"
#include "shell_registration.h"
#include "version_stamp.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

using kst_test::MachineClassValue;
using kst_test::UserClassValue;

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

void DeleteLockedFileType() {
    for (HKEY hRoot : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
        for (const char* key : {"Software\\Classes\\.kst", "Software\\Classes\\Kestrine.Document"}) SHDeleteKeyA(hRoot, key);
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

TEST(ShellRegistration, LockedFilesOpenInTheProgramWithTheDocumentIconForTheUserOnly) {
    DeleteLockedFileType();
    const ShellFileType type{".kst", "Kestrine.Document", "Kestrine Document", L"C:\\Apps\\kestrine.exe", 1};
    RegistrationResult result = RegisterShellFileType(type, true);
    EXPECT_TRUE(result.bDone);
    EXPECT_TRUE(result.bChanged);
    const struct {
        const char* key;
        const char* value;
    } entries[] = {
        {".kst", "Kestrine.Document"},
        {"Kestrine.Document", "Kestrine Document"},
        {"Kestrine.Document\\shell\\open\\command", "\"C:\\Apps\\kestrine.exe\" \"%1\""},
        {"Kestrine.Document\\DefaultIcon", "C:\\Apps\\kestrine.exe,1"},
        {"Kestrine.Document\\shell\\print\\command", "\"C:\\Apps\\kestrine.exe\" /p \"%1\""},
        {"Kestrine.Document\\shell\\printto\\command", "\"C:\\Apps\\kestrine.exe\" /pt \"%1\" \"%2\" \"%3\" \"%4\""},
    };
    for (const auto& entry : entries) {
        EXPECT_EQ(UserClassValue(entry.key), entry.value);
        EXPECT_EQ(MachineClassValue(entry.key), "<missing>") << entry.key << ": written for every user";
    }

    result = RegisterShellFileType(type, true);
    EXPECT_TRUE(result.bDone);
    EXPECT_FALSE(result.bChanged) << "written again although nothing differed";

    result = UnregisterShellFileType(type);
    EXPECT_TRUE(result.bDone);
    EXPECT_TRUE(result.bChanged);
    for (const auto& entry : entries) EXPECT_EQ(UserClassValue(entry.key), "<missing>") << entry.key;
    result = UnregisterShellFileType(type);
    EXPECT_TRUE(result.bDone);
    EXPECT_FALSE(result.bChanged);
}

TEST(ShellRegistration, UndoingItLeavesAnExtensionAnotherProgramHasTakenOver) {
    DeleteLockedFileType();
    const ShellFileType type{".kst", "Kestrine.Document", "Kestrine Document", L"C:\\Apps\\kestrine.exe", 1};
    ASSERT_TRUE(RegisterShellFileType(type, false).bDone);
    {
        CRegistryKey extension;
        ASSERT_TRUE(extension.Create(HKEY_CURRENT_USER, "Software\\Classes\\.kst"));
        ASSERT_TRUE(extension.SetString(nullptr, "OtherLocker.File"));
    }
    EXPECT_TRUE(UnregisterShellFileType(type).bDone);
    EXPECT_EQ(UserClassValue(".kst"), "OtherLocker.File");
    EXPECT_EQ(UserClassValue("Kestrine.Document"), "<missing>");
    DeleteLockedFileType();
}
