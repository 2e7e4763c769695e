// Waiting on a thread that owns windows: other threads may be inside SendMessage to it,
// so it must keep dispatching while it waits.
#pragma once

#include <windows.h>

#include <functional>

namespace kst_test {

// Dispatches the calling thread's messages until `done` holds or the time is up.
// Returns whether `done` held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Dispatches whatever is queued for the calling thread now.
void PumpPending();

}  // namespace kst_test
