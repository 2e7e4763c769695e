// The three jobs as the view starts them: worker thread, real files, real progress bar.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "block_runner.h"
#include "blowfish.h"
#include "file_protection.h"
#include "job_fixture.h"
#include "message_pump.h"

namespace {

uint32_t LoadHalf(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

size_t LockedLength(size_t nameLength, size_t length) { return 6 + nameLength + 8 * ((length + 7) / 8); }

}  // namespace

using EncryptDecrypt = JobTest;
using Shred = JobTest;
using JobFailure = JobTest;

TEST_F(EncryptDecrypt, RoundTripsSourcesOfEveryTailCountWithDistinctProgressPositions) {
    for (size_t length : {0u, 1u, 4u, 7u, 8u, 13u, 16u, 300001u}) {
        SCOPED_TRACE(length);
        const std::string plain = PathOf("plain.txt"), locked = PathOf("plain.kst"), back = PathOf("back.txt");
        const std::vector<uint8_t> content = PatternBytes(length, static_cast<uint8_t>(length));
        WriteBytes(plain, content);

        Prepare(m_view, plain, locked, "secret");
        RunJob(m_view, EncryptThreadProc);
        EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
        EXPECT_EQ(ReadBytes(plain), content) << "the source is left as it was";
        const std::vector<uint8_t> lockedBytes = ReadBytes(locked);
        ASSERT_EQ(lockedBytes.size(), LockedLength(9, length));
        EXPECT_EQ(std::string(lockedBytes.begin(), lockedBytes.begin() + 14), std::string("BLOW\x09plain.txt"));
        EXPECT_EQ(lockedBytes[14], length % 8);

        EXPECT_TRUE(RangeCameFirst());
        std::vector<int> positions = Positions();
        ASSERT_FALSE(positions.empty());
        EXPECT_EQ(positions.back(), 100);
        if (length == 0) {
            EXPECT_EQ(positions, std::vector<int>{100});
        } else {
            EXPECT_EQ(positions.front(), 0);
            for (size_t i = 0; i + 1 < positions.size(); ++i) {
                EXPECT_EQ(positions[i] % 3, 0);
                EXPECT_LT(positions[i], positions[i + 1]) << "each position is sent once";
            }
        }

        m_view.m_nDataOffset = 5 + 9;
        Prepare(m_view, locked, back, "secret");
        RunJob(m_view, DecryptThreadProc);
        EXPECT_STREQ(m_view.JobEndText(), "Done Decrypting");
        EXPECT_EQ(ReadBytes(back), content);
        EXPECT_EQ(ReadBytes(locked), lockedBytes) << "the locked file is left as it was";
        EXPECT_TRUE(RangeCameFirst());
        EXPECT_EQ(Positions().back(), 100);
        if (length == 0) {
            EXPECT_EQ(Positions(), std::vector<int>{100});
        }
    }
    EXPECT_TRUE(m_driver.Shown().empty());
}

// On one thread or on several, a job writes the same locked file and the same plain file
// back, and the bar moves through the same positions.
TEST_F(EncryptDecrypt, OneOrSeveralCipherThreadsGiveTheSameBytesAndPositions) {
    const std::string plain = PathOf("plain.txt"), locked = PathOf("plain.kst"), back = PathOf("back.txt");
    for (size_t length : {size_t(1000), 3 * lockedfile::kLargeThreadedChunk.Bytes() + 13}) {
        const std::vector<uint8_t> content = PatternBytes(length, 9);
        WriteBytes(plain, content);
        std::vector<uint8_t> lockedOnOne;
        std::vector<int> encryptPositions, decryptPositions;
        for (unsigned threads : {1u, 2u, 4u}) {
            SCOPED_TRACE(testing::Message() << length << " bytes, " << threads << " cipher threads");
            m_view.m_nCipherThreads = threads;
            Prepare(m_view, plain, locked, "secret");
            RunJob(m_view, EncryptThreadProc);
            EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
            EXPECT_TRUE(RangeCameFirst());
            const std::vector<uint8_t> lockedBytes = ReadBytes(locked);
            if (threads == 1) {
                lockedOnOne = lockedBytes;
                encryptPositions = Positions();
                ASSERT_EQ(lockedOnOne.size(), LockedLength(9, length));
            } else {
                EXPECT_TRUE(lockedBytes == lockedOnOne);
                EXPECT_EQ(Positions(), encryptPositions);
            }

            m_view.m_nDataOffset = 5 + 9;
            Prepare(m_view, locked, back, "secret");
            RunJob(m_view, DecryptThreadProc);
            EXPECT_STREQ(m_view.JobEndText(), "Done Decrypting");
            EXPECT_TRUE(RangeCameFirst());
            EXPECT_TRUE(ReadBytes(back) == content);
            if (threads == 1)
                decryptPositions = Positions();
            else
                EXPECT_EQ(Positions(), decryptPositions);
        }
    }
    m_view.m_nCipherThreads = 0;
    EXPECT_TRUE(m_driver.Shown().empty());
}

TEST_F(EncryptDecrypt, OneByteBecomesOneBlockPaddedWithZeros) {
    const std::string plain = PathOf("a"), locked = PathOf("a.kst");
    WriteBytes(plain, {0xA5});
    Prepare(m_view, plain, locked, "key");
    RunJob(m_view, EncryptThreadProc);
    std::vector<uint8_t> bytes = ReadBytes(locked);
    ASSERT_EQ(bytes.size(), 6u + 1 + 8);
    uint32_t left = LoadHalf(&bytes[7]), right = LoadHalf(&bytes[11]);
    Blowfish_Init(reinterpret_cast<const uint8_t*>("key"), 3);
    Blowfish_Decipher(left, right);
    EXPECT_EQ(left, 0xA5u);
    EXPECT_EQ(right, 0u);
}

TEST_F(EncryptDecrypt, AppendedBytesFollowTheWholeLastBlockUnchanged) {
    const std::string plain = PathOf("p.bin"), locked = PathOf("p.kst"), back = PathOf("back.bin");
    const std::vector<uint8_t> content = PatternBytes(13, 7);
    WriteBytes(plain, content);
    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);
    std::vector<uint8_t> lockedBytes = ReadBytes(locked);
    lockedBytes.insert(lockedBytes.end(), {0x11, 0x22, 0x33});
    WriteBytes(locked, lockedBytes);

