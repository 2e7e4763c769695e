#include "interruption.h"

#include <atomic>

namespace files {

namespace {
std::atomic<InterruptionCheck> g_check{nullptr};
}  // namespace

void SetInterruptionCheck(InterruptionCheck check)
{
    g_check.store(check);
}

bool InterruptionRequested()
{
    const InterruptionCheck check = g_check.load();
    return check != nullptr && check();
}

}  // namespace files
