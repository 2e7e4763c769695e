// kst on POSIX systems: file descriptors, termios and signals.
#include "platform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "file_streams.h"
#include "line_reader.h"

namespace kst {

namespace {

volatile std::sig_atomic_t g_interruptSignal = 0;

void OnInterrupt(int signalNumber)
{
    g_interruptSignal = signalNumber;
}

FileResult Failure(int error)
{
    return {false, std::strerror(error)};
}

int Descriptor(const FileHandle& file)
{
    return static_cast<int>(file.Get());
}

// What a file of `mode` is, said where a regular file was wanted.
const char* KindOfNonFile(mode_t mode)
{
    static const struct {
        mode_t type;
        const char* text;
    } kKinds[] = {
        {S_IFDIR, "is a directory"}, {S_IFCHR, "is a character device"}, {S_IFBLK, "is a block device"},
        {S_IFIFO, "is a FIFO"},      {S_IFSOCK, "is a socket"},
    };
    for (const auto& kind : kKinds) {
        if ((mode & S_IFMT) == kind.type)
            return kind.text;
    }
    return "not a regular file";
}

// A regular file is required: the header needs the length before the first block,
// and reading a FIFO or device would have no end we can trust.
FileResult CheckRegular(const std::string& path, struct stat& info)
{
    if (::stat(path.c_str(), &info) != 0)
        return Failure(errno);
    if (!S_ISREG(info.st_mode))
        return {false, KindOfNonFile(info.st_mode)};
    return {};
}

// Opening a FIFO waits for its writer; an interrupt ends that wait.
FileResult OpenDescriptorFor(const std::string& path, int flags, FileHandle& file)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR && !InterruptRequested());
    if (fd < 0)
        return Failure(errno);
    file = FileHandle(fd);
    return {};
}

FileResult OpenRegular(const std::string& path, int flags, FileHandle& file, uint64_t& length)
{
    struct stat info;
    FileResult result = CheckRegular(path, info);
    if (!result.ok)
        return result;
    result = OpenDescriptorFor(path, flags, file);
    if (!result.ok)
        return result;
    // The name may have been given to something else between the two looks.
    if (::fstat(Descriptor(file), &info) != 0 || !S_ISREG(info.st_mode)) {
        file.Close();
        return {false, "not a regular file"};
    }
    length = static_cast<uint64_t>(info.st_size);
    return {};
}

// Restores the terminal's modes however the prompt ends.
class EchoOff {
public:
    explicit EchoOff(int fd) : m_fd(fd), m_saved(), m_changed(false)
    {
        if (::tcgetattr(fd, &m_saved) == 0) {
            struct termios quiet = m_saved;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            quiet.c_lflag |= ECHONL;
            m_changed = ::tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~EchoOff()
    {
        if (m_changed)
            ::tcsetattr(m_fd, TCSAFLUSH, &m_saved);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    int m_fd;
    struct termios m_saved;
    bool m_changed;
};

}  // namespace

bool FileHandle::Close()
{
    if (m_handle == kNone)
        return true;
    const int result = ::close(Descriptor(*this));
    m_handle = kNone;
    return result == 0;
}

bool FileHandle::Read(uint8_t* buffer, size_t want, size_t& got)
{
    got = 0;
    for (;;) {
        const ssize_t now = ::read(Descriptor(*this), buffer, want);
        if (now >= 0) {
            got = static_cast<size_t>(now);
            return true;
        }
        if (errno != EINTR || InterruptRequested())
            return false;
    }
}

bool FileHandle::WriteAll(const uint8_t* buffer, size_t count)
{
    while (count > 0) {
        const ssize_t now = ::write(Descriptor(*this), buffer, count);
        if (now < 0) {
            if (errno == EINTR && !InterruptRequested())
                continue;
            return false;
        }
        buffer += now;
        count -= static_cast<size_t>(now);
    }
    return true;
}

bool FileHandle::Flush()
{
    return ::fsync(Descriptor(*this)) == 0;
}

void StartWriteBack(FileHandle& file, uint64_t offset, uint64_t count)
{
#ifdef __linux__
    // Only a hint: a failure here leaves the bytes to the final flush, which reports errors.
    ::sync_file_range(Descriptor(file), off64_t(offset), off64_t(count), SYNC_FILE_RANGE_WRITE);
#else
    (void)file, (void)offset, (void)count;
#endif
}

FileResult OpenForReading(const std::string& path, FileHandle& file, uint64_t& length)
{
    FileResult result = OpenRegular(path, O_RDONLY, file, length);
    if (result.ok)
        ::posix_fadvise(Descriptor(file), 0, 0, POSIX_FADV_SEQUENTIAL);
    return result;
}

FileResult OpenForOverwriting(const std::string& path, FileHandle& file, uint64_t& length)
{
    return OpenRegular(path, O_WRONLY, file, length);
}

FileResult OpenToRead(const std::string& path, FileHandle& file)
{
    return OpenDescriptorFor(path, O_RDONLY, file);
}

FileResult CreateUniqueFile(const std::string& directory, FileHandle& file, std::string& path)
{
    // mkostemp draws random names (many more than anyone can plant) and opens with O_EXCL
    // and mode 0600, so nothing planted is followed and nobody else can read what comes.
    std::string name = directory + ".kst-part.XXXXXX";
    const int fd = ::mkostemp(&name[0], O_CLOEXEC);
    if (fd < 0)
        return Failure(errno);
    file = FileHandle(fd);
    path = name;
    return {};
}

FileResult LimitAccess(FileHandle& file, FileHandle& source, const std::string& replaced)
{
    struct stat info;
    if (::fstat(Descriptor(source), &info) != 0)
        return Failure(errno);
    mode_t mode = info.st_mode & 0777;
    // As a new file would be made; the umask cannot be read without being set.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
    if (::stat(replaced.c_str(), &info) == 0)
        mode &= info.st_mode & 0777;
    return ::fchmod(Descriptor(file), mode) == 0 ? FileResult{} : Failure(errno);
}

bool SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    FileHandle handle(fd);
    // Some file systems cannot flush a folder; they keep their names by other means.
    return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
}

FileResult OpenStandardOutput(FileHandle& file)
{
    return OpenDescriptor(STDOUT_FILENO, file);
}

std::string LastErrorText()
{
    return std::strerror(errno);
}

FileResult RenameFile(const std::string& from, const std::string& to, bool replace, bool& existed)
{
    existed = false;
    if (replace)
        return ::rename(from.c_str(), to.c_str()) == 0 ? FileResult{} : Failure(errno);
    // A new link fails when the name is taken, where rename would replace it silently.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return {};
    }
    if (errno == EEXIST) {
        existed = true;
        return {false, "exists"};
    }
    // File systems without links: look, then rename.
    if (PathExists(to)) {
        existed = true;
        return {false, "exists"};
    }
    return ::rename(from.c_str(), to.c_str()) == 0 ? FileResult{} : Failure(errno);
}

