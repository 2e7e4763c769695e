// The same-file check under every spelling a user or a script may give: the source named
// again as the destination must never be taken for another file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_identity.h"
#include "files_fixture.h"
#include "open.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

using namespace files_testing;

namespace {

using FileIdentity = ScratchFolder;

// Makes the scratch folder the current one while it lives.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) : m_previous(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(m_previous); }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    fs::path m_previous;
};

}  // namespace

TEST_F(FileIdentity, TheSameFileUnderEverySpellingIsTheSameFile)
{
    const std::string name = "Quarterly Figures.text";
    const std::string folderName = fs::path(m_dir).filename().string();
    WriteText(PathOf(name), "figures");
    WriteText(PathOf("other.text"), "figures");
    std::vector<std::string> spellings = {
        name,                                                       // relative to the current folder
        std::string(".") + kSeparator + name,                       // through "."
        std::string("..") + kSeparator + folderName + kSeparator + name,  // through ".."
        m_dir + kSeparator + kSeparator + name,                     // a doubled separator
    };
#ifdef _WIN32
    std::string upper = PathOf(name);
    ::CharUpperBuffA(&upper[0], DWORD(upper.size()));
    char shortPath[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA(PathOf(name).c_str(), shortPath, sizeof shortPath), 0u);
    ASSERT_NE(std::string(shortPath), PathOf(name)) << "the file has a distinct short name";
    std::string forward = PathOf(name);
    for (char& c : forward)
        if (c == '\\')
            c = '/';
    ASSERT_TRUE(::CreateHardLinkA(PathOf("link.text").c_str(), PathOf(name).c_str(), nullptr));
    spellings.insert(spellings.end(), {upper, shortPath, forward, "\\\\?\\" + PathOf(name), PathOf(name) + ".",
                                       PathOf(name) + " ", PathOf("link.text")});
#else
    ASSERT_EQ(::symlink(PathOf(name).c_str(), PathOf("symbolic").c_str()), 0);
    ASSERT_EQ(::link(PathOf(name).c_str(), PathOf("hard").c_str()), 0);
    spellings.insert(spellings.end(), {PathOf("symbolic"), PathOf("hard")});
#endif
    files::File open;
    uint64_t length = 0;
    ASSERT_TRUE(files::OpenRegular(PathOf(name), files::Access::Read, files::Sharing::Read, open, length).ok);
    const CurrentFolder current(m_dir);
    for (const std::string& spelling : spellings) {
        SCOPED_TRACE(spelling);
        EXPECT_TRUE(files::SameFile(PathOf(name), spelling));
        EXPECT_TRUE(files::SameFile(open, spelling)) << "and the open file";
    }
    EXPECT_FALSE(files::SameFile(PathOf(name), PathOf("other.text"))) << "the same bytes are another file";
    EXPECT_FALSE(files::SameFile(open, PathOf("other.text")));
    EXPECT_FALSE(files::SameFile(open, PathOf("missing")));
}
