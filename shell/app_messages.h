// The program's private window messages. The framework keeps its own above these
// (framework/messages.h), so the two ranges cannot collide.
#pragma once

#include <windows.h>

// Posted by a job's worker thread to the view when the job has ended, successfully or not.
constexpr UINT WM_JOB_DONE = WM_USER + 100;  // 1124

// Posted by the view's drop to itself, so that the drag source's loop has returned before
// anything follows: WM_DROP_FLOW starts the flow for the dropped file; WM_DROP_REFUSED says
// why a drop was refused (wParam: the text, a static string; lParam: the box's type).
constexpr UINT WM_DROP_FLOW = WM_USER + 101;     // 1125
constexpr UINT WM_DROP_REFUSED = WM_USER + 102;  // 1126
