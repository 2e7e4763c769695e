// The pending file: the commit puts a complete, flushed file in place and makes that last;
// a file given up, refused or whose process is killed leaves nothing; a result is never
// more readable than the file it replaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "file_identity.h"
#include "files_fixture.h"
#include "open.h"
#include "pending_file.h"
#include "protection.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace files_testing;

namespace {

// What the folder flush saw: the folders it was asked for, and whether the output was
// already under its name then.
struct FolderFlushes {
    std::vector<files::NativePath> folders;
    bool outputInPlace = false;
};
FolderFlushes g_flushes;
std::string g_expectedOutput;

bool RecordFolderFlush(const files::NativePath& folder)
{
    g_flushes.folders.push_back(folder);
    g_flushes.outputInPlace = fs::exists(g_expectedOutput);
    return true;
}

const uint8_t kBytes[] = {1, 2, 3};

class PendingFileTest : public ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        WriteText(PathOf("source"), "source");
        uint64_t length = 0;
        ASSERT_TRUE(files::OpenRegular(PathOf("source"), files::Access::Read, files::Sharing::Read, m_source, length).ok);
        g_flushes = FolderFlushes();
    }
    void TearDown() override
    {
        m_source.Close();
        ScratchFolder::TearDown();
    }

    files::File m_source;
};

}  // namespace

TEST_F(PendingFileTest, TheFolderIsFlushedAfterTheOutputIsInPlace)
{
    g_expectedOutput = PathOf("out");
    files::File output;
    files::PendingFile pending(output, RecordFolderFlush);
    ASSERT_TRUE(pending.Create(g_expectedOutput, m_source).ok);
    ASSERT_TRUE(output.WriteAll(kBytes, sizeof kBytes));
    std::string reason;
    ASSERT_EQ(pending.Commit(false, reason), files::CommitStatus::Done) << reason;
    ASSERT_EQ(g_flushes.folders.size(), 1u);
    EXPECT_TRUE(files::SameFile(files::Path::FromNative(g_flushes.folders[0]), m_dir));
    EXPECT_TRUE(g_flushes.outputInPlace);
    EXPECT_EQ(Names(), (std::vector<std::string>{"out", "source"}));
    EXPECT_EQ(ReadText(PathOf("out")), "\x01\x02\x03");
}

TEST_F(PendingFileTest, AnOutputGivenUpOrRefusedLeavesNothing)
{
    {
        files::File output;
        files::PendingFile pending(output, RecordFolderFlush);
        ASSERT_TRUE(pending.Create(PathOf("out"), m_source).ok);
        ASSERT_TRUE(output.WriteAll(kBytes, sizeof kBytes));
        pending.Discard();
        EXPECT_EQ(Names(), std::vector<std::string>{"source"}) << "gone before anything is said";
    }
    WriteText(PathOf("taken"), "taken");
    files::File output;
    files::PendingFile pending(output, RecordFolderFlush);
    ASSERT_TRUE(pending.Create(PathOf("taken"), m_source).ok);
    std::string reason;
    EXPECT_EQ(pending.Commit(false, reason), files::CommitStatus::Exists);
    EXPECT_EQ(Names(), (std::vector<std::string>{"source", "taken"}));
    EXPECT_EQ(ReadText(PathOf("taken")), "taken");
    EXPECT_TRUE(g_flushes.folders.empty());
}

