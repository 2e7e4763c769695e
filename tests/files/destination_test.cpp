// What stands in a destination's way is found before any work is done, and named.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "destination.h"
#include "files_fixture.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace files_testing;

namespace {

using Destination = ScratchFolder;

std::string Describe(const files::DestinationCheck& check)
{
    return "exists " + std::to_string(check.exists) + ", problem " + std::to_string(int(check.problem)) + ", " +
           check.reason;
}

#ifndef _WIN32
// Makes `folder` refuse new files while the files in it stay writable: immutable where
// the process may set that (a superuser ignores permission bits), otherwise without write
// permission. False when neither holds here.
class RefusingFolder {
public:
    explicit RefusingFolder(const std::string& folder) : m_folder(folder), m_immutable(false)
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_immutable = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0)
            ::close(fd);
        if (!m_immutable)
            ::chmod(folder.c_str(), 0555);
    }
    ~RefusingFolder()
    {
        const int fd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (m_immutable && fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
        ::chmod(m_folder.c_str(), 0755);
    }
    RefusingFolder(const RefusingFolder&) = delete;
    RefusingFolder& operator=(const RefusingFolder&) = delete;

    // Whether the folder really refuses a new file here.
    bool Refuses() const
    {
        const std::string probe = m_folder + "/probe";
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0)
            return true;
        ::close(fd);
        ::unlink(probe.c_str());
        return false;
    }

private:
    std::string m_folder;
    bool m_immutable;
};
#endif

}  // namespace

TEST_F(Destination, ANewFileAnExistingFileAndAFolder)
{
    files::DestinationCheck check = files::InspectDestination(PathOf("new"));
    EXPECT_FALSE(check.exists);
    EXPECT_EQ(check.problem, files::DestinationProblem::None) << Describe(check);
    WriteText(PathOf("old"), "old");
    check = files::InspectDestination(PathOf("old"));
    EXPECT_TRUE(check.exists);
    EXPECT_EQ(check.problem, files::DestinationProblem::None) << Describe(check);
    EXPECT_EQ(files::InspectDestination(m_dir).problem, files::DestinationProblem::IsFolder);
    EXPECT_EQ(Names(), std::vector<std::string>{"old"}) << "looking leaves nothing";
}

// The result is written beside the destination first: a folder that takes no new file is
// named as the cause, even where the file in it could be written.
TEST_F(Destination, AFolderThatRefusesNewFilesIsNamedAsTheCause)
{
#ifdef _WIN32
    // Wine cannot make such a folder itself: run_with_refusing_folder.sh makes one.
    const char* refusing = std::getenv("KST_REFUSING_FOLDER");
    if (refusing == nullptr || *refusing == 0)
        GTEST_SKIP() << "run by run_with_refusing_folder.sh";
    const std::string folder = refusing;
    const std::string writable = folder + "\\writable.txt";
#else
    const std::string folder = m_dir + "/refusing";
    ASSERT_TRUE(fs::create_directory(folder));
    const std::string writable = folder + "/writable.txt";
    WriteText(writable, "writable");
    const RefusingFolder refusingFolder(folder);
    if (!refusingFolder.Refuses())
        GTEST_SKIP() << "no folder here refuses a new file to this process";
#endif
    for (const std::string& destination : {writable, folder + kSeparator + "new.txt"}) {
        SCOPED_TRACE(destination);
        const files::DestinationCheck check = files::InspectDestination(destination);
        EXPECT_EQ(check.problem, files::DestinationProblem::FolderRefuses) << Describe(check);
        EXPECT_FALSE(check.reason.empty());
    }
}

#ifdef _WIN32

// A rename cannot replace a read-only file, nor one that another program holds open without
// letting others delete it: both are found before the work, not at its end.
TEST_F(Destination, AReadOnlyOrHeldOpenFileIsFoundBeforeTheWork)
{
    const std::string path = PathOf("held.txt");
    WriteText(path, "held");
    const struct {
        DWORD sharing;
        files::DestinationProblem problem;
    } holders[] = {
        {FILE_SHARE_READ | FILE_SHARE_WRITE, files::DestinationProblem::HeldOpen},
        {0, files::DestinationProblem::HeldOpen},
        {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, files::DestinationProblem::None},
    };
    for (const auto& holder : holders) {
        SCOPED_TRACE(holder.sharing);
        HANDLE other =
            ::CreateFileA(path.c_str(), GENERIC_READ, holder.sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(other, INVALID_HANDLE_VALUE);
        const files::DestinationCheck check = files::InspectDestination(path);
        ::CloseHandle(other);
        EXPECT_TRUE(check.exists);
        EXPECT_EQ(check.problem, holder.problem) << Describe(check);
    }
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(files::InspectDestination(path).problem, files::DestinationProblem::ReadOnly);
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Names(), std::vector<std::string>{"held.txt"});
}

#else

// Replacing a device, a pipe or a socket by a regular file would destroy it; a link to a
// file is replaced as a link.
TEST_F(Destination, WhatIsNoFileIsNeverReplacedButALinkIs)
{
    ASSERT_EQ(::mkfifo(PathOf("fifo").c_str(), 0600), 0);
    EXPECT_EQ(files::InspectDestination(PathOf("fifo")).problem, files::DestinationProblem::NotAFile);
    ASSERT_EQ(::symlink("/dev/null", PathOf("null").c_str()), 0);
    EXPECT_EQ(files::InspectDestination(PathOf("null")).problem, files::DestinationProblem::NotAFile);
    WriteText(PathOf("file"), "file");
    ASSERT_EQ(::symlink(PathOf("file").c_str(), PathOf("link").c_str()), 0);
    ASSERT_EQ(::symlink(PathOf("nowhere").c_str(), PathOf("dangling").c_str()), 0);
    for (const char* name : {"link", "dangling"}) {
        const files::DestinationCheck check = files::InspectDestination(PathOf(name));
        EXPECT_TRUE(check.exists) << name;
        EXPECT_EQ(check.problem, files::DestinationProblem::None) << name << ": " << Describe(check);
    }
}

#endif
