// Holding up the end of the user's session (log-off, restart, shut down) while work the
// user asked for is unfinished, the way Windows documents it: the query is answered No and
// a reason is left for the screen that lists the programs holding it up, where the user
// may still end the session anyway. Never a message box: the session may be ending.
#pragma once

#include <windows.h>

// Whether Windows is ending the session in a way no program may hold up (lParam of
// WM_QUERYENDSESSION).
bool SessionEndIsCritical(LPARAM lEndSessionFlags);
// Leaves `reason` for the screen that lists what holds the session up (Windows Vista and
// later; elsewhere the No alone holds it up).
void HoldUpSessionEnd(HWND hWnd, const wchar_t* reason);
// Takes the reason back: the work is done.
void StopHoldingUpSessionEnd(HWND hWnd);