    m_view.m_nDataOffset = 5 + 5;
    Prepare(m_view, locked, back, "pw");
    RunJob(m_view, DecryptThreadProc);
    std::vector<uint8_t> expected = content;
    expected.insert(expected.end(), {0, 0, 0, 0x11, 0x22, 0x33});
    EXPECT_EQ(ReadBytes(back), expected);
}

TEST_F(EncryptDecrypt, WrongPasswordGivesTheRightLengthAndNoMessage) {
    const std::string plain = PathOf("p.bin"), locked = PathOf("p.kst"), back = PathOf("back.bin");
    const std::vector<uint8_t> content = PatternBytes(1003, 3);
    WriteBytes(plain, content);
    Prepare(m_view, plain, locked, "right");
    RunJob(m_view, EncryptThreadProc);
    m_view.m_nDataOffset = 5 + 5;
    Prepare(m_view, locked, back, "wrong");
    RunJob(m_view, DecryptThreadProc);
    std::vector<uint8_t> garbage = ReadBytes(back);
    EXPECT_EQ(garbage.size(), content.size());
    EXPECT_NE(garbage, content);
    EXPECT_STREQ(m_view.JobEndText(), "Done Decrypting");
    EXPECT_TRUE(m_driver.Shown().empty());
}

TEST_F(EncryptDecrypt, AnExistingDestinationIsReplaced) {
    const std::string plain = PathOf("five"), locked = PathOf("five.kst");
    WriteBytes(plain, PatternBytes(5, 1));
    WriteBytes(locked, std::vector<uint8_t>(1000, 'x'));
    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);
    EXPECT_EQ(ReadBytes(locked).size(), LockedLength(4, 5));
}

