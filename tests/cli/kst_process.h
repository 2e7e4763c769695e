// Runs the kst program as a script would: arguments, standard input, and what it printed.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

struct KstRun {
    int status = -1;  // exit status, or 128 + the signal that ended it
    bool signaled = false;  // ended by a signal, as a calling shell sees it
    std::string out;
    std::string err;
};

// Runs in the child just before kst starts (limits, signal dispositions, user).
using ChildSetup = std::function<void()>;

class KstProcess {
public:
    KstProcess(const std::vector<std::string>& arguments, const std::string& input, const std::string& scratch,
               const ChildSetup& setup = nullptr);
    ~KstProcess();
    KstProcess(const KstProcess&) = delete;
    KstProcess& operator=(const KstProcess&) = delete;

    pid_t Pid() const { return m_pid; }
    KstRun Wait();

private:
    pid_t m_pid;
    std::string m_scratch;
    bool m_waited;
};

KstRun RunKst(const std::vector<std::string>& arguments, const std::string& input, const std::string& scratch,
              const ChildSetup& setup = nullptr);
