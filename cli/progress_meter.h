// The progress line on a terminal: percent, speed and time left, redrawn a few times a
// second on stderr. Silent when stderr is not a terminal or with -q.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace kst {

class ProgressMeter {
public:
    ProgressMeter(bool shown, std::string verb, uint64_t total);
    ~ProgressMeter();
    ProgressMeter(const ProgressMeter&) = delete;
    ProgressMeter& operator=(const ProgressMeter&) = delete;

    // Called by one thread at a time: the one that writes the output.
    void Add(uint64_t bytes);

private:
    void Draw(std::chrono::steady_clock::time_point now);

    const bool m_shown;
    const std::string m_verb;
    const uint64_t m_total;
    uint64_t m_done;
    bool m_drawn;
    const std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDrawn;
};

}  // namespace kst