TEST_F(JobFailure, ReadOnlySourcesAreEncryptedAndDecryptedButNotShredded) {
    const std::string plain = PathOf("ro.txt"), locked = PathOf("ro.kst"), back = PathOf("ro.out");
    const std::vector<uint8_t> content = PatternBytes(500, 9);
    WriteBytes(plain, content);
    ASSERT_TRUE(::SetFileAttributesA(plain.c_str(), FILE_ATTRIBUTE_READONLY));

    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);
    EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
    ASSERT_TRUE(::SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
    m_view.m_nDataOffset = 5 + 6;
    Prepare(m_view, locked, back, "pw");
    RunJob(m_view, DecryptThreadProc);
    EXPECT_STREQ(m_view.JobEndText(), "Done Decrypting");
    EXPECT_EQ(ReadBytes(back), content);
    EXPECT_TRUE(m_driver.Shown().empty());

    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    Prepare(m_view, plain, "", nullptr);
    RunJob(m_view, ShredThreadProc);
    ExpectBoxes({"Error opening source file to shred."});
    EXPECT_STREQ(m_view.JobEndText(), "Shredding failed.");
    EXPECT_EQ(ReadBytes(plain), content) << "the file is untouched";
    EXPECT_TRUE(s_barMessages.empty());
}

// Reading is all a job does to its source: others may read it meanwhile, nobody may change it.
TEST_F(JobFailure, ASourceHeldOpenForWritingElsewhereIsRefused) {
    const std::string plain = PathOf("held.txt"), locked = PathOf("held.kst");
    WriteBytes(plain, PatternBytes(64, 1));
    HANDLE writer = ::CreateFileA(plain.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);
    ::CloseHandle(writer);
    ExpectBoxes({"Error opening source file to encrypt."});
    EXPECT_STREQ(m_view.JobEndText(), "Encrypting failed.");
    EXPECT_FALSE(FileExists(locked));

    HANDLE reader = ::CreateFileA(plain.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    Prepare(m_view, plain, locked, "pw");  // the last job's end wiped its key
    RunJob(m_view, EncryptThreadProc);
    ::CloseHandle(reader);
    EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
}

TEST_F(JobFailure, TheSourceChosenAsDestinationIsRefusedAndKept) {
    const std::string plain = PathOf("same.txt");
    const std::vector<uint8_t> content = PatternBytes(77, 4);
    WriteBytes(plain, content);

    ExpectBothJobsRefuseTheDestination(plain, plain);
    EXPECT_EQ(ReadBytes(plain), content);
}

TEST_F(JobFailure, AParameterThatIsNotTheViewIsRefusedWithoutASound) {
    CFile notAView;
    for (AFX_THREADPROC proc : {EncryptThreadProc, DecryptThreadProc, ShredThreadProc}) {
        EXPECT_EQ(proc(nullptr), 0xFFFFFFFFu);
        EXPECT_EQ(proc(&notAView), 0xFFFFFFFFu);
    }
    kst_test::PumpUntil([] { return false; }, 100);
    EXPECT_EQ(s_jobsDone, 0);
    EXPECT_TRUE(s_barMessages.empty());
    EXPECT_TRUE(m_driver.Shown().empty());
}

// A write that fails (a full disk) or that runs out of memory in the middle of a job: the
// partial destination goes, never the source, and the job says it failed.
TEST_F(JobFailure, AFailedOrThrowingWriteDeletesThePartialDestinationAndTheJobSaysItFailed) {
    const std::string plain = PathOf("big.bin"), locked = PathOf("big.kst"), back = PathOf("big.out");
    const std::vector<uint8_t> content = PatternBytes(600000, 5);
    WriteBytes(plain, content);
    FileProbe probe;
    ProbeView view(probe);
    Prepare(view, plain, locked, "pw");
    RunJob(view, EncryptThreadProc);
    const std::vector<uint8_t> lockedBytes = ReadBytes(locked);
    ASSERT_EQ(lockedBytes.size(), LockedLength(7, content.size()));

    const struct {
        bool throws;
        const char* encryptMessage;
        const char* decryptMessage;
    } cases[] = {
        {false, "Error writing the encrypted file.", "Error writing the decrypted file."},
        {true, "Not enough memory to finish the job.", "Not enough memory to finish the job."},
    };
    for (unsigned threads : {1u, 3u}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.encryptMessage << ", " << threads << " cipher threads");
            view.m_nCipherThreads = threads;
            probe.failWritesAfter = c.throws ? UINT64_MAX : 200000;
            probe.throwWritesAfter = c.throws ? 200000 : UINT64_MAX;
            probe.bytesWritten = 0;
            m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
            ::DeleteFileA(locked.c_str());
            Prepare(view, plain, locked, "pw");
            RunJob(view, EncryptThreadProc);
            ExpectBoxes({c.encryptMessage});
            EXPECT_FALSE(FileExists(locked)) << "the partial locked file is deleted";
            EXPECT_EQ(ReadBytes(plain), content) << "never the source";
            EXPECT_STREQ(view.JobEndText(), "Encrypting failed.");

            WriteBytes(locked, lockedBytes);
            probe.bytesWritten = 0;
            m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
            view.m_nDataOffset = 5 + 7;
            Prepare(view, locked, back, "pw");
            RunJob(view, DecryptThreadProc);
            ExpectBoxes({c.decryptMessage});
            EXPECT_FALSE(FileExists(back));
            EXPECT_EQ(ReadBytes(locked), lockedBytes);
            EXPECT_STREQ(view.JobEndText(), "Decrypting failed.");
        }
    }

    probe.failWritesAfter = 200000;
    probe.throwWritesAfter = UINT64_MAX;
    probe.bytesWritten = 0;
    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    Prepare(view, plain, "", nullptr);
    RunJob(view, ShredThreadProc);
    ExpectBoxes({"Error writing zeros over the file to shred."});
    EXPECT_STREQ(view.JobEndText(), "Shredding failed.");
    std::vector<uint8_t> shredded = ReadBytes(plain);
    ASSERT_EQ(shredded.size(), content.size()) << "a shredded file keeps its length";
    EXPECT_TRUE(std::all_of(shredded.begin(), shredded.begin() + 200000, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::equal(shredded.begin() + 200000, shredded.end(), content.begin() + 200000));
}

