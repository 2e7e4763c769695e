// kst among other users, signals, closed pipes and odd names: what it leaves readable,
// how it ends, and what it prints.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include "kst_fixture.h"

using namespace kst_testing;

namespace {

using KstAccess = Kst;
using KstSignals = Kst;
using KstNames = Kst;
using KstOutput = Kst;
using KstSources = Kst;

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

mode_t TypeOf(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & S_IFMT;
}

bool MakeSocket(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

// Waits until `pid` has taken over the interrupt signals and sleeps: it waits on something.
bool WaitUntilWaiting(pid_t pid)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        std::string line;
        bool asleep = false, caught = false;
        while (std::getline(status, line)) {
            if (line.rfind("State:", 0) == 0)
                asleep = line.find_first_not_of(" \t", 6) == line.find('S', 6);
            if (line.rfind("SigCgt:", 0) == 0)
                caught = (std::stoull(line.substr(7), nullptr, 16) >> (SIGINT - 1) & 1) != 0;
        }
        if (asleep && caught)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Waits for `process` to end by itself; one still running after `seconds` is killed.
KstRun WaitOrKill(KstProcess& process, int seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream status("/proc/" + std::to_string(process.Pid()) + "/status");
        std::string line;
        bool ended = !status;
        while (std::getline(status, line))
            ended = ended || (line.rfind("State:", 0) == 0 && line.find('Z') != std::string::npos);
        if (ended)
            return process.Wait();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(process.Pid(), SIGKILL);
    KstRun run = process.Wait();
    ADD_FAILURE() << "still running after " << seconds << " s";
    return run;
}

}  // namespace

// --force replaces files, never a device, a FIFO, a socket or a folder (as root a device
// node replaced by a file would break the system), whether named or behind a link.
TEST_F(KstAccess, OnlyFilesAreReplacedNeverDevicesFifosSocketsOrFolders)
{
    const std::vector<uint8_t> plain = Pattern(100, 2);
    WriteFile(Path("plain"), plain);
    WriteFile(Path("plain.kst"), CodecLocked(plain, "plain", kPassword));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    ASSERT_TRUE(MakeSocket(Path("socket")));
    fs::create_directory(Path("folder"));
    fs::create_symlink("fifo", Path("link-to-fifo"));
    struct Refused {
        std::string name;
        std::string what;
    };
    std::vector<Refused> refused = {
        {"fifo", "is a FIFO"}, {"socket", "is a socket"}, {"folder", "is a directory"}, {"link-to-fifo", "is a FIFO"}};
    // /dev/null's numbers, in this test's own folder.
    const bool devicesAllowed = ::mknod(Path("device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    if (devicesAllowed)
        refused.push_back({"device", "is a character device"});

    for (const Refused& destination : refused) {
        const mode_t type = TypeOf(Path(destination.name));
        for (const char* command : {"encrypt", "decrypt"}) {
            for (bool force : {false, true}) {
                SCOPED_TRACE(testing::Message() << command << " -o " << destination.name << (force ? " --force" : ""));
                std::vector<std::string> arguments = {command, Path(command == std::string("encrypt") ? "plain" : "plain.kst"),
                                                      "-o", Path(destination.name)};
                if (force)
                    arguments.push_back("--force");
                const KstRun run = RunWithPassword(arguments);
                EXPECT_EQ(run.status, 1);
                EXPECT_NE(run.err.find(Path(destination.name) + ": " + destination.what), std::string::npos) << run.err;
                EXPECT_EQ(TypeOf(Path(destination.name)), type);
            }
        }
    }

    // A link to a file is replaced as a link; the file it named stays.
    WriteText(Path("target"), "target");
    fs::create_symlink("target", Path("link-to-file"));
    const KstRun run = RunWithPassword({"encrypt", Path("plain"), "-o", Path("link-to-file"), "--force"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(TypeOf(Path("link-to-file")), mode_t(S_IFREG));
    EXPECT_EQ(ReadFile(Path("target")), Bytes("target"));

    std::vector<std::string> expected = {"fifo",  "folder", "link-to-fifo", "link-to-file", "password",
                                         "plain", "plain.kst", "socket", "target"};
    if (devicesAllowed)
        expected.insert(expected.begin(), "device");
    EXPECT_EQ(Names(), expected) << "nothing else written";
    if (!devicesAllowed)
        GTEST_SKIP() << "mknod is not allowed here: the device case did not run";
}

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

// A file size limit (ulimit -f) fails the write as a full disk would, where the signal it
// raises by default would kill kst first: the temporary file goes and the reason is said,
// and a reader of stderr that has gone does not kill kst either.
TEST_F(KstSignals, AFileSizeLimitOrAClosedStderrNeitherKillsNorLeavesPlaintext)
{
    const std::vector<uint8_t> plain = Pattern(3u << 20, 4);
    WriteFile(Path("secret.kst"), CodecLocked(plain, "secret", kPassword));
    for (bool stderrGone : {false, true}) {
        SCOPED_TRACE(stderrGone ? "stderr gone" : "stderr kept");
        const KstRun run = RunWithPassword({"decrypt", Path("secret.kst"), "-o", Path("secret")}, [stderrGone] {
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{1u << 20, 1u << 20};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            if (!stderrGone)
                return;
            int ends[2];
            if (::pipe(ends) != 0)
                ::_exit(125);
            ::close(ends[0]);
            ::dup2(ends[1], STDERR_FILENO);
            ::close(ends[1]);
        });
        EXPECT_FALSE(run.signaled) << run.status;
        EXPECT_EQ(run.status, 1);
        if (!stderrGone) {
            EXPECT_NE(run.err.find("error writing " + Path("secret") + ": File too large"), std::string::npos)
                << run.err;
        }
        EXPECT_EQ(Names(), (std::vector<std::string>{"password", "secret.kst"})) << "no plaintext left behind";
    }
}

// A password file may be a FIFO that nobody writes yet, or one whose writer is slow: an
// interrupt there ends kst by the signal, as anywhere else.
TEST_F(KstSignals, AnInterruptWhileThePasswordFileIsAwaitedEndsByTheSignal)
{
    WriteFile(Path("plain"), Pattern(100, 1));
    ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
    for (bool writerOpen : {false, true}) {
        for (int signalNumber : {SIGINT, SIGTERM}) {
            SCOPED_TRACE(testing::Message() << (writerOpen ? "a silent writer, " : "no writer, ") << signalNumber);
            // Open for reading and writing, so the open does not wait for a reader.
            const int writer = writerOpen ? ::open(Path("fifo").c_str(), O_RDWR | O_CLOEXEC) : -1;
            KstProcess process({"encrypt", Path("plain"), "-o", Path("plain.kst"), "--password-file", Path("fifo")},
                               "", m_scratch);
            ASSERT_TRUE(WaitUntilWaiting(process.Pid()));
            ::kill(process.Pid(), signalNumber);
            const KstRun run = WaitOrKill(process, 20);
            if (writer >= 0)
                ::close(writer);
            EXPECT_TRUE(run.signaled);
            EXPECT_EQ(run.status, 128 + signalNumber) << run.err;
            EXPECT_NE(run.err.find("interrupted"), std::string::npos) << run.err;
            EXPECT_EQ(Names(), (std::vector<std::string>{"fifo", "password", "plain"}));
        }
    }
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
    // Read as UTF-8, in which 0xFF is no character.
    const KstRun run = Run({"info", Path("hostile.kst"), "--code-page", "65001"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("stored name:   \\x1b]0;owned\\x07\\x1b[2Ja\\nfile:          forged\\x00.txt\\\\\\x7f\\xff "
                           "(" + std::to_string(hostile.size()) + " bytes, code page 65001)\n"),
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

TEST_F(KstOutput, StandardOutputThatCannotBeWrittenIsAFailureWithItsReason)
{
    WriteFile(Path("a.kst"), CodecLocked(Pattern(13, 1), "a.txt", kPassword));
    const std::vector<std::vector<std::string>> commands = {{"--help"}, {"--version"}, {"info", Path("a.kst")}};
    for (const auto& arguments : commands) {
        SCOPED_TRACE(arguments[0]);
        KstRun run = Run(arguments, [] {
            const int full = ::open("/dev/full", O_WRONLY);
            if (full < 0 || ::dup2(full, STDOUT_FILENO) < 0)
                ::_exit(125);
        });
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("kst: cannot write to standard output: No space left on device"), std::string::npos)
            << run.err;
        run = Run(arguments, [] { ::close(STDOUT_FILENO); });
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("kst: cannot write to standard output: Bad file descriptor"), std::string::npos)
            << run.err;
    }
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

// A source cut while it is read, or one that holds more than its size said (a file appended
// to, or one under /proc, whose size says 0), is not passed off as locked whole.
TEST_F(KstSources, ASourceThatChangesSizeWhileItIsReadGivesNoOutput)
{
    MakeBigFile(Path("big"));
    KstProcess process({"encrypt", Path("big"), "-o", Path("big.kst"), "--password-file", Path("password")}, "",
                       m_scratch);
    ASSERT_NE(WaitForPendingOutput(process), "");
    fs::resize_file(Path("big"), 1u << 20);
    KstRun run = process.Wait();
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("kst: " + Path("big") + " got shorter while it was read; " + Path("big.kst") +
                           " was not written"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Names(), (std::vector<std::string>{"big", "password"}));

    run = RunWithPassword({"encrypt", "/proc/self/status", "-o", Path("status.kst")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("kst: /proc/self/status changed size while it was read"), std::string::npos) << run.err;
    EXPECT_EQ(Names(), (std::vector<std::string>{"big", "password"}));
}
