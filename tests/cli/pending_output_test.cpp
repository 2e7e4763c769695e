// The pending output: the rename that puts it in place is made to last, and an output that
// is given up leaves nothing.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kst_fixture.h"
#include "pending_output.h"

namespace fs = std::filesystem;

namespace {

// What the folder flush saw: the folders it was asked for, and whether the output was
// already under its name then.
struct FolderFlushes {
    std::vector<std::string> folders;
    bool outputInPlace = false;
};
FolderFlushes g_flushes;
std::string g_expectedOutput;

bool RecordFolderFlush(const std::string& folder)
{
    g_flushes.folders.push_back(folder);
    g_flushes.outputInPlace = fs::exists(g_expectedOutput);
    return true;
}

class PendingOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/kst-pending-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = std::string(pattern) + "/";
        std::ofstream(m_dir + "source") << "source";
        uint64_t length = 0;
        ASSERT_TRUE(kst::OpenForReading(m_dir + "source", m_source, length).ok);
        g_flushes = FolderFlushes();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::vector<std::string> Names() const { return kst_testing::NamesIn(m_dir); }

    std::string m_dir;
    kst::FileHandle m_source;
};

}  // namespace

TEST_F(PendingOutputTest, TheFolderIsFlushedAfterTheOutputIsInPlace)
{
    g_expectedOutput = m_dir + "out";
    kst::PendingOutput output(g_expectedOutput, m_source, RecordFolderFlush);
    ASSERT_TRUE(output.Create().ok);
    const uint8_t bytes[] = {1, 2, 3};
    ASSERT_TRUE(output.File().WriteAll(bytes, sizeof bytes));
    std::string reason;
    ASSERT_EQ(output.Commit(false, reason), kst::CommitStatus::Done) << reason;
    EXPECT_EQ(g_flushes.folders, std::vector<std::string>{m_dir});
    EXPECT_TRUE(g_flushes.outputInPlace);
    EXPECT_EQ(Names(), (std::vector<std::string>{"out", "source"}));
}

TEST_F(PendingOutputTest, AnOutputGivenUpOrRefusedLeavesNothing)
{
    {
        kst::PendingOutput output(m_dir + "out", m_source, RecordFolderFlush);
        ASSERT_TRUE(output.Create().ok);
        EXPECT_TRUE(fs::exists(output.TemporaryPath()));
        output.Discard();
        EXPECT_EQ(Names(), std::vector<std::string>{"source"}) << "gone before anything is said";
    }
    std::ofstream(m_dir + "taken") << "taken";
    kst::PendingOutput output(m_dir + "taken", m_source, RecordFolderFlush);
    ASSERT_TRUE(output.Create().ok);
    std::string reason;
    EXPECT_EQ(output.Commit(false, reason), kst::CommitStatus::Exists);
    EXPECT_EQ(Names(), (std::vector<std::string>{"source", "taken"}));
    EXPECT_TRUE(g_flushes.folders.empty());
}

// What took the destination's name between the check and the rename is looked at again:
// a FIFO (or a device) there is not replaced by a file.
TEST_F(PendingOutputTest, AFifoThatTookTheNameMeanwhileIsNotReplaced)
{
    kst::PendingOutput output(m_dir + "out", m_source, RecordFolderFlush);
    ASSERT_TRUE(output.Create().ok);
    ASSERT_EQ(::mkfifo((m_dir + "out").c_str(), 0600), 0);
    std::string reason;
    EXPECT_EQ(output.Commit(true, reason), kst::CommitStatus::Failed);
    EXPECT_EQ(reason, "is a FIFO");
    EXPECT_TRUE(fs::is_fifo(m_dir + "out"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"out", "source"}));
}