// Nobody who could not read the replaced file can read its replacement, while it is being
// written or after. On POSIX systems it keeps the replaced file's mode exactly.
TEST_F(PendingFileTest, AResultThatReplacesAPrivateFileIsPrivateToo)
{
    WriteText(PathOf("diary"), "old");
    ASSERT_TRUE(MakePrivate(PathOf("diary")));
    ASSERT_FALSE(OthersMayRead(PathOf("diary"))) << "the test's own premise";
    files::File output;
    files::PendingFile pending(output);
    ASSERT_TRUE(pending.Create(PathOf("diary"), m_source).ok);
    ASSERT_TRUE(output.WriteAll(kBytes, sizeof kBytes));
    EXPECT_FALSE(OthersMayRead(output)) << "while it is written";
    std::string reason;
    ASSERT_EQ(pending.Commit(true, reason), files::CommitStatus::Done) << reason;
    EXPECT_FALSE(OthersMayRead(PathOf("diary")));
#ifndef _WIN32
    EXPECT_EQ(fs::status(PathOf("diary")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
#endif
    EXPECT_EQ(ReadText(PathOf("diary")), "\x01\x02\x03");
}

// A new result is readable by nobody who could not read its source, from the moment it
// exists (the plaintext of a private locked file never lands in a folder whose new files
// everyone may read); a result of an ordinary source is as readable as the source, as any
// new file there would be.
TEST_F(PendingFileTest, ANewResultIsNeverMoreReadableThanItsSource)
{
    ASSERT_TRUE(MakePrivate(PathOf("source")));
    ASSERT_FALSE(OthersMayRead(PathOf("source"))) << "the test's own premise";
    files::File output;
    files::PendingFile pending(output);
    ASSERT_TRUE(pending.Create(PathOf("plain"), m_source).ok);
    EXPECT_FALSE(OthersMayRead(output)) << "before a byte is written";
    ASSERT_TRUE(output.WriteAll(kBytes, sizeof kBytes));
    std::string reason;
    ASSERT_EQ(pending.Commit(false, reason), files::CommitStatus::Done) << reason;
    EXPECT_FALSE(OthersMayRead(PathOf("plain")));

    WriteText(PathOf("ordinary"), "ordinary");
    files::File ordinary;
    uint64_t length = 0;
    ASSERT_TRUE(files::OpenRegular(PathOf("ordinary"), files::Access::Read, files::Sharing::Read, ordinary, length).ok);
    ASSERT_TRUE(pending.Create(PathOf("copy"), ordinary).ok);
    ASSERT_EQ(pending.Commit(false, reason), files::CommitStatus::Done) << reason;
    EXPECT_EQ(OthersMayRead(PathOf("copy")), OthersMayRead(PathOf("ordinary"))) << "not narrowed for nothing";
}

#ifdef _WIN32
// Who may read the result cannot be known when the source's access list cannot be read:
// no result at all, rather than one that others might read.
TEST_F(PendingFileTest, ASourceWhoseAccessListCannotBeReadGivesNoResult)
{
    files::File unreadable(::CreateFileA(PathOf("source").c_str(), FILE_READ_DATA | SYNCHRONIZE, FILE_SHARE_READ,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(unreadable.IsOpen());
    files::File output;
    files::PendingFile pending(output);
    EXPECT_FALSE(pending.Create(PathOf("out"), unreadable).ok);
    EXPECT_FALSE(output.IsOpen());
    EXPECT_EQ(Names(), std::vector<std::string>{"source"});
}
#endif

// The process is killed while it writes (SIGKILL, TerminateProcess): the system removes
// the pending file, so no half-written plaintext is left, and the file it was to replace
// stays as it was.
TEST_F(PendingFileTest, NothingIsLeftWhenItsProcessIsKilledMidWrite)
{
    WriteText(PathOf("plain"), "kept");
    ChildWritingPendingFile child(PathOf("plain"));
    ASSERT_TRUE(child.WaitUntilWritten());
#ifdef _WIN32
    EXPECT_EQ(Names().size(), 3u) << "the pending file is there while the child lives";
#endif
    ASSERT_TRUE(child.Kill());
    EXPECT_EQ(Names(), (std::vector<std::string>{"plain", "source"}));
    EXPECT_EQ(ReadText(PathOf("plain")), "kept");
}

#ifndef _WIN32
// What took the destination's name between the check and the rename is looked at again:
// a FIFO (or a device) there is not replaced by a file.
TEST_F(PendingFileTest, AFifoThatTookTheNameMeanwhileIsNotReplaced)
{
    files::File output;
    files::PendingFile pending(output, RecordFolderFlush);
    ASSERT_TRUE(pending.Create(PathOf("out"), m_source).ok);
    ASSERT_EQ(::mkfifo(PathOf("out").c_str(), 0600), 0);
    std::string reason;
    EXPECT_EQ(pending.Commit(true, reason), files::CommitStatus::Failed);
    EXPECT_EQ(reason, "is a FIFO");
    EXPECT_TRUE(fs::is_fifo(PathOf("out")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"out", "source"}));
}
#endif
