// The program's private window messages. The framework keeps its own above these
// (framework/messages.h), so the two ranges cannot collide.
#pragma once

#include <windows.h>

// Posted by a job's worker thread to the view when the job has ended, successfully or not.
constexpr UINT WM_JOB_DONE = WM_USER + 100;  // 1124
