// The room a folder leaves for a name: one rule for the program's proposal and for kst's.
#include <gtest/gtest.h>

#include <string>

#include "files_fixture.h"
#include "folder_names.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace files_testing;

namespace {
using FolderNames = ScratchFolder;
}  // namespace

#ifdef _WIN32

// The folder, a separator, the name and the terminator fit in MAX_PATH, the most the file
// dialogs take; relative spellings count as the full folder they name.
TEST_F(FolderNames, TheRoomForANameIsWhatTheFullFolderLeavesInMaxPath)
{
    const std::string folder = m_dir + "\\" + std::string(251 - m_dir.size(), 'f');
    ASSERT_EQ(folder.size(), 252u);
    EXPECT_EQ(files::RoomForNameIn(folder), 6u);
    EXPECT_EQ(files::RoomForNameIn(folder + "\\"), 6u);
    EXPECT_EQ(files::FullFolderOf(folder + "\\a.kst"), folder + "\\");
    EXPECT_EQ(files::FolderOf(folder + "\\a.kst"), folder + "\\");
    EXPECT_EQ(files::RoomForNameIn(m_dir + "\\" + std::string(300, 'f')), 0u) << "no room at all";
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(m_dir.c_str()));
    EXPECT_EQ(files::RoomForNameIn(""), MAX_PATH - m_dir.size() - 2);
    EXPECT_EQ(files::RoomForNameIn(".\\"), MAX_PATH - m_dir.size() - 2);
    ::SetCurrentDirectoryA(previous);
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
