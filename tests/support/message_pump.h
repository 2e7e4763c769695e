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

// Puts the mouse cursor at pt (screen) and waits, pumping, until the system reports it
// there, and still there a moment later: the move reaches the display asynchronously, and
// painting goes by the cursor.
void PutCursor(POINT pt);

}  // namespace kst_test
