// The shred pass both faces run: zeros over the whole file, chunk by chunk, each on the
// disk before the next, one progress position per chunk.
#include "shred_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "codec_fakes.h"

using namespace lockedfile;
using testing_codec::RecordingProgress;

namespace {

// Keeps what it is given (or only counts it) and notes where each flush came; fails the
// write or the flush of one chunk on request.
class RecordingTarget : public ShredTarget {
public:
    explicit RecordingTarget(bool keepBytes = true) : m_keepBytes(keepBytes) {}
    bool Write(const uint8_t* buffer, size_t count) override
    {
        if (writes.size() == failWriteOfChunk)
            return false;
        writes.push_back(count);
        written += count;
        if (m_keepBytes)
            bytes.insert(bytes.end(), buffer, buffer + count);
        return true;
    }
    bool Flush() override
    {
        if (writes.size() == failFlushOfChunk + 1)
            return false;
        flushedAt.push_back(written);
        return true;
    }

    std::vector<size_t> writes;      // the size of each chunk, in order
    std::vector<uint64_t> flushedAt; // the bytes written when each flush came
    std::vector<uint8_t> bytes;
    uint64_t written = 0;
    size_t failWriteOfChunk = SIZE_MAX;
    size_t failFlushOfChunk = SIZE_MAX;

private:
    bool m_keepBytes;
};

TEST(ShredPass, WritesEveryByteAsZerosInWholeChunksAndALastShortOneEachFlushed)
{
    struct Case {
        uint64_t length;
        std::vector<size_t> chunks;
        std::vector<int> positions;
    };
    const Case cases[] = {
        {0, {0}, {0, 100}},
        {1, {1}, {0, 100, 100}},
        {99999, {99999}, {0, 100, 100}},
        {100000, {100000}, {0, 100, 100}},
        {100001, {100000, 1}, {0, 99, 100, 100}},
        {250000, {100000, 100000, 50000}, {0, 40, 80, 100, 100}},
        {300000, {100000, 100000, 100000}, {0, 33, 66, 100, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        RecordingTarget file;
        RecordingProgress progress;
        EXPECT_EQ(ShredPass(file, c.length, progress), ShredStatus::Done);
        EXPECT_EQ(file.writes, c.chunks);
        EXPECT_EQ(file.bytes.size(), c.length);
        EXPECT_TRUE(std::all_of(file.bytes.begin(), file.bytes.end(), [](uint8_t b) { return b == 0; }));
        // A flush after every chunk, before the next one is written.
        std::vector<uint64_t> chunkEnds;
        uint64_t end = 0;
        for (size_t chunk : c.chunks)
            chunkEnds.push_back(end += chunk);
        EXPECT_EQ(file.flushedAt, chunkEnds);
        EXPECT_EQ(progress.rangeCalls, 1);
        EXPECT_EQ(progress.positions, c.positions);
    }
}

TEST(ShredPass, WritesExactlyTheLengthOfAFileBeyondFourGigabytes)
{
    const uint64_t length = (uint64_t(1) << 32) + 12345;
    RecordingTarget file(false);
    RecordingProgress progress;
    EXPECT_EQ(ShredPass(file, length, progress), ShredStatus::Done);
    EXPECT_EQ(file.written, length);
    EXPECT_EQ(file.writes.size(), (length + kShredChunk - 1) / kShredChunk);
    EXPECT_EQ(file.writes.back(), length % kShredChunk);
    EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
    EXPECT_EQ(progress.positions.back(), 100);
}

TEST(ShredPass, AFailedWriteOrFlushEndsThePassWithoutReachingTheEnd)
{
    for (bool failFlush : {false, true}) {
        SCOPED_TRACE(failFlush ? "flush" : "write");
        RecordingTarget file;
        (failFlush ? file.failFlushOfChunk : file.failWriteOfChunk) = 2;
        RecordingProgress progress;
        EXPECT_EQ(ShredPass(file, 450000, progress), ShredStatus::WriteFailed);
        EXPECT_EQ(file.flushedAt, (std::vector<uint64_t>{100000, 200000}));
        EXPECT_EQ(file.writes.size(), failFlush ? 3u : 2u) << "nothing after the failure";
        EXPECT_EQ(progress.positions, (std::vector<int>{0, 22, 44})) << "no 100 for a pass that failed";
    }
}

TEST(ShredPass, AStopIsHeardBeforeEachChunkAndKeepsWhatIsOverwritten)
{
    for (int chunksBeforeStop : {0, 1, 2}) {
        SCOPED_TRACE(chunksBeforeStop);
        RecordingTarget file;
        RecordingProgress progress;
        progress.stopAfterChecks = chunksBeforeStop;
        EXPECT_EQ(ShredPass(file, 250000, progress), ShredStatus::Stopped);
        EXPECT_EQ(file.writes.size(), size_t(chunksBeforeStop));
        EXPECT_EQ(file.flushedAt.size(), size_t(chunksBeforeStop)) << "each written chunk is on the disk";
        EXPECT_TRUE(std::find(progress.positions.begin(), progress.positions.end(), 100) == progress.positions.end());
    }
}

}  // namespace
