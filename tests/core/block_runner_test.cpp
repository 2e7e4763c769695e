// The threaded block runner against the serial one: the same bytes, the same progress
// positions, the same stops and failures, whatever the number of workers, the chunk size
// or the way the source hands out its bytes.
#include "blowfish.h"
#include "codec_fakes.h"
#include "locked_format.h"
#include "thread_start_limit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <limits>
#include <stdexcept>

using namespace lockedfile;
using namespace testing_codec;

namespace {

const std::string kPassword = "runner key";
const uint8_t* KeyBytes() { return reinterpret_cast<const uint8_t*>(kPassword.data()); }
const int kKeyLength = int(kPassword.size());
const std::string kName = "boundary.bin";
const uint64_t kDataOffset = DataOffset(kName.size());
constexpr ChunkSize kSmallChunk{64};

// What a run left behind: its status, what it wrote and the positions it showed.
struct Outcome {
    CodecStatus status;
    std::vector<uint8_t> bytes;
    std::vector<int> positions;
    int rangeCalls;
};

struct Faults {
    size_t sinkFailsAfter = std::numeric_limits<size_t>::max();
    int stopAfterChecks = std::numeric_limits<int>::max();
};

// Runs one codec call into a recording sink and progress, with a key context of its own.
template <typename CodecCall>
Outcome Observe(const Faults& faults, CodecCall call)
{
    MemorySink sink(faults.sinkFailsAfter);
    RecordingProgress progress;
    progress.stopAfterChecks = faults.stopAfterChecks;
    BlowfishKeyContext context;
    const CodecStatus status = call(sink, context, progress);
    return {status, sink.bytes, progress.positions, progress.rangeCalls};
}

Outcome Encrypt(ByteSource& source, uint64_t length, const BlockRunner& runner, const Faults& faults = {})
{
    return Observe(faults, [&](ByteSink& sink, BlowfishKeyContext& context, ProgressSink& progress) {
        return EncryptStream(source, length, kName, sink, KeyBytes(), kKeyLength, context, progress, runner);
    });
}

Outcome Encrypt(const std::vector<uint8_t>& plain, const BlockRunner& runner, const Faults& faults = {})
{
    MemorySource source(plain);
    return Encrypt(source, plain.size(), runner, faults);
}

// Decrypts `locked` from its tail count on, as the jobs do after the header reader.
Outcome Decrypt(ByteSource& source, uint64_t totalLength, const BlockRunner& runner, const Faults& faults = {})
{
    std::vector<uint8_t> header(kDataOffset);
    size_t got = 0;
    EXPECT_TRUE(ReadFully(source, header.data(), header.size(), got));
    return Observe(faults, [&](ByteSink& sink, BlowfishKeyContext& context, ProgressSink& progress) {
        return DecryptStream(source, totalLength, kDataOffset, sink, KeyBytes(), kKeyLength, context, progress,
                             runner);
    });
}

Outcome Decrypt(const std::vector<uint8_t>& locked, const BlockRunner& runner, const Faults& faults = {})
{
    MemorySource source(locked);
    return Decrypt(source, locked.size(), runner, faults);
}

void ExpectSame(const Outcome& threaded, const Outcome& serial)
{
    EXPECT_EQ(threaded.status, serial.status);
    EXPECT_TRUE(threaded.bytes == serial.bytes) << threaded.bytes.size() << " bytes against " << serial.bytes.size();
    EXPECT_EQ(threaded.positions, serial.positions);
    EXPECT_EQ(threaded.rangeCalls, serial.rangeCalls);
}

std::vector<BlockRunner> SmallChunkRunners()
{
    std::vector<BlockRunner> runners = {BlockRunner::Serial(kSmallChunk)};
    for (unsigned workers = 1; workers <= 8; ++workers)
        runners.push_back(BlockRunner::Threaded(workers, kSmallChunk));
    return runners;
}

// A sink that counts what it was given, and a source that remembers how far its reads
// ever ran ahead of the writes: the memory a run holds.
class CountingAtomicSink : public ByteSink {
public:
    bool Write(const uint8_t*, size_t count) override
    {
        written += count;
        return true;
    }
    std::atomic<uint64_t> written{0};
};

class LeadRecordingSource : public ByteSource {
public:
    LeadRecordingSource(uint64_t length, const CountingAtomicSink& sink) : m_zeros(length), m_sink(sink) {}
    bool Read(uint8_t* buffer, size_t want, size_t& got) override
    {
        const bool ok = m_zeros.Read(buffer, want, got);
        m_read += got;
        const uint64_t written = m_sink.written;
        maxLead = std::max(maxLead, m_read > written ? m_read - written : 0);
        return ok;
    }
    uint64_t maxLead = 0;

private:
    ZeroSource m_zeros;
    const CountingAtomicSink& m_sink;
    uint64_t m_read = 0;
};

class ThrowingSource : public ByteSource {
public:
    bool Read(uint8_t*, size_t, size_t&) override { throw std::runtime_error("the drive went away"); }
};

class ThrowingSink : public ByteSink {
public:
    explicit ThrowingSink(size_t throwAfter) : m_left(throwAfter) {}
    bool Write(const uint8_t*, size_t count) override
    {
        if (count > m_left)
            throw std::bad_alloc();
        m_left -= count;
        return true;
    }

private:
    size_t m_left;
};

}  // namespace

