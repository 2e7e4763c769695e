// kst among other users, signals, closed pipes and odd names: what it leaves readable,
// how it ends, and what it prints.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kst_fixture.h"

using namespace kst_testing;

namespace {

using KstAccess = Kst;
using KstSignals = Kst;
using KstNames = Kst;
using KstOutput = Kst;

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

void UsualUmask()
{
    ::umask(022);
}

// A sparse file large enough that a run is still going when a test acts on it.
void MakeBigFile(const std::string& path, unsigned mebibytes = 512)
{
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, uint64_t(mebibytes) << 20);
}

}  // namespace

TEST_F(KstAccess, OutputsAreNeverWiderThanTheSourceOrTheFileTheyReplace)
{
    const std::vector<uint8_t> plain = Pattern(1000, 3);
    WriteFile(Path("private"), plain);
    ::chmod(Path("private").c_str(), 0600);
    ASSERT_EQ(RunWithPassword({"encrypt", Path("private")}, UsualUmask).status, 0);
    EXPECT_EQ(ModeOf(Path("private.kst")), 0600u);

    ::chmod(Path("private.kst").c_str(), 0600);
    ASSERT_EQ(RunWithPassword({"decrypt", Path("private.kst"), "-o", Path("plain")}, UsualUmask).status, 0);
    EXPECT_EQ(ModeOf(Path("plain")), 0600u);

    // A readable locked file decrypted over a file only its owner may read keeps it so.
    ::chmod(Path("private.kst").c_str(), 0644);
    ::chmod(Path("plain").c_str(), 0600);
    ASSERT_EQ(RunWithPassword({"decrypt", Path("private.kst"), "-o", Path("plain"), "--force"}, UsualUmask).status,
              0);
    EXPECT_EQ(ModeOf(Path("plain")), 0600u);
    EXPECT_EQ(ReadFile(Path("plain")), plain);

    // Group access as the source has it; the umask still takes what it takes.
    ::chmod(Path("private").c_str(), 0640);
    ASSERT_EQ(RunWithPassword({"encrypt", Path("private"), "-o", Path("group.kst")}, UsualUmask).status, 0);
    EXPECT_EQ(ModeOf(Path("group.kst")), 0640u);
    ::chmod(Path("private").c_str(), 0666);
    ASSERT_EQ(RunWithPassword({"encrypt", Path("private"), "-o", Path("all.kst")}, UsualUmask).status, 0);
    EXPECT_EQ(ModeOf(Path("all.kst")), 0644u);
}

TEST_F(KstAccess, ThePlaintextIsOnlyTheOwnersWhileItIsBeingWritten)
{
    MakeBigFile(Path("big"));
    KstProcess process({"encrypt", Path("big"), "-o", Path("big.kst"), "--password-file", Path("password")}, "",
                       m_scratch, UsualUmask);
    const std::string pending = WaitForPendingOutput(process);
    ASSERT_NE(pending, "");
    EXPECT_EQ(ModeOf(pending) & 077, 0u) << pending;
    ::kill(process.Pid(), SIGTERM);
    process.Wait();
}

TEST_F(KstSignals, AHangUpIgnoredOnEntryStaysIgnored)
{
    MakeBigFile(Path("big"));
    KstProcess process({"encrypt", Path("big"), "-o", Path("big.kst"), "--password-file", Path("password")}, "",
                       m_scratch, [] { ::signal(SIGHUP, SIG_IGN); });
    ASSERT_NE(WaitForPendingOutput(process), "");
    ::kill(process.Pid(), SIGHUP);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int status = 0;
    EXPECT_EQ(::waitpid(process.Pid(), &status, WNOHANG), 0) << "still at work after the hang-up";
    ::kill(process.Pid(), SIGTERM);
    const KstRun run = process.Wait();
    EXPECT_EQ(run.status, 128 + SIGTERM) << run.err;
    EXPECT_EQ(Names(), (std::vector<std::string>{"big", "password"}));
}

TEST_F(KstSignals, AClosedStderrNeitherKillsNorLeavesTheTemporaryFile)
{
    const std::vector<uint8_t> plain = Pattern(3u << 20, 4);
    WriteFile(Path("secret.kst"), CodecLocked(plain, "secret", kPassword));
    // The write fails part way (as on a full disk) and the reader of stderr has gone.
    const KstRun run = RunWithPassword({"decrypt", Path("secret.kst"), "-o", Path("secret")}, [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1u << 20, 1u << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int ends[2];
        if (::pipe(ends) != 0)
            ::_exit(125);
        ::close(ends[0]);
        ::dup2(ends[1], STDERR_FILENO);
        ::close(ends[1]);
    });
    EXPECT_FALSE(run.signaled) << run.status;
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"password", "secret.kst"})) << "no plaintext left behind";
}