// A shred that fails after opening its file ran, like the other jobs: 1; 0 only when the
// file could not be opened.
TEST_F(JobFailure, AShredThatFailsStillReportsThatItRan) {
    const std::string path = PathOf("w.bin");
    WriteBytes(path, PatternBytes(250000, 3));
    FileProbe probe;
    probe.failWritesAfter = 100000;
    ProbeView view(probe);
    Prepare(view, path, "", nullptr);
    view.m_progress.m_hWnd = nullptr;
    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    EXPECT_EQ(view.RunShred(), 1);
    EXPECT_FALSE(view.JobComplete());
    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    Prepare(view, PathOf("missing.bin"), "", nullptr);
    EXPECT_EQ(view.RunShred(), 0);
    EXPECT_EQ(m_driver.Shown().size(), 2u);
    m_driver.Clear();
}

// The password-derived tables must not stay in memory once a job has ended, however it
// ended and however many threads ciphered its blocks: the job keys a context of its own,
// never the process-wide state, and wipes it.
TEST_F(JobFailure, NoKeyedStateOutlivesAJob) {
    auto unkeyed = [] { return std::memcmp(&Blowfish_State(), &kBlowfishInitialTables, sizeof(BlowfishContext)) == 0; };
    auto wiped = [](const CBlowfishView& view) {
        const BlowfishContext zero{};
        return std::memcmp(&view.m_keyContext.Context(), &zero, sizeof zero) == 0;
    };
    // Other tests key the process-wide state for their reference blocks; no job may.
    Blowfish_Reset();
    const std::string plain = PathOf("r.bin"), locked = PathOf("r.kst"), back = PathOf("r.out");
    WriteBytes(plain, PatternBytes(20000, 2));
    for (unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(testing::Message() << threads << " cipher threads");
        m_view.m_nCipherThreads = threads;
        Prepare(m_view, plain, locked, "pw");
        RunJob(m_view, EncryptThreadProc);
        EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
        EXPECT_TRUE(unkeyed()) << "after an encryption";
        EXPECT_TRUE(wiped(m_view)) << "after an encryption";
        m_view.m_nDataOffset = 5 + 5;
        Prepare(m_view, locked, back, "pw");
        RunJob(m_view, DecryptThreadProc);
        EXPECT_STREQ(m_view.JobEndText(), "Done Decrypting");
        EXPECT_TRUE(unkeyed()) << "after a decryption";
        EXPECT_TRUE(wiped(m_view)) << "after a decryption";

        FileProbe probe;
        probe.failWritesAfter = 1000;
        ProbeView failing(probe);
        failing.m_nCipherThreads = threads;
        Prepare(failing, plain, PathOf("r2.kst"), "pw");
        m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
        RunJob(failing, EncryptThreadProc);
        EXPECT_STREQ(failing.JobEndText(), "Encrypting failed.");
        EXPECT_TRUE(unkeyed()) << "after a failed job";
        EXPECT_TRUE(wiped(failing)) << "after a failed job";

        CBlowfishView stopping;
        stopping.m_nCipherThreads = threads;
        Prepare(stopping, plain, PathOf("r3.kst"), "pw");
        stopping.RequestStop();
        RunJob(stopping, EncryptThreadProc);
        EXPECT_STREQ(stopping.JobEndText(), "Encrypting stopped.");
        EXPECT_TRUE(unkeyed()) << "after a stopped job";
        EXPECT_TRUE(wiped(stopping)) << "after a stopped job";
        m_driver.Clear();
    }
}

