// The kst program run as a script runs it: files in a scratch folder, passwords through a
// file or standard input, exit statuses and what is left on disk.
#include <gtest/gtest.h>

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "block_runner.h"
#include "kestrine_version.h"
#include "kst_fixture.h"

using namespace kst_testing;

namespace {

using KstRoundTrip = Kst;
using KstRefusal = Kst;
using KstFailure = Kst;
using KstInfo = Kst;
using KstShred = Kst;

}  // namespace

TEST_F(KstRoundTrip, EveryLengthToTwentyFourAndLargeOnesWriteTheCodecsBytesAndComeBack)
{
    std::vector<size_t> lengths;
    for (size_t length = 0; length <= 24; ++length)
        lengths.push_back(length);
    // Below and above the size where threads start, and over several pipeline chunks.
    for (size_t length : {(8u << 20) - 1, (8u << 20) + 5})
        lengths.push_back(length);
    for (size_t length : lengths) {
        SCOPED_TRACE(length);
        const std::vector<uint8_t> plain = Pattern(length, uint32_t(length));
        WriteFile(Path("plain.bin"), plain);
        KstRun run = RunWithPassword({"encrypt", Path("plain.bin")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.err, "") << "no progress when stderr is not a terminal";
        EXPECT_EQ(ReadFile(Path("plain.bin.kst")), CodecLocked(plain, "plain.bin", kPassword));
        EXPECT_EQ(ReadFile(Path("plain.bin")), plain) << "the source is left as it was";

        fs::remove(Path("plain.bin"));
        run = RunWithPassword({"decrypt", Path("plain.bin.kst")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadFile(Path("plain.bin")), plain) << "the stored name, in the locked file's folder";
        fs::remove(Path("plain.bin.kst"));
        EXPECT_EQ(Names(), (std::vector<std::string>{"password", "plain.bin"}));
    }
}

TEST_F(KstRoundTrip, PasswordsComeFromADescriptorAndThreadsDoNotChangeTheBytes)
{
    // Several of the threaded runner's chunks and a few bytes, so every worker has a share.
    const std::vector<uint8_t> plain = Pattern(3 * lockedfile::kThreadedChunk.Bytes() + 9, 7);
    WriteFile(Path("data"), plain);
    KstRun run = Run({"encrypt", Path("data"), "-o", Path("one.kst"), "--threads", "1", "--password-fd", "0"}, nullptr,
                     kPassword + "\n");
    ASSERT_EQ(run.status, 0) << run.err;
    run = Run({"encrypt", Path("data"), "-o", Path("four.kst"), "--threads", "4", "--password-fd", "0", "-q"},
              nullptr, kPassword);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("four.kst")), ReadFile(Path("one.kst")));
    run = Run({"decrypt", Path("four.kst"), "-o", Path("back"), "--threads", "3", "--password-fd", "0"}, nullptr,
              kPassword + "\r\n");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("back")), plain);
}

TEST_F(KstRoundTrip, DefaultOutputIsTheStoredNameMadeSafeInTheLockedFilesFolder)
{
    fs::create_directory(Path("inner"));
    const std::vector<uint8_t> plain = Pattern(40, 2);
    WriteFile(Path("inner/hostile.kst"), CodecLocked(plain, "..\\..\\evil/con.txt", kPassword));
    KstRun run = RunWithPassword({"decrypt", Path("inner/hostile.kst")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("inner/_con.txt")), plain);
    EXPECT_EQ(Names(), (std::vector<std::string>{"inner", "password"})) << "nothing outside the folder";

    WriteFile(Path("inner/nameless.kst"), CodecLocked(plain, "..", kPassword));
    run = RunWithPassword({"decrypt", Path("inner/nameless.kst")});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("-o"), std::string::npos) << run.err;
}

