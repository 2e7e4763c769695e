#include "progress_meter.h"

#include <cstdio>

#include "platform.h"

namespace kst {

namespace {
constexpr auto kRedrawEvery = std::chrono::milliseconds(200);
}

ProgressMeter::ProgressMeter(bool shown, std::string verb, uint64_t total)
    : m_shown(shown),
      m_verb(std::move(verb)),
      m_total(total),
      m_done(0),
      m_drawn(false),
      m_start(std::chrono::steady_clock::now()),
      m_lastDrawn(m_start)
{
}

ProgressMeter::~ProgressMeter()
{
    // The last line stays, so the terminal shows how the run went.
    if (m_drawn) {
        Draw(std::chrono::steady_clock::now());
        WriteToStderr("\n");
    }
}

void ProgressMeter::Add(uint64_t bytes)
{
    m_done += bytes;
    if (!m_shown)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDrawn >= kRedrawEvery)
        Draw(now);
}

void ProgressMeter::Draw(std::chrono::steady_clock::time_point now)
{
    m_lastDrawn = now;
    m_drawn = true;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const uint64_t done = m_done < m_total ? m_done : m_total;
    const int percent = m_total == 0 ? 100 : int(done * 100 / m_total);
    const double rate = seconds > 0 ? done / seconds : 0.0;
    const long left = rate > 0 ? long((m_total - done) / rate + 0.5) : 0;
    char line[128];
    std::snprintf(line, sizeof line, "\r%s %3d%%  %8.1f MB/s  %ld:%02ld left ", m_verb.c_str(), percent,
                  rate / 1e6, left / 60, left % 60);
    WriteToStderr(line);
}

}  // namespace kst
