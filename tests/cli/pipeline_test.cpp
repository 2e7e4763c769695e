// The multi-threaded codec against the single-threaded one, and the command line's rules.
#include <gtest/gtest.h>

#include "memory_streams.h"
#include "options.h"
#include "parallel_codec.h"
#include "password.h"

namespace {

const std::string kKey = "pipeline key";
const uint8_t* KeyBytes() { return reinterpret_cast<const uint8_t*>(kKey.data()); }

std::vector<uint8_t> CodecPlain(const std::vector<uint8_t>& locked, size_t dataOffset)
{
    MemorySource source(locked);
    std::vector<uint8_t> skipped(dataOffset);
    size_t got = 0;
    source.Read(skipped.data(), dataOffset, got);
    MemorySink sink;
    SilentProgress progress;
    lockedfile::DecryptStream(source, locked.size(), dataOffset, sink, KeyBytes(), int(kKey.size()), progress);
    return sink.bytes;
}

std::vector<uint8_t> ParallelPlain(const std::vector<uint8_t>& locked, size_t dataOffset,
                                   const kst::ParallelSettings& settings)
{
    MemorySource source(locked);
    std::vector<uint8_t> skipped(dataOffset);
    size_t got = 0;
    source.Read(skipped.data(), dataOffset, got);
    MemorySink sink;
    EXPECT_EQ(kst::ParallelDecrypt(source, locked.size(), dataOffset, sink, KeyBytes(), int(kKey.size()), settings),
              lockedfile::CodecStatus::Ok);
    return sink.bytes;
}

bool StopAtOnce() { return true; }

}  // namespace

TEST(ParallelCodec, MatchesTheSingleThreadedCodecAroundEveryChunkBoundary)
{
    // Small chunks put many boundaries within reach; the real chunk size is covered too.
    for (size_t chunkBytes : {size_t(64), size_t(512) * 1024}) {
        for (unsigned workers : {1u, 2u, 3u, 5u}) {
            kst::ParallelSettings settings;
            settings.workers = workers;
            settings.chunkBytes = chunkBytes;
            for (size_t chunks : {1u, 2u, 3u, 7u, 13u}) {
                if (chunkBytes > 64 && (chunks > 3 || workers > 2))
                    continue;
                for (int delta : {-9, -8, -7, -1, 0, 1, 7, 8, 9}) {
                    const size_t length = chunks * chunkBytes + delta;
                    SCOPED_TRACE(testing::Message() << chunkBytes << "-byte chunks, " << workers << " workers, "
                                                    << length << " bytes");
                    const std::vector<uint8_t> plain = Pattern(length, uint32_t(length));
                    const std::vector<uint8_t> expected = CodecLocked(plain, "boundary.bin", kKey);

                    MemorySource source(plain);
                    MemorySink sink;
                    ASSERT_EQ(kst::ParallelEncrypt(source, length, "boundary.bin", sink, KeyBytes(),
                                                   int(kKey.size()), settings),
                              lockedfile::CodecStatus::Ok);
                    ASSERT_EQ(sink.bytes, expected);
                    ASSERT_EQ(ParallelPlain(sink.bytes, 5 + 12, settings), plain);
                }
            }
        }
    }
}

TEST(ParallelCodec, ReadsOddLockedFilesAsTheCodecDoes)
{
    kst::ParallelSettings settings;
    settings.chunkBytes = 64;
    for (size_t length : {0u, 1u, 8u, 100u, 129u}) {
        std::vector<uint8_t> locked = CodecLocked(Pattern(length, 3), "odd", kKey);
        // Stray bytes after the last block, and a tail count the writer never stores.
        std::vector<uint8_t> stray = locked;
        stray.insert(stray.end(), {1, 2, 3});
        std::vector<uint8_t> bigTail = locked;
        bigTail[5 + 3] = 9;
        std::vector<uint8_t> noTail(locked.begin(), locked.begin() + 5 + 3);
        for (const auto* file : {&locked, &stray, &bigTail, &noTail}) {
            SCOPED_TRACE(testing::Message() << length << " bytes, file of " << file->size());
            EXPECT_EQ(ParallelPlain(*file, 5 + 3, settings), CodecPlain(*file, 5 + 3));
        }
    }
}