TEST(ThreadedRunner, GivesTheSerialBytesAndPositionsAroundEveryChunkBoundary)
{
    for (size_t chunks : {1u, 2u, 3u, 7u, 13u}) {
        for (int delta : {-9, -8, -7, -1, 0, 1, 7, 8, 9}) {
            const size_t length = chunks * kSmallChunk.Bytes() + delta;
            const std::vector<uint8_t> plain = Pattern(length, uint32_t(length));
            const Outcome serial = Encrypt(plain, BlockRunner::Serial());
            ASSERT_EQ(serial.status, CodecStatus::Ok);
            ASSERT_EQ(serial.rangeCalls, 1);
            const Outcome serialBack = Decrypt(serial.bytes, BlockRunner::Serial());
            ASSERT_EQ(serialBack.bytes, plain);
            for (const BlockRunner& runner : SmallChunkRunners()) {
                SCOPED_TRACE(testing::Message() << length << " bytes, " << runner.Workers() << " workers");
                ExpectSame(Encrypt(plain, runner), serial);
                ExpectSame(Decrypt(serial.bytes, runner), serialBack);
            }
        }
    }
    // The chunk sizes the program and kst really use: the serial runner's boundaries fall
    // inside the threaded runner's chunks.
    for (size_t chunks : {1u, 2u, 3u}) {
        for (int delta : {-8, -1, 0, 1, 8}) {
            const size_t length = chunks * kThreadedChunk.Bytes() + delta;
            const std::vector<uint8_t> plain = Pattern(length, uint32_t(length));
            const Outcome serial = Encrypt(plain, BlockRunner::Serial());
            const Outcome serialBack = Decrypt(serial.bytes, BlockRunner::Serial());
            ASSERT_EQ(serialBack.bytes, plain);
            for (unsigned workers : {2u, 5u}) {
                SCOPED_TRACE(testing::Message() << length << " bytes, " << workers << " workers");
                ExpectSame(Encrypt(plain, BlockRunner::Threaded(workers)), serial);
                ExpectSame(Decrypt(serial.bytes, BlockRunner::Threaded(workers)), serialBack);
            }
        }
    }
}

TEST(ThreadedRunner, TakesASourceThatHandsOutFewerBytesThanAsked)
{
    for (size_t length : {0u, 1u, 63u, 64u, 65u, 1000u, 4097u}) {
        const std::vector<uint8_t> plain = Pattern(length, 11);
        const Outcome serial = Encrypt(plain, BlockRunner::Serial());
        const Outcome serialBack = Decrypt(serial.bytes, BlockRunner::Serial());
        for (const BlockRunner& runner : SmallChunkRunners()) {
            SCOPED_TRACE(testing::Message() << length << " bytes, " << runner.Workers() << " workers");
            ShortReadSource plainSource(plain);
            ExpectSame(Encrypt(plainSource, plain.size(), runner), serial);
            ShortReadSource lockedSource(serial.bytes);
            ExpectSame(Decrypt(lockedSource, serial.bytes.size(), runner), serialBack);
        }
    }
}

