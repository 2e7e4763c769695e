// Threads that cannot start, as under a process limit (ulimit -u) or an address space
// limit (ulimit -v): while a limit is held, every thread the process starts beyond the
// allowed number fails as the system fails it.
#pragma once

namespace testing_codec {

class ThreadStartLimit {
public:
    explicit ThreadStartLimit(int allowedStarts);
    ~ThreadStartLimit();
    ThreadStartLimit(const ThreadStartLimit&) = delete;
    ThreadStartLimit& operator=(const ThreadStartLimit&) = delete;

    // How many starts were refused so far: a limit that refused none proved nothing.
    int Refused() const;
};

}  // namespace testing_codec
