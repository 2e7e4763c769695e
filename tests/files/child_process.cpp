#include "child_process.h"

#include <chrono>
#include <thread>
#include <vector>

#include "open.h"
#include "pending_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace files_testing {

int WritePendingAndWait(const std::string& destination, const std::function<void()>& written)
{
    files::File source;
    uint64_t length = 0;
    if (!files::OpenRegular(destination, files::Access::Read, files::Sharing::ReadWrite, source, length).ok)
        return 2;
    files::File output;
    files::PendingFile pending(output);
    if (!pending.Create(destination, source).ok)
        return 3;
    const std::vector<uint8_t> bytes(1 << 20, 0x5A);
    if (!output.WriteAll(bytes.data(), bytes.size()))
        return 4;
    written();
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

constexpr int kWaitMilliseconds = 20000;

#ifdef _WIN32

struct ChildWritingPendingFile::State {
    HANDLE process = nullptr;
    HANDLE output = nullptr;  // the child's standard output: a byte when it has written
};

ChildWritingPendingFile::ChildWritingPendingFile(const std::string& destination) : m_state(std::make_unique<State>())
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE write = nullptr;
    if (!::CreatePipe(&m_state->output, &write, &inherited, 0))
        return;
    ::SetHandleInformation(m_state->output, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = write;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    std::string helper = FILES_CHILD_HELPER;
    for (char& c : helper)
        if (c == '/')
            c = '\\';
    std::string commandLine = "\"" + helper + "\" \"" + destination + "\"";
    PROCESS_INFORMATION process{};
    if (::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        m_state->process = process.hProcess;
        ::CloseHandle(process.hThread);
    }
    ::CloseHandle(write);
}

ChildWritingPendingFile::~ChildWritingPendingFile()
{
    Kill();
    if (m_state->output != nullptr)
        ::CloseHandle(m_state->output);
}

bool ChildWritingPendingFile::WaitUntilWritten()
{
    // The read waits for the byte, or ends when the child ends without it.
    char ready = 0;
    DWORD got = 0;
    return m_state->process != nullptr && ::ReadFile(m_state->output, &ready, 1, &got, nullptr) && got == 1;
}

bool ChildWritingPendingFile::Kill()
{
    if (m_state->process == nullptr)
        return false;
    const bool killed = ::TerminateProcess(m_state->process, 9) &&
                        ::WaitForSingleObject(m_state->process, kWaitMilliseconds) == WAIT_OBJECT_0;
    ::CloseHandle(m_state->process);
    m_state->process = nullptr;
    return killed;
}

#else

struct ChildWritingPendingFile::State {
    pid_t pid = -1;
    int written = -1;  // the read end of a pipe the child writes a byte to when it has written
};

ChildWritingPendingFile::ChildWritingPendingFile(const std::string& destination) : m_state(std::make_unique<State>())
{
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    m_state->pid = ::fork();
    if (m_state->pid == 0) {
        ::close(ends[0]);
        const int fd = ends[1];
        ::_exit(WritePendingAndWait(destination, [fd] { (void)!::write(fd, "w", 1); }));
    }
    ::close(ends[1]);
    m_state->written = ends[0];
}

ChildWritingPendingFile::~ChildWritingPendingFile()
{
    Kill();
    if (m_state->written >= 0)
        ::close(m_state->written);
}

bool ChildWritingPendingFile::WaitUntilWritten()
{
    pollfd ready{m_state->written, POLLIN, 0};
    char byte = 0;
    return m_state->pid > 0 && ::poll(&ready, 1, kWaitMilliseconds) == 1 && ::read(m_state->written, &byte, 1) == 1;
}

bool ChildWritingPendingFile::Kill()
{
    if (m_state->pid <= 0)
        return false;
    int status = 0;
    const bool killed = ::kill(m_state->pid, SIGKILL) == 0 && ::waitpid(m_state->pid, &status, 0) == m_state->pid;
    m_state->pid = -1;
    return killed;
}

#endif

}  // namespace files_testing
