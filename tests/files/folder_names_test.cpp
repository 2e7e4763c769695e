// The room a folder leaves for a name: one rule for the program's proposal and for kst's.
#include <gtest/gtest.h>

#include <string>

#include "files_fixture.h"
#include "folder_names.h"
#include "open.h"
#include "path.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace files_testing;

namespace {
using FolderNames = ScratchFolder;
}  // namespace

#ifdef _WIN32

// The folder, a separator, the name and the terminator fit in MAX_PATH, the most the file
// dialogs take; relative spellings count as the full folder they name. Past MAX_PATH, which
// the long form reaches, a name takes up to a folder's longest name.
TEST_F(FolderNames, TheRoomForANameIsWhatTheFullFolderLeavesInMaxPath)
{
    const std::string folder = m_dir + "\\" + std::string(251 - m_dir.size(), 'f');
    ASSERT_EQ(folder.size(), 252u);
    EXPECT_EQ(files::RoomForNameIn(folder), 6u);
    EXPECT_EQ(files::RoomForNameIn(folder + "\\"), 6u);
    EXPECT_EQ(files::FullFolderOf(folder + "\\a.kst"), folder + "\\");
    EXPECT_EQ(files::FolderOf(folder + "\\a.kst"), folder + "\\");
    EXPECT_EQ(files::RoomForNameIn(m_dir + "\\" + std::string(300, 'f')), 255u) << "beyond MAX_PATH";
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(m_dir.c_str()));
    EXPECT_EQ(files::RoomForNameIn(""), MAX_PATH - m_dir.size() - 2);
    EXPECT_EQ(files::RoomForNameIn(".\\"), MAX_PATH - m_dir.size() - 2);
    ::SetCurrentDirectoryA(previous);
}

// kst holds its paths as narrow text: each name Windows has comes back whole from it to
// the file it names, a lone surrogate (which a name may hold) too.
TEST_F(FolderNames, ANarrowPathNamesTheFileItsWideFormNames)
{
    const std::wstring folder = files::Path(m_dir).Native() + L"\\";
    const std::wstring report = L"\x041E\x0442\x0447\x0451\x0442 \xD83D\xDCC4.txt";
    const HANDLE created =
        ::CreateFileW((folder + report).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    ::CloseHandle(created);
    const std::string narrow = files::Path::FromNative(folder + report).Narrow();
    EXPECT_EQ(narrow, m_dir + "\\\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82 \xF0\x9F\x93\x84" ".txt") << "UTF-8";
    files::File file;
    uint64_t length = 1;
    EXPECT_TRUE(files::OpenRegular(narrow, files::Access::Read, files::Sharing::Read, file, length).ok);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(files::FolderOf(narrow), m_dir + "\\");

    for (const std::wstring& lone : {std::wstring(L"a\xD800" L"b"), std::wstring(L"\xDC00"), std::wstring(L"\xDBFF")})
        EXPECT_EQ(files::Path(files::Path::FromNative(folder + lone).Narrow()).Native(), folder + lone);
}

#else

TEST_F(FolderNames, TheRoomForANameIsTheFileSystemsLongestName)
{
    EXPECT_EQ(files::RoomForNameIn(m_dir), 255u);
    EXPECT_EQ(files::FolderOf(m_dir + "/a.kst"), m_dir + "/");
    EXPECT_EQ(files::FolderOf("a.kst"), "");
    EXPECT_EQ(files::FullFolderOf(m_dir + "/a.kst"), fs::canonical(m_dir).string() + "/");
}

#endif
