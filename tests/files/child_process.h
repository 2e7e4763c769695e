// A child process that writes a pending file and waits to be killed: a fork on POSIX
// systems, files_child_helper.exe on Windows (killed there by TerminateProcess).
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace files_testing {

// The child's work: creates a pending file beside `destination` (which exists), writes a
// mebibyte into it, calls `written` and waits. Returns only when something failed.
int WritePendingAndWait(const std::string& destination, const std::function<void()>& written);

class ChildWritingPendingFile {
public:
    explicit ChildWritingPendingFile(const std::string& destination);
    // Kills the child if it still runs.
    ~ChildWritingPendingFile();
    ChildWritingPendingFile(const ChildWritingPendingFile&) = delete;
    ChildWritingPendingFile& operator=(const ChildWritingPendingFile&) = delete;

    // Whether the child has written its pending file (false when it failed or took too long).
    bool WaitUntilWritten();
    // Kills the child and waits until it has ended.
    bool Kill();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace files_testing
