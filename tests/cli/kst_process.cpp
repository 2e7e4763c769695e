#include "kst_process.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void Redirect(const std::string& path, int flags, int target)
{
    const int fd = ::open(path.c_str(), flags, 0600);
    if (fd < 0)
        ::_exit(126);
    ::dup2(fd, target);
    ::close(fd);
}

}  // namespace

KstProcess::KstProcess(const std::vector<std::string>& arguments, const std::string& input,
                       const std::string& scratch, const ChildSetup& setup)
    : m_pid(-1), m_scratch(scratch), m_waited(false)
{
    std::ofstream(m_scratch + ".in", std::ios::binary) << input;
    std::vector<std::string> argv = {KST_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    m_pid = ::fork();
    if (m_pid == 0) {
        Redirect(m_scratch + ".in", O_RDONLY, 0);
        Redirect(m_scratch + ".out", O_WRONLY | O_CREAT | O_TRUNC, 1);
        Redirect(m_scratch + ".err", O_WRONLY | O_CREAT | O_TRUNC, 2);
        // Not on a terminal: no password can be asked there.
        ::setsid();
        if (setup)
            setup();
        std::vector<char*> pointers;
        for (std::string& argument : argv)
            pointers.push_back(&argument[0]);
        pointers.push_back(nullptr);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
}

KstProcess::~KstProcess()
{
    if (m_pid > 0 && !m_waited)
        Wait();
}

KstRun KstProcess::Wait()
{
    KstRun run;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_waited = true;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.signaled = WIFSIGNALED(status);
    run.out = Slurp(m_scratch + ".out");
    run.err = Slurp(m_scratch + ".err");
    for (const char* suffix : {".in", ".out", ".err"})
        ::unlink((m_scratch + suffix).c_str());
    return run;
}

KstRun RunKst(const std::vector<std::string>& arguments, const std::string& input, const std::string& scratch,
              const ChildSetup& setup)
{
    KstProcess process(arguments, input, scratch, setup);
    return process.Wait();
}