TEST(ParallelCodec, ReportsReadWriteFailuresStopsAndRefusesAnEmptyKey)
{
    const std::vector<uint8_t> plain = Pattern(10000, 1);
    kst::ParallelSettings settings;
    settings.chunkBytes = 512;
    settings.workers = 3;
    {
        MemorySource source(plain, 4000);
        MemorySink sink;
        EXPECT_EQ(kst::ParallelEncrypt(source, plain.size(), "f", sink, KeyBytes(), 3, settings),
                  lockedfile::CodecStatus::ReadFailed);
    }
    {
        // The source ends before the length it claimed.
        MemorySource source(plain);
        MemorySink sink;
        EXPECT_EQ(kst::ParallelEncrypt(source, plain.size() + 100, "f", sink, KeyBytes(), 3, settings),
                  lockedfile::CodecStatus::ReadFailed);
    }
    {
        MemorySource source(plain);
        MemorySink sink(5000);
        EXPECT_EQ(kst::ParallelEncrypt(source, plain.size(), "f", sink, KeyBytes(), 3, settings),
                  lockedfile::CodecStatus::WriteFailed);
    }
    {
        MemorySource source(plain);
        MemorySink sink;
        kst::ParallelSettings stopping = settings;
        stopping.stopRequested = StopAtOnce;
        EXPECT_EQ(kst::ParallelEncrypt(source, plain.size(), "f", sink, KeyBytes(), 3, stopping),
                  lockedfile::CodecStatus::Stopped);
        EXPECT_LT(sink.bytes.size(), 10u) << "no block written after the stop";
    }
    {
        MemorySource source(plain);
        MemorySink sink;
        EXPECT_EQ(kst::ParallelEncrypt(source, plain.size(), "f", sink, KeyBytes(), 0, settings),
                  lockedfile::CodecStatus::EmptyKey);
        EXPECT_TRUE(sink.bytes.empty());
    }
}

TEST(CommandLine, TakesCommandsFilesAndOptionsAndRefusesTheRest)
{
    const auto parsed = kst::ParseCommandLine({"encrypt", "-q", "a.txt", "--output=b.kst", "--force", "--threads", "3"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.command, kst::Command::Encrypt);
    EXPECT_EQ(parsed.options.file, "a.txt");
    EXPECT_EQ(parsed.options.output, "b.kst");
    EXPECT_TRUE(parsed.options.force && parsed.options.quiet);
    EXPECT_EQ(parsed.options.threads, 3u);
    EXPECT_EQ(kst::ParseCommandLine({"decrypt", "--", "-odd.kst"}).options.file, "-odd.kst");
    EXPECT_EQ(kst::ParseCommandLine({"shred", "x", "--help"}).options.command, kst::Command::Help);

    const std::vector<std::vector<std::string>> refused = {
        {},
        {"encrypt"},
        {"encrypt", "a", "b"},
        {"compress", "a"},
        {"encrypt", "a", "--password", "secret"},
        {"encrypt", "a", "--password-file", "p", "--password-fd", "3"},
        {"shred", "a", "-o", "b"},
        {"info", "a", "-o", "b"},
        {"encrypt", "a", "--threads", "0"},
        {"encrypt", "a", "--password-fd", "x"},
        {"encrypt", "a", "--bogus"},
        {"encrypt", "a", "-o"},
        {"encrypt", "a", "--force=yes"},
    };
    for (const auto& arguments : refused) {
        const auto result = kst::ParseCommandLine(arguments);
        EXPECT_FALSE(result.ok) << testing::PrintToString(arguments);
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(Passwords, EncryptionTakesOneToFiftySixCharactersDecryptionAnyButEmpty)
{
    EXPECT_NE(kst::PasswordRefusal("", kst::PasswordUse::Encrypt), "");
    EXPECT_NE(kst::PasswordRefusal("", kst::PasswordUse::Decrypt), "");
    EXPECT_EQ(kst::PasswordRefusal("x", kst::PasswordUse::Encrypt), "");
    EXPECT_EQ(kst::PasswordRefusal(std::string(56, 'x'), kst::PasswordUse::Encrypt), "");
    EXPECT_NE(kst::PasswordRefusal(std::string(57, 'x'), kst::PasswordUse::Encrypt), "");
    EXPECT_EQ(kst::PasswordRefusal(std::string(57, 'x'), kst::PasswordUse::Decrypt), "");
}
