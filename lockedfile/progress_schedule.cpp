#include "progress_schedule.h"

#include <algorithm>

namespace lockedfile {

namespace {

struct Positions {
    uint64_t first, last, total;

    int PercentAt(uint64_t step) const
    {
        // first + 8 * step could wrap only far beyond last; compare before multiplying.
        const uint64_t span = last > first ? last - first : 0;
        const uint64_t p = step > span / 8 ? last : std::min(first + 8 * step, last);
        return static_cast<int>(static_cast<double>(p) / static_cast<double>(total) * 100.0);
    }
};

}  // namespace

std::vector<ProgressEvent> ProgressEvents(uint64_t first, uint64_t last, uint64_t steps,
                                          uint64_t total)
{
    std::vector<ProgressEvent> events;
    if (total == 0)
        return events;
    const Positions positions{first, last, total};

    uint64_t step = 0;
    int percent = positions.PercentAt(0);
    const int finalPercent = positions.PercentAt(steps);
    for (;;) {
        if (percent % 3 == 0)
            events.push_back({step, percent});
        if (percent >= finalPercent)
            break;
        // The percentage never falls as the position grows: search for the first step
        // that shows more than the current one.
        uint64_t low = step + 1, high = steps;
        while (low < high) {
            const uint64_t middle = low + (high - low) / 2;
            if (positions.PercentAt(middle) > percent)
                high = middle;
            else
                low = middle + 1;
        }
        step = low;
        percent = positions.PercentAt(step);
    }
    return events;
}

}  // namespace lockedfile
