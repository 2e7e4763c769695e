// The progress bar must see exactly the positions the block-by-block loops would show,
// each once, then 100.
#include "codec_fakes.h"
#include "locked_format.h"
#include "progress_schedule.h"

#include <gtest/gtest.h>

#include <random>

using namespace lockedfile;
using namespace testing_codec;

namespace {

const uint8_t kKey[] = {'k', 'e', 'y'};

int Percent(uint64_t p, uint64_t total)
{
    return int(double(p) / double(total) * 100.0);
}

// Keeps a position only when it differs from the one sent before it.
void Send(std::vector<int>& sent, int q)
{
    if (q % 3 == 0 && (sent.empty() || sent.back() != q))
        sent.push_back(q);
}

// The encrypt loop: a look at the position before every block and once where it ends.
std::vector<int> NaiveEncryptPositions(uint64_t length)
{
    std::vector<int> sent;
    for (uint64_t p = 0;; p += std::min<uint64_t>(8, length - p)) {
        if (length != 0)
            Send(sent, Percent(p, length));
        if (p == length)
            break;
    }
    sent.push_back(100);
    return sent;
}

// The decrypt loop: from just after the tail count, in whole blocks, and one last look
// where fewer than 8 bytes remain.
std::vector<int> NaiveDecryptPositions(uint64_t total, uint64_t dataOffset)
{
    std::vector<int> sent;
    for (uint64_t p = dataOffset + 1;; p += 8) {
        Send(sent, Percent(p, total));
        if (total - p < 8)
            break;
    }
    sent.push_back(100);
    return sent;
}

std::vector<int> EncryptPositions(uint64_t length)
{
    ZeroSource source(length);
    CountingSink sink;
    RecordingProgress progress;
    EXPECT_EQ(EncryptStream(source, length, "n", sink, kKey, 3, progress), CodecStatus::Ok);
    EXPECT_EQ(progress.rangeCalls, 1);
    return progress.positions;
}

std::vector<int> DecryptPositions(uint64_t total, uint64_t dataOffset)
{
    ZeroSource source(total - dataOffset);
    CountingSink sink;
    RecordingProgress progress;
    EXPECT_EQ(DecryptStream(source, total, dataOffset, sink, kKey, 3, progress), CodecStatus::Ok);
    EXPECT_EQ(progress.rangeCalls, 1);
    return progress.positions;
}

TEST(Progress, EncryptShowsTheBlockLoopsPositionsOnceEach)
{
    for (uint64_t length = 0; length <= 2000; ++length)
        ASSERT_EQ(EncryptPositions(length), NaiveEncryptPositions(length)) << length;
    std::mt19937_64 rng(1);
    for (int i = 0; i < 20; ++i) {
        const uint64_t length = 2000 + rng() % 3000000;
        ASSERT_EQ(EncryptPositions(length), NaiveEncryptPositions(length)) << length;
    }
}

TEST(Progress, EmptySourceShowsOnly100AndNonEmptyStartsAt0)
{
    EXPECT_EQ(EncryptPositions(0), std::vector<int>{100});
    EXPECT_EQ(EncryptPositions(1).front(), 0);
    EXPECT_EQ(EncryptPositions(1), (std::vector<int>{0, 100}));
}

TEST(Progress, DecryptShowsTheBlockLoopsPositionsOnceEach)
{
    for (uint64_t dataOffset : {6u, 10u, 260u}) {
        for (uint64_t data = 1; data <= 2000; ++data)
            ASSERT_EQ(DecryptPositions(dataOffset + data, dataOffset),
                      NaiveDecryptPositions(dataOffset + data, dataOffset))
                << dataOffset << " " << data;
    }
    std::mt19937_64 rng(2);
    for (int i = 0; i < 20; ++i) {
        const uint64_t dataOffset = 6 + rng() % 250;
        const uint64_t total = dataOffset + 1 + rng() % 3000000;
        ASSERT_EQ(DecryptPositions(total, dataOffset), NaiveDecryptPositions(total, dataOffset)) << total;
    }
}

// For lengths too large to run block by block: for every multiple of 3, find the first
// step that reaches it by scanning around the step where a straight proportion puts
// it, and expect an event there exactly when that step shows the value itself.
void ExpectEventsNearProportionalSteps(uint64_t first, uint64_t last, uint64_t total)
{
    const uint64_t steps = (last - first + 7) / 8;
    auto percentAt = [&](uint64_t step) {
        return Percent(step >= steps ? last : first + 8 * step, total);
    };
    std::vector<ProgressEvent> expected;
    for (int value = 0; value < 100; value += 3) {
        if (value < percentAt(0) || value > percentAt(steps))
            continue;
        const long double position = (long double)value * total / 100.0L;
        const uint64_t guess = position <= first ? 0 : uint64_t((position - first) / 8);
        uint64_t step = guess > 4 ? guess - 4 : 0;
        ASSERT_TRUE(step == 0 || percentAt(step) < value) << "window too small for " << value;
        while (percentAt(step) < value) ++step;
        ASSERT_LE(step, guess + 8);
        if (percentAt(step) == value && (expected.empty() || expected.back().percent != value))
            expected.push_back({step, value});
    }
    const auto events = ProgressEvents(first, last, steps, total);
    ASSERT_EQ(events.size(), expected.size()) << total;
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i].step, expected[i].step) << total << " value " << expected[i].percent;
        EXPECT_EQ(events[i].percent, expected[i].percent);
    }
}

TEST(Progress, HugeLengthsAroundAndBeyondFourGigabytes)
{
    const uint64_t fourGiB = uint64_t(1) << 32;
    for (uint64_t length : {fourGiB - 9, fourGiB - 1, fourGiB, fourGiB + 1, fourGiB + 7,
                            uint64_t(1) << 31, (uint64_t(1) << 40) + 3, uint64_t(100) * 1000 * 1000 * 1000}) {
        ExpectEventsNearProportionalSteps(0, length, length);
        ExpectEventsNearProportionalSteps(11, length, length);  // a decrypt after a 10-byte header
    }
}

}  // namespace