TEST(ThreadedRunner, StopsBetweenChunksWhereTheSerialRunnerStops)
{
    const std::vector<uint8_t> plain = Pattern(10 * kSmallChunk.Bytes() + 3, 5);
    const std::vector<uint8_t> locked = Encrypt(plain, BlockRunner::Serial()).bytes;
    for (int stopAfter : {0, 1, 2, 6, 10}) {
        Faults stopping;
        stopping.stopAfterChecks = stopAfter;
        const Outcome serial = Encrypt(plain, BlockRunner::Serial(kSmallChunk), stopping);
        const Outcome serialBack = Decrypt(locked, BlockRunner::Serial(kSmallChunk), stopping);
        ASSERT_EQ(serial.status, CodecStatus::Stopped);
        ASSERT_EQ(serialBack.status, CodecStatus::Stopped);
        ASSERT_EQ(serialBack.bytes.size(), stopAfter * kSmallChunk.Bytes()) << "whole chunks, then nothing";
        for (const BlockRunner& runner : SmallChunkRunners()) {
            SCOPED_TRACE(testing::Message() << "stop after " << stopAfter << " chunks, " << runner.Workers()
                                            << " workers");
            ExpectSame(Encrypt(plain, runner, stopping), serial);
            ExpectSame(Decrypt(locked, runner, stopping), serialBack);
        }
    }
}

TEST(ThreadedRunner, ReportsReadAndWriteFailuresAsTheSerialRunnerDoes)
{
    const std::vector<uint8_t> plain = Pattern(20 * kSmallChunk.Bytes() + 5, 9);
    const std::vector<uint8_t> locked = Encrypt(plain, BlockRunner::Serial()).bytes;
    for (const BlockRunner& runner : SmallChunkRunners()) {
        SCOPED_TRACE(testing::Message() << runner.Workers() << " workers");
        for (size_t failAfter : {size_t(0), size_t(100), size_t(640), plain.size() - 1}) {
            MemorySource failing(plain, failAfter);
            EXPECT_EQ(Encrypt(failing, plain.size(), runner).status, CodecStatus::ReadFailed) << failAfter;
            MemorySource failingLocked(locked, kDataOffset + 1 + failAfter);
            EXPECT_EQ(Decrypt(failingLocked, locked.size(), runner).status, CodecStatus::ReadFailed) << failAfter;
        }

        // Writes go out in file order on the calling thread: a refused write leaves exactly
        // what the serial runner leaves.
        for (size_t failAfter : {size_t(3), size_t(500), size_t(1000), locked.size() - 1}) {
            Faults full;
            full.sinkFailsAfter = failAfter;
            ExpectSame(Encrypt(plain, runner, full), Encrypt(plain, BlockRunner::Serial(kSmallChunk), full));
            ExpectSame(Decrypt(locked, runner, full), Decrypt(locked, BlockRunner::Serial(kSmallChunk), full));
        }
    }
}