TEST_F(JobFailure, AnEmptyKeyNeverReachesTheEngine) {
    const std::string plain = PathOf("k.txt"), locked = PathOf("k.kst"), back = PathOf("k.out");
    WriteBytes(plain, PatternBytes(40, 2));
    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);

    for (AFX_THREADPROC proc : {EncryptThreadProc, DecryptThreadProc}) {
        const bool encrypting = proc == EncryptThreadProc;
        const std::string dest = encrypting ? PathOf("k2.kst") : back;
        m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
        m_view.m_nDataOffset = 5 + 5;
        Prepare(m_view, encrypting ? plain : locked, dest, "");
        RunJob(m_view, proc);
        ExpectBoxes({"You did not specify a password."});
        EXPECT_FALSE(FileExists(dest));
        EXPECT_STREQ(m_view.JobEndText(), encrypting ? "Encrypting failed." : "Decrypting failed.");
    }
}

TEST_F(JobFailure, AStopRequestEndsEncryptionOrDecryptionAndDeletesTheIncompleteFile) {
    const std::string plain = PathOf("s.bin"), locked = PathOf("s.kst"), back = PathOf("s.out");
    WriteBytes(plain, PatternBytes(400000, 6));
    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);
    const std::vector<uint8_t> lockedBytes = ReadBytes(locked);

    CBlowfishView closing;
    Prepare(closing, plain, PathOf("s2.kst"), "pw");
    closing.RequestStop();
    RunJob(closing, EncryptThreadProc);
    EXPECT_FALSE(FileExists(PathOf("s2.kst")));
    EXPECT_STREQ(closing.JobEndText(), "Encrypting stopped.");

    closing.m_nDataOffset = 5 + 5;
    Prepare(closing, locked, back, "pw");
    RunJob(closing, DecryptThreadProc);
    EXPECT_FALSE(FileExists(back));
    EXPECT_EQ(ReadBytes(locked), lockedBytes);
    EXPECT_STREQ(closing.JobEndText(), "Decrypting stopped.");
    EXPECT_TRUE(m_driver.Shown().empty()) << "the user asked for it: no message";
}

TEST_F(Shred, OverwritesWithZerosChunkByChunkWithAFlushAndAPositionEach) {
    struct Case {
        size_t length;
        std::vector<int> positions;
        int flushes;
    };
    const Case cases[] = {
        {250000, {0, 40, 80, 100, 100}, 3},
        {100000, {0, 100, 100}, 1},
        {100001, {0, 99, 100, 100}, 2},
        {0, {0, 100}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string path = PathOf("victim.doc");
        WriteBytes(path, PatternBytes(c.length, 8));
        FileProbe probe;
        ProbeView view(probe);
        Prepare(view, path, "", nullptr);
        RunJob(view, ShredThreadProc);
        EXPECT_STREQ(view.JobEndText(), "Done Shredding");
        EXPECT_TRUE(RangeCameFirst());
        EXPECT_EQ(Positions(), c.positions);
        EXPECT_EQ(probe.flushes, c.flushes);
        EXPECT_EQ(probe.bytesWritten, c.length);
        std::vector<uint8_t> after = ReadBytes(path);
        EXPECT_EQ(after.size(), c.length);
        EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](uint8_t b) { return b == 0; }));
    }
    EXPECT_TRUE(m_driver.Shown().empty());
}

