// Every private window message of Kestrine and of its framework, in one place,
// so that no two can collide.
#pragma once

#include <windows.h>

// Posted by a job's worker thread to the view when the job has ended, successfully or not.
constexpr UINT WM_JOB_DONE = WM_USER + 100;     // 1124
// The caption painter asks the frame to draw its caption into a memory DC.
constexpr UINT WM_CAPTIONPAINT = WM_USER + 5;   // 1029

// The framework's own messages live above the program's.
constexpr UINT WM_KST_FRAMEWORK_FIRST = WM_USER + 0x300;

// A path handed over by another start of the program waits in the frame for opening.
constexpr UINT WM_KST_SHELL_OPEN = WM_KST_FRAMEWORK_FIRST + 0x20;