// A source that ends before the length it stated got shorter while it was read; one that
// goes on after it grew, or never said its size (/proc's files say 0). Neither is an I/O
// error, and neither may pass for a complete run, whichever runner reads it.
TEST(ThreadedRunner, TellsSourcesThatChangeSizeApartFromReadErrors)
{
    const std::vector<uint8_t> plain = Pattern(20 * kSmallChunk.Bytes() + 5, 9);
    std::vector<uint8_t> locked = Encrypt(plain, BlockRunner::Serial()).bytes;
    locked.insert(locked.end(), {1, 2, 3});  // stray bytes after the last block
    for (const BlockRunner& runner : SmallChunkRunners()) {
        SCOPED_TRACE(testing::Message() << runner.Workers() << " workers");
        for (size_t missing : {size_t(1), size_t(100), 3 * kSmallChunk.Bytes()}) {
            MemorySource shrunk(plain);
            EXPECT_EQ(Encrypt(shrunk, plain.size() + missing, runner).status, CodecStatus::SourceShorter) << missing;
        }
        // A locked file cut before its tail count, inside its blocks, inside its stray bytes.
        for (size_t cut : {size_t(kDataOffset), size_t(kDataOffset + 1 + 100), locked.size() - 1}) {
            MemorySource cutShort(std::vector<uint8_t>(locked.begin(), locked.begin() + cut));
            EXPECT_EQ(Decrypt(cutShort, locked.size(), runner).status, CodecStatus::SourceShorter) << cut;
        }

        for (size_t stated : {size_t(0), size_t(1), plain.size() - 8, plain.size() - 1}) {
            MemorySource grown(plain);
            EXPECT_EQ(Encrypt(grown, stated, runner).status, CodecStatus::SourceLonger) << stated;
        }
        std::vector<uint8_t> appended = locked;
        appended.push_back(4);
        MemorySource grownLocked(appended);
        EXPECT_EQ(Decrypt(grownLocked, locked.size(), runner).status, CodecStatus::SourceLonger);
    }
}

// A source or a sink that throws (out of memory, a vanished drive) on a thread of the
// runner must not end the process: the exception reaches the caller, as on one thread.
TEST(ThreadedRunner, PassesOnAnExceptionOnceItsThreadsHaveEnded)
{
    const std::vector<uint8_t> plain = Pattern(50 * kSmallChunk.Bytes(), 2);
    for (unsigned workers : {1u, 3u, 8u}) {
        SCOPED_TRACE(testing::Message() << workers << " workers");
        const BlockRunner runner = BlockRunner::Threaded(workers, kSmallChunk);
        RecordingProgress progress;
        BlowfishKeyContext context;
        ThrowingSource throwingSource;
        MemorySink sink;
        EXPECT_THROW(EncryptStream(throwingSource, plain.size(), kName, sink, KeyBytes(), kKeyLength, context,
                                   progress, runner),
                     std::runtime_error);
        for (size_t throwAfter : {size_t(100), size_t(1000)}) {
            MemorySource source(plain);
            ThrowingSink throwingSink(throwAfter);
            EXPECT_THROW(EncryptStream(source, plain.size(), kName, throwingSink, KeyBytes(), kKeyLength, context,
                                       progress, runner),
                         std::bad_alloc);
        }
    }
}

// Threads that cannot start (a process or memory limit) are no reason to fail: whatever
// number of them started, the run gives the serial runner's bytes and positions.
TEST(ThreadedRunner, GivesTheSerialResultWhenItsThreadsCannotStart)
{
    const std::vector<uint8_t> plain = Pattern(20 * kSmallChunk.Bytes() + 5, 4);
    const Outcome serial = Encrypt(plain, BlockRunner::Serial());
    const Outcome serialBack = Decrypt(serial.bytes, BlockRunner::Serial());
    for (unsigned workers : {1u, 3u}) {
        for (int starts = 0; starts <= int(workers); ++starts) {
            SCOPED_TRACE(testing::Message() << workers << " workers, " << starts << " threads may start");
            const BlockRunner runner = BlockRunner::Threaded(workers, kSmallChunk);
            ThreadStartLimit limit(starts);
            ExpectSame(Encrypt(plain, runner), serial);
            ExpectSame(Decrypt(serial.bytes, runner), serialBack);
            EXPECT_GT(limit.Refused(), 0);
        }
    }
}

TEST(ThreadedRunner, ReadsOddLockedFilesAsTheSerialRunnerDoes)
{
    for (size_t length : {0u, 1u, 8u, 100u, 129u}) {
        std::vector<uint8_t> locked = Encrypt(Pattern(length, 3), BlockRunner::Serial()).bytes;
        // Stray bytes after the last block, a tail count the writer never stores, and a file
        // that ends before its tail count.
        std::vector<uint8_t> stray = locked;
        stray.insert(stray.end(), {1, 2, 3});
        std::vector<uint8_t> bigTail = locked;
        bigTail[kDataOffset] = 9;
        std::vector<uint8_t> noTail(locked.begin(), locked.begin() + kDataOffset);
        for (const auto* file : {&locked, &stray, &bigTail, &noTail}) {
            const Outcome serial = Decrypt(*file, BlockRunner::Serial());
            for (const BlockRunner& runner : SmallChunkRunners()) {
                SCOPED_TRACE(testing::Message() << length << " bytes, file of " << file->size() << ", "
                                                << runner.Workers() << " workers");
                ExpectSame(Decrypt(*file, runner), serial);
            }
        }
    }
}