// A file a little over 4 GiB, given by a probe that only counts: writing that much for
// real under the emulator would take far too long.
TEST_F(Shred, WritesExactlyTheLengthOfAFileBeyondFourGigabytes) {
    FileProbe probe;
    probe.fake = true;
    probe.fakeLength = (uint64_t(1) << 32) + 12345;
    ProbeView view(probe);
    Prepare(view, PathOf("huge.iso"), "", nullptr);
    view.m_progress.m_hWnd = nullptr;  // 43 000 cross-thread positions would only cost time
    RunJob(view, ShredThreadProc);
    EXPECT_EQ(probe.bytesWritten, probe.fakeLength);
    EXPECT_EQ(probe.flushes, int((probe.fakeLength + 99999) / 100000));
    EXPECT_STREQ(view.JobEndText(), "Done Shredding");
}

// The user chose to replace an existing file: a job that fails (a full disk, a flush that
// fails), runs out of memory or is stopped leaves that file exactly as it was, and leaves
// nothing else behind in its folder.
TEST_F(JobFailure, AnExistingDestinationOutlivesAJobThatDoesNotComplete) {
    const std::string plain = PathOf("report.doc"), locked = PathOf("report.kst"), back = PathOf("report.out");
    const std::vector<uint8_t> content = PatternBytes(300000, 3);
    WriteBytes(plain, content);
    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);
    const std::vector<uint8_t> lockedBytes = ReadBytes(locked);
    const std::vector<uint8_t> oldLocked = PatternBytes(5000, 7), oldBack = PatternBytes(7000, 8);

    enum class Ending { WriteFails, FlushFails, Throws, Stopped };
    const struct {
        Ending ending;
        const char* encryptMessage;
        const char* decryptMessage;
        const char* encryptEnd;
        const char* decryptEnd;
    } cases[] = {
        {Ending::WriteFails, "Error writing the encrypted file.", "Error writing the decrypted file.", "Encrypting failed.",
         "Decrypting failed."},
        {Ending::FlushFails, "Error writing the encrypted file.", "Error writing the decrypted file.", "Encrypting failed.",
         "Decrypting failed."},
        {Ending::Throws, "Not enough memory to finish the job.", "Not enough memory to finish the job.",
         "Encrypting failed.", "Decrypting failed."},
        {Ending::Stopped, nullptr, nullptr, "Encrypting stopped.", "Decrypting stopped."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.ending));
        FileProbe probe;
        if (c.ending == Ending::WriteFails) probe.failWritesAfter = 100000;
        if (c.ending == Ending::FlushFails) probe.failFlushes = true;
        if (c.ending == Ending::Throws) probe.throwWritesAfter = 100000;
        ProbeView view(probe);
        if (c.ending == Ending::Stopped) view.RequestStop();

        WriteBytes(locked, oldLocked);
        if (c.encryptMessage != nullptr) m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
        Prepare(view, plain, locked, "pw");
        RunJob(view, EncryptThreadProc);
        if (c.encryptMessage != nullptr) ExpectBoxes({c.encryptMessage});
        EXPECT_STREQ(view.JobEndText(), c.encryptEnd);
        EXPECT_EQ(ReadBytes(locked), oldLocked) << "the replaced locked file is as it was";

        const std::string source = PathOf("source.kst");
        WriteBytes(source, lockedBytes);
        WriteBytes(back, oldBack);
        probe.bytesWritten = 0;
        if (c.decryptMessage != nullptr) m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
        view.m_nDataOffset = 5 + 10;
        Prepare(view, source, back, "pw");
        RunJob(view, DecryptThreadProc);
        if (c.decryptMessage != nullptr) ExpectBoxes({c.decryptMessage});
        EXPECT_STREQ(view.JobEndText(), c.decryptEnd);
        EXPECT_EQ(ReadBytes(back), oldBack) << "the replaced plain file is as it was";
        ::DeleteFileA(source.c_str());
        EXPECT_EQ(FolderNames(m_dir), (std::vector<std::string>{"report.doc", "report.kst", "report.out"}))
            << "no temporary file is left behind";
    }
    EXPECT_TRUE(m_driver.Shown().empty());
}

