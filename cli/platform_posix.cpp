// kst on POSIX systems: termios and signals.
#include "platform.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <termios.h>
#include <unistd.h>

#include "file_streams.h"
#include "interruption.h"
#include "line_reader.h"
#include "open.h"

namespace kst {

namespace {

volatile std::sig_atomic_t g_interruptSignal = 0;

void OnInterrupt(int signalNumber)
{
    g_interruptSignal = signalNumber;
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

bool StderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

bool ReadSecretFromTerminal(const char* prompt, SecretBytes& secret)
{
    files::File terminal;
    if (!files::Open("/dev/tty", files::Access::ReadWrite, files::Sharing::ReadWrite, files::Creation::OpenExisting,
                     terminal)
             .ok)
        return false;
    if (!::isatty(terminal.Native()))
        return false;
    EchoOff quiet(terminal.Native());
    if (!terminal.WriteAll(reinterpret_cast<const uint8_t*>(prompt), std::strlen(prompt)))
        return false;
    files::FileSource source(terminal, files::FileSource::kNoReadAhead);
    const bool read = ReadLine(source, secret);
    if (InterruptRequested()) {
        // Echo was off, so the line the user was on is still open.
        terminal.WriteAll(reinterpret_cast<const uint8_t*>("\n"), 1);
        return false;
    }
    return read;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

void WriteToStdout(const std::string& text)
{
    std::fputs(text.c_str(), stdout);
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
    files::SetInterruptionCheck(InterruptRequested);
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