bool RemoveFile(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

bool PathExists(const std::string& path)
{
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

std::string NotAFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) ? KindOfNonFile(info.st_mode) : "";
}

bool SameFile(const std::string& first, const std::string& second)
{
    struct stat a, b;
    return ::stat(first.c_str(), &a) == 0 && ::stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

size_t FileNameStart(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string FolderOf(const std::string& path)
{
    return path.substr(0, FileNameStart(path));
}

size_t RoomForNameIn(const std::string& folder)
{
    const long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return longest > 0 ? size_t(longest) : lockedfile::kMaxStoredName;
}

lockedfile::LeadBytePredicate NameLeadBytes()
{
    return nullptr;
}

lockedfile::PathStyle NamePathStyle()
{
    return lockedfile::PathStyle::Posix;
}

bool StderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

bool ReadSecretFromTerminal(const char* prompt, std::string& secret)
{
    FileHandle terminal;
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    terminal = FileHandle(fd);
    if (!::isatty(fd))
        return false;
    EchoOff quiet(fd);
    if (!terminal.WriteAll(reinterpret_cast<const uint8_t*>(prompt), std::strlen(prompt)))
        return false;
    FileSource source(terminal);
    const bool read = ReadLine(source, secret);
    if (InterruptRequested()) {
        // Echo was off, so the line the user was on is still open.
        terminal.WriteAll(reinterpret_cast<const uint8_t*>("\n"), 1);
        return false;
    }
    return read;
}

FileResult OpenDescriptor(int descriptor, FileHandle& file)
{
    // The duplicate shares the file position, so what a line reader leaves stays for the
    // descriptor's owner.
    const int fd = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return Failure(errno);
    file = FileHandle(fd);
    return {};
}

void WriteToStderr(const std::string& text)
{
    const char* next = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t now = ::write(STDERR_FILENO, next, left);
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0)
            return;
        next += now;
        left -= static_cast<size_t>(now);
    }
}

void InstallInterruptHandler()
{
    // A reader that has gone shows as a failed write, which is reported; the signal would
    // end the process before it removes its temporary file.
    ::signal(SIGPIPE, SIG_IGN);
    // Likewise a file size limit (ulimit -f): the write fails with EFBIG instead.
    ::signal(SIGXFSZ, SIG_IGN);
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a read waiting on the terminal returns, so the prompt can end too.
    action.sa_flags = 0;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored on entry (nohup, a background job) stays ignored.
        struct sigaction previous;
        if (::sigaction(signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signalNumber, &action, nullptr);
    }
}

bool InterruptRequested()
{
    return g_interruptSignal != 0;
}

int InterruptExitStatus()
{
    return 128 + (g_interruptSignal != 0 ? int(g_interruptSignal) : SIGINT);
}

void EndByInterrupt()
{
    const int signalNumber = g_interruptSignal;
    if (signalNumber == 0)
        return;
    ::signal(signalNumber, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signalNumber);
}

}  // namespace kst