// A result of several megabytes is flushed while it is still being written, behind the
// writes. A flush there that fails lost bytes already written: the job fails as for any
// failed write. A job that fails or runs out of memory while such a flush is under way
// waits for it to end before it closes and deletes its file. Either way the file the user
// chose to replace stays as it was and nothing is left in its folder.
TEST_F(JobFailure, AFlushBehindTheWritesThatFailsOrOutlastsTheJobIsPartOfTheFailedWrite) {
    const std::string plain = PathOf("film.avi"), locked = PathOf("film.kst");
    constexpr uint64_t kMiB = 1 << 20;
    WriteBytes(plain, PatternBytes(10 * kMiB, 4));
    const std::vector<uint8_t> oldLocked = PatternBytes(3000, 9);
    const struct {
        const char* what;
        int failFlushNumber;
        DWORD flushMilliseconds;
        uint64_t failWritesAfter;
        uint64_t throwWritesAfter;
        const char* message;
    } cases[] = {
        {"the first flush fails", 1, 0, UINT64_MAX, UINT64_MAX, "Error writing the encrypted file."},
        {"a write fails during a flush", 0, 400, 9 * kMiB, UINT64_MAX, "Error writing the encrypted file."},
        {"a write throws during a flush", 0, 400, UINT64_MAX, 9 * kMiB, "Not enough memory to finish the job."},
    };
    for (unsigned threads : {1u, 2u}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << ", " << threads << " cipher threads");
            FileProbe probe;
            probe.failFlushNumber = c.failFlushNumber;
            probe.flushMilliseconds = c.flushMilliseconds;
            probe.failWritesAfter = c.failWritesAfter;
            probe.throwWritesAfter = c.throwWritesAfter;
            probe.failOnlyDuringAFlush = c.flushMilliseconds > 0;
            ProbeView view(probe);
            view.m_nCipherThreads = threads;
            WriteBytes(locked, oldLocked);
            m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
            Prepare(view, plain, locked, "pw");
            RunJob(view, EncryptThreadProc);
            ExpectBoxes({c.message});
            EXPECT_STREQ(view.JobEndText(), "Encrypting failed.");
            EXPECT_GE(probe.flushes, 1) << "a flush was started behind the writes";
            EXPECT_EQ(probe.flushesUnderWay, 0);
            EXPECT_EQ(probe.filesGoneDuringAFlush, 0) << "no flush outlives the job's file";
            EXPECT_EQ(ReadBytes(locked), oldLocked);
            EXPECT_EQ(FolderNames(m_dir), (std::vector<std::string>{"film.avi", "film.kst"}));
        }
    }
}

// A complete result replaces the destination only after its bytes were flushed.
TEST_F(EncryptDecrypt, TheNewFileIsFlushedBeforeItReplacesTheDestination) {
    const std::string plain = PathOf("f.txt"), locked = PathOf("f.kst"), back = PathOf("f.out");
    WriteBytes(plain, PatternBytes(1000, 2));
    WriteBytes(locked, PatternBytes(10, 1));
    FileProbe probe;
    ProbeView view(probe);
    Prepare(view, plain, locked, "pw");
    RunJob(view, EncryptThreadProc);
    EXPECT_STREQ(view.JobEndText(), "Done Encrypting");
    EXPECT_EQ(probe.flushes, 1);
    EXPECT_EQ(ReadBytes(locked).size(), LockedLength(5, 1000));
    view.m_nDataOffset = 5 + 5;
    Prepare(view, locked, back, "pw");
    RunJob(view, DecryptThreadProc);
    EXPECT_STREQ(view.JobEndText(), "Done Decrypting");
    EXPECT_EQ(probe.flushes, 2);
    EXPECT_EQ(ReadBytes(back), PatternBytes(1000, 2));
    EXPECT_EQ(FolderNames(m_dir), (std::vector<std::string>{"f.kst", "f.out", "f.txt"}));
}

// The source named again as the destination, however it is spelt, is never replaced by
// the job's result: letter case, the short 8.3 name, a path relative to the current folder.
TEST_F(JobFailure, TheSourceUnderAnotherSpellingIsRefusedAsDestinationAndKept) {
    const std::string plain = PathOf("Quarterly Figures.text");
    const std::vector<uint8_t> content = PatternBytes(300, 4);
    WriteBytes(plain, content);
    char shortPath[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA(plain.c_str(), shortPath, sizeof shortPath), 0u);
    ASSERT_NE(std::string(shortPath), plain) << "the file has a distinct short name";
    std::string upper = plain;
    ::CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(m_dir.c_str()));

    for (const std::string& dest : {upper, std::string(shortPath), std::string("Quarterly Figures.text"),
                                    std::string(".\\..\\") + m_dir.substr(m_dir.find_last_of('\\') + 1) +
                                        "\\Quarterly Figures.text"}) {
        SCOPED_TRACE(dest);
        ExpectBothJobsRefuseTheDestination(plain, dest);
        EXPECT_EQ(ReadBytes(plain), content);
        EXPECT_EQ(FolderNames(m_dir), std::vector<std::string>{"Quarterly Figures.text"});
    }
    ::SetCurrentDirectoryA(previous);
}