TEST(ThreadedRunner, HoldsAFixedNumberOfChunksWhateverTheLength)
{
    constexpr ChunkSize chunk{4096};
    for (unsigned workers : {1u, 3u}) {
        for (uint64_t length : {uint64_t(1) << 20, uint64_t(16) << 20}) {
            SCOPED_TRACE(testing::Message() << length << " bytes, " << workers << " workers");
            CountingAtomicSink sink;
            LeadRecordingSource source(length, sink);
            RecordingProgress progress;
            BlowfishKeyContext context;
            ASSERT_EQ(EncryptStream(source, length, kName, sink, KeyBytes(), kKeyLength, context, progress,
                                    BlockRunner::Threaded(workers, chunk)),
                      CodecStatus::Ok);
            EXPECT_EQ(sink.written.load(), HeaderLength(kName.size()) + length);
            // Two chunks per worker, one being read and one being written.
            EXPECT_LE(source.maxLead, (2 * workers + 2) * chunk.Bytes());
        }
    }
}

TEST(ChunkSize, IsAWholeNumberOfBlocks)
{
    EXPECT_THROW(ChunkSize(0), std::invalid_argument);
    EXPECT_THROW(ChunkSize(100), std::invalid_argument);
    EXPECT_THROW(ChunkSize(512 * 1024 + 4), std::invalid_argument);
    EXPECT_EQ(ChunkSize(64).Blocks(), 8u);
}

TEST(RunnerChoice, ThreadsOnlyWhereTheyPayUnlessACountWasAskedFor)
{
    EXPECT_EQ(RunnerFor(0, kThreadsPayFrom - 1, 8).Workers(), 0u);
    EXPECT_EQ(RunnerFor(0, uint64_t(1) << 32, 1).Workers(), 0u) << "one processor";
    EXPECT_EQ(RunnerFor(0, kThreadsPayFrom, 2).Workers(), 2u);
    EXPECT_EQ(RunnerFor(1, uint64_t(1) << 32, 8).Workers(), 0u) << "one thread is the serial runner";
    EXPECT_EQ(RunnerFor(3, 100, 1).Workers(), 3u);
    EXPECT_EQ(BlockRunner::Threaded(0).Workers(), 1u) << "a threaded runner has a worker";
}

// The codec keys the context its caller owns, never the process-wide state, which stays
// as whoever else keyed it left it.
TEST(CodecKey, KeysTheCallersContextAndLeavesTheProcessWideStateAlone)
{
    const uint8_t other[] = {'o', 't', 'h', 'e', 'r'};
    Blowfish_Init(other, int16_t(sizeof other));
    const BlowfishContext before = Blowfish_State();

    BlowfishContext expected;
    Blowfish_Init(expected, KeyBytes(), int16_t(kKeyLength));
    for (unsigned workers : {0u, 2u}) {
        const BlockRunner runner = workers == 0 ? BlockRunner::Serial() : BlockRunner::Threaded(workers);
        const std::vector<uint8_t> plain = Pattern(1000, 1);
        MemorySource source(plain);
        MemorySink sink;
        RecordingProgress progress;
        BlowfishKeyContext context;
        ASSERT_EQ(EncryptStream(source, plain.size(), kName, sink, KeyBytes(), kKeyLength, context, progress, runner),
                  CodecStatus::Ok);
        EXPECT_EQ(std::memcmp(&context.Context(), &expected, sizeof expected), 0);
        EXPECT_EQ(std::memcmp(&Blowfish_State(), &before, sizeof before), 0);
    }
    Blowfish_Reset();
}