TEST_F(KstNames, ColonsAreKeptAndNamesOfTwoHundredAndFiftyFiveBytesWork)
{
    const std::vector<uint8_t> plain = Pattern(20, 9);
    WriteFile(Path("notes:2024.txt"), plain);
    ASSERT_EQ(RunWithPassword({"encrypt", Path("notes:2024.txt")}).status, 0);
    EXPECT_EQ(ReadFile(Path("notes:2024.txt.kst")), CodecLocked(plain, "notes:2024.txt", kPassword));

    // 251 bytes plus ".kst" is the longest name a folder takes.
    const std::string longName(251, 'n');
    WriteFile(Path(longName), plain);
    KstRun run = RunWithPassword({"encrypt", Path(longName)});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path(longName + ".kst")), CodecLocked(plain, longName, kPassword));

    for (size_t length : {240u, 254u, 255u}) {
        SCOPED_TRACE(length);
        const std::string stored(length, 's');
        WriteFile(Path("long.kst"), CodecLocked(plain, stored, kPassword));
        run = RunWithPassword({"decrypt", Path("long.kst")});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadFile(Path(stored)), plain);
        fs::remove(Path(stored));
    }
}

TEST_F(KstNames, NamesPlantedWhereTheTemporaryFileMayGoDoNotBlockIt)
{
    const std::vector<uint8_t> plain = Pattern(20, 9);
    WriteFile(Path("plain"), plain);
    // Another user of the folder guesses the names from the process id kst will have.
    const std::string folder = m_dir;
    const KstRun run = RunWithPassword({"encrypt", Path("plain")}, [folder] {
        for (int attempt = 0; attempt <= 100; ++attempt) {
            const std::string name = folder + "/.plain.kst.kst-part." + std::to_string(::getpid()) + "-" +
                                     std::to_string(attempt) + ".tmp";
            if (::symlink("/nonexistent", name.c_str()) != 0)
                ::_exit(125);
        }
    });
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(Path("plain.kst")), CodecLocked(plain, "plain", kPassword));
}

TEST_F(KstNames, InfoShowsAHostileStoredNameEscapedWithItsLength)
{
    const std::string hostile = std::string("\x1b]0;owned\x07\x1b[2J") + "a\nfile:          forged" +
                                std::string("\0.txt\\\x7f\xff", 8);
    WriteFile(Path("hostile.kst"), CodecLocked(Pattern(3, 1), hostile, kPassword));
    const KstRun run = Run({"info", Path("hostile.kst")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("stored name:   \\x1b]0;owned\\x07\\x1b[2Ja\\nfile:          forged\\x00.txt\\\\\\x7f\\xff "
                           "(" + std::to_string(hostile.size()) + " bytes)\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5) << run.out;
}

TEST_F(KstOutput, ADashWritesToStandardOutputAndNoFileNamedDash)
{
    const std::vector<uint8_t> plain = Pattern(1001, 5);
    WriteFile(Path("plain"), plain);
    KstRun run = RunWithPassword({"encrypt", Path("plain"), "-o", "-"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Bytes(run.out), CodecLocked(plain, "plain", kPassword));

    WriteFile(Path("plain.kst"), CodecLocked(plain, "plain", kPassword));
    fs::remove(Path("plain"));
    run = RunWithPassword({"decrypt", Path("plain.kst"), "-o", "-", "--threads", "2"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Bytes(run.out), plain);
    EXPECT_FALSE(fs::exists("-"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"password", "plain.kst"}));
}

TEST_F(KstOutput, FailuresSayTheSystemsReason)
{
    WriteFile(Path("plain"), Pattern(3u << 20, 4));
    KstRun run = RunWithPassword({"encrypt", Path("plain"), "--threads", "1"}, [] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1u << 20, 1u << 20};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("error writing " + Path("plain.kst") + ": File too large"), std::string::npos) << run.err;

    run = Run({"encrypt", Path("plain"), "--password-fd", "7"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("cannot read the password from descriptor 7: Bad file descriptor"), std::string::npos)
        << run.err;

    fs::create_directory(Path("folder"));
    run = RunWithPassword({"encrypt", Path("plain"), "-o", Path("folder"), "--force"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Path("folder") + ": is a directory"), std::string::npos) << run.err;
}

TEST_F(KstOutput, ThreadsBeyondWhatPaysAreNotStarted)
{
    MakeBigFile(Path("big"), 64);
    KstProcess process({"encrypt", Path("big"), "-o", Path("big.kst"), "--threads", "256", "--password-file",
                        Path("password")},
                       "", m_scratch);
    // Each thread holds chunks of its own: 256 of them took about 270 MB.
    int most = 0;
    for (;;) {
        std::ifstream status("/proc/" + std::to_string(process.Pid()) + "/status");
        std::string line;
        bool ended = !status;
        while (std::getline(status, line)) {
            if (line.rfind("State:", 0) == 0 && line.find('Z') != std::string::npos)
                ended = true;
            if (line.rfind("Threads:", 0) == 0)
                most = std::max(most, std::atoi(line.c_str() + 8));
        }
        if (ended)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(process.Wait().status, 0);
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    EXPECT_GT(most, 1) << "seen at work";
    EXPECT_LE(most, 4 * cores + 3) << "the cipher threads, the reader, the writer and the main thread";
}