TEST_F(Shred, AFlushThatFailsIsAFailure) {
    const std::string path = PathOf("flush.bin");
    WriteBytes(path, PatternBytes(1000, 3));
    FileProbe probe;
    probe.failFlushes = true;
    ProbeView view(probe);
    Prepare(view, path, "", nullptr);
    m_driver.Expect(kst_test::DialogAnswer::Press(IDOK));
    RunJob(view, ShredThreadProc);
    ExpectBoxes({"Error writing zeros over the file to shred."});
    EXPECT_STREQ(view.JobEndText(), "Shredding failed.");
}

// A result that replaces a file nobody else may read is not readable by others either: it
// takes the replaced file's access list. A new file gets what any new file in its folder
// gets.
TEST_F(EncryptDecrypt, AResultThatReplacesAPrivateFileIsPrivateToo) {
    const std::string plain = PathOf("diary.txt"), locked = PathOf("diary.kst"), back = PathOf("diary.out");
    const std::vector<uint8_t> content = PatternBytes(3000, 5);
    WriteBytes(plain, content);
    for (const std::string& replaced : {locked, back}) {
        WriteBytes(replaced, PatternBytes(10, 1));
        ASSERT_TRUE(kst_test::MakePrivate(replaced));
        ASSERT_FALSE(kst_test::OthersMayRead(replaced)) << "the test's own premise";
    }
    Prepare(m_view, plain, locked, "pw");
    RunJob(m_view, EncryptThreadProc);
    EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
    EXPECT_FALSE(kst_test::OthersMayRead(locked));
    m_view.m_nDataOffset = 5 + 9;
    Prepare(m_view, locked, back, "pw");
    RunJob(m_view, DecryptThreadProc);
    EXPECT_STREQ(m_view.JobEndText(), "Done Decrypting");
    EXPECT_EQ(ReadBytes(back), content);
    EXPECT_FALSE(kst_test::OthersMayRead(back)) << "the plaintext stays private";

    const std::string fresh = PathOf("fresh.kst"), made = PathOf("made");
    WriteBytes(made, {1});
    Prepare(m_view, plain, fresh, "pw");
    RunJob(m_view, EncryptThreadProc);
    EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
    EXPECT_EQ(kst_test::OthersMayRead(fresh), kst_test::OthersMayRead(made));
    EXPECT_TRUE(m_driver.Shown().empty());
}

// The longest destination a folder takes is written: its temporary file, beside it, must
// fit where the destination fits, whatever the name's length.
TEST_F(EncryptDecrypt, TheLongestDestinationAFolderTakesIsWritten) {
    const std::string plain = PathOf("p.txt");
    WriteBytes(plain, PatternBytes(100, 3));
    // A folder of 252 characters and a name of 5: 258, the longest path MAX_PATH allows.
    const std::string folder = m_dir + "\\" + std::string(251 - m_dir.size(), 'f');
    ASSERT_EQ(folder.size(), 252u);
    const std::wstring wideFolder = L"\\\\?\\" + std::wstring(folder.begin(), folder.end());
    ASSERT_TRUE(::CreateDirectoryW(wideFolder.c_str(), nullptr));
    const std::string dest = folder + "\\a.kst";
    ASSERT_EQ(dest.size(), 258u);
    Prepare(m_view, plain, dest, "pw");
    RunJob(m_view, EncryptThreadProc);
    EXPECT_STREQ(m_view.JobEndText(), "Done Encrypting");
    EXPECT_TRUE(m_driver.Shown().empty());
    m_driver.Clear();
    const std::wstring wideDest = wideFolder + L"\\a.kst";
    WIN32_FILE_ATTRIBUTE_DATA written{};
    EXPECT_TRUE(::GetFileAttributesExW(wideDest.c_str(), GetFileExInfoStandard, &written));
    EXPECT_EQ(written.nFileSizeLow, LockedLength(5, 100));
    ::DeleteFileW(wideDest.c_str());
    EXPECT_TRUE(::RemoveDirectoryW(wideFolder.c_str())) << "nothing else was left in the folder";
}