TEST_F(KstRefusal, ExistingOutputsBadHeadersPasswordsAndSourcesThatCannotBeRead)
{
    WriteFile(Path("plain"), Pattern(100, 1));
    WriteText(Path("plain.kst"), "old content");
    KstRun run = RunWithPassword({"encrypt", Path("plain")});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.err.find("--force"), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(Path("plain.kst")), Bytes("old content"));
    run = RunWithPassword({"encrypt", Path("plain"), "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("plain.kst")), CodecLocked(Pattern(100, 1), "plain", kPassword));

    // The source is never replaced, not even with --force.
    run = RunWithPassword({"encrypt", Path("plain"), "-o", Path("plain"), "--force"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(ReadFile(Path("plain")), Pattern(100, 1));

    const struct {
        const char* name;
        std::string content;
    } badHeads[] = {
        {"short.kst", "BLO"},
        {"magic.kst", "BLOX\x01" "a\x00"},
        {"zero.kst", std::string("BLOW\x00\x00", 6)},
        {"cut.kst", "BLOW\x09" "abc"},
        {"no-tail-count.kst", "BLOW\x03" "abc"},
    };
    for (const auto& bad : badHeads) {
        SCOPED_TRACE(bad.name);
        WriteText(Path(bad.name), bad.content);
        EXPECT_EQ(RunWithPassword({"decrypt", Path(bad.name), "-o", Path("out")}).status, 3);
        EXPECT_FALSE(fs::exists(Path("out")));
        EXPECT_EQ(RunWithPassword({"decrypt", Path(bad.name)}).status, 3);
        EXPECT_FALSE(fs::exists(Path("abc")));
        EXPECT_EQ(Run({"info", Path(bad.name)}).status, 3);
    }

    const struct {
        std::string password;
        const char* command;
    } badPasswords[] = {{"", "encrypt"}, {"\n", "encrypt"}, {std::string(57, 'p'), "encrypt"}, {"", "decrypt"}};
    for (const auto& bad : badPasswords) {
        SCOPED_TRACE(bad.password.size());
        WriteText(Path("bad-password"), bad.password);
        const std::string file = std::string(bad.command) == "encrypt" ? Path("plain") : Path("plain.kst");
        run = Run({bad.command, file, "-o", Path("out"), "--password-file", Path("bad-password")});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err, "");
    }
    WriteText(Path("bad-password"), std::string(56, 'p'));
    EXPECT_EQ(Run({"encrypt", Path("plain"), "-o", Path("out"), "--password-file", Path("bad-password")}).status, 0);
    fs::remove(Path("out"));
    fs::remove(Path("bad-password"));

    // Not on a terminal, no password option: nothing to ask with.
    EXPECT_EQ(Run({"encrypt", Path("plain"), "-o", Path("out")}).status, 2);
    EXPECT_EQ(RunWithPassword({"encrypt", m_dir, "-o", Path("out")}).status, 1);
    EXPECT_EQ(RunWithPassword({"encrypt", Path("missing"), "-o", Path("out")}).status, 1);
    EXPECT_EQ(RunWithPassword({"encrypt", "/dev/null", "-o", Path("out")}).status, 1);
    EXPECT_EQ(Run({"encrypt", Path("plain"), "--password", "x"}).status, 2);
    EXPECT_EQ(Run({}).status, 2);

    // Root reads anything: the unreadable source is tried as nobody.
    ::chmod(m_dir.c_str(), 0755);
    WriteFile(Path("locked-away"), Pattern(10, 3));
    ::chmod(Path("locked-away").c_str(), 0);
    run = Run({"encrypt", Path("locked-away"), "-o", "/tmp/kst-never-written", "--password-fd", "0"},
              [] {
                  if (::getuid() == 0 && ::setuid(65534) != 0)
                      ::_exit(125);
              },
              kPassword);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.err.find("locked-away"), std::string::npos) << run.err;
    fs::remove(Path("locked-away"));

    EXPECT_EQ(Names(), (std::vector<std::string>{"cut.kst", "magic.kst", "no-tail-count.kst", "password", "plain", "plain.kst", "short.kst",
                                                 "zero.kst"}));
}

TEST_F(KstFailure, AWriteFailureLeavesTheOldDestinationAndNoTemporaryFile)
{
    const std::vector<uint8_t> plain = Pattern(3u << 20, 4);
    WriteFile(Path("plain"), plain);
    WriteText(Path("out.kst"), "keep me");
    for (const char* threads : {"1", "2"}) {
        SCOPED_TRACE(threads);
        // The file size limit makes a write fail part way, as a full disk would.
        const KstRun run = RunWithPassword({"encrypt", Path("plain"), "-o", Path("out.kst"), "--force", "--threads", threads},
                                           [] {
                                               ::signal(SIGXFSZ, SIG_IGN);
                                               const rlimit limit{1u << 20, 1u << 20};
                                               ::setrlimit(RLIMIT_FSIZE, &limit);
                                           });
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("error writing"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(Path("out.kst")), Bytes("keep me"));
        EXPECT_EQ(Names(), (std::vector<std::string>{"out.kst", "password", "plain"}));
    }
}

TEST_F(KstFailure, AnInterruptInTheMiddleLeavesTheOldDestinationAndNoTemporaryFile)
{
    // Large enough that the run is still going when the signal comes; sparse, so cheap to make.
    {
        std::ofstream(Path("big"), std::ios::binary).close();
        fs::resize_file(Path("big"), uint64_t(512) << 20);
    }
    for (int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        WriteText(Path("out.kst"), "keep me");
        KstProcess process({"encrypt", Path("big"), "-o", Path("out.kst"), "--force", "--password-file",
                            Path("password")},
                           "", m_scratch);
        ASSERT_NE(WaitForPendingOutput(process), "");
        ::kill(process.Pid(), signalNumber);
        const KstRun run = process.Wait();
        // Death by the signal itself, so that a calling shell loop stops too.
        EXPECT_TRUE(run.signaled);
        EXPECT_EQ(run.status, 128 + signalNumber) << run.err;
        EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
        EXPECT_EQ(ReadFile(Path("out.kst")), Bytes("keep me"));
        EXPECT_EQ(Names(), (std::vector<std::string>{"big", "out.kst", "password"}));
    }
}

TEST_F(KstInfo, TellsTheStoredNameTailCountAndPlainLength)
{
    WriteFile(Path("a.kst"), CodecLocked(Pattern(13, 1), "a.txt", kPassword));
    KstRun run = Run({"info", Path("a.kst")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("stored name:   a.txt (5 bytes, code page 1252)\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("tail count:    5\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("plain length:  13 bytes\n"), std::string::npos) << run.out;

    std::vector<uint8_t> stray = CodecLocked(Pattern(16, 1), "b", kPassword);
    stray.insert(stray.end(), {7, 7, 7});
    WriteFile(Path("b.kst"), stray);
    run = Run({"info", Path("b.kst")});
    EXPECT_NE(run.out.find("plain length:  19 bytes\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("stray bytes:   3"), std::string::npos) << run.out;

    run = Run({"info", Path("password")});
    EXPECT_EQ(run.status, 3);
    EXPECT_NE(run.err.find("not a locked file"), std::string::npos) << run.err;
}

TEST_F(KstShred, ZeroesRegularFilesInPlaceAndRefusesTheRest)
{
    for (size_t length : {0u, 1u, 100000u, 250001u}) {
        SCOPED_TRACE(length);
        WriteFile(Path("secret"), Pattern(length, 5));
        struct stat before {};
        ::stat(Path("secret").c_str(), &before);
        const KstRun run = Run({"shred", Path("secret")});
        ASSERT_EQ(run.status, 0) << run.err;
        struct stat after {};
        ::stat(Path("secret").c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << "the same file, overwritten in place";
        EXPECT_EQ(ReadFile(Path("secret")), std::vector<uint8_t>(length, 0));
    }
    EXPECT_EQ(Run({"shred", m_dir}).status, 1);
    EXPECT_EQ(Run({"shred", "/dev/null"}).status, 1);
    EXPECT_EQ(Run({"shred", Path("missing")}).status, 1);
}

TEST(KstHelp, HelpAndVersionSayWhatTheyShould)
{
    const std::string scratch = "/tmp/kst-help-" + std::to_string(::getpid());
    KstRun run = RunKst({"--help"}, "", scratch);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("kst encrypt FILE"), std::string::npos);
    EXPECT_NE(run.out.find("Exit status"), std::string::npos);
    run = RunKst({"--version"}, "", scratch);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "kst (Kestrine) " KESTRINE_VERSION_TEXT "\n") << "the project's version";
    run = RunKst({"frobnicate", "x"}, "", scratch);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--help"), std::string::npos);
}
