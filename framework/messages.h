// The framework's own private window messages. They live far above WM_USER, where the
// application's messages (WM_USER + n for small n) cannot reach them.
#pragma once

#include <windows.h>

constexpr UINT WM_KST_FRAMEWORK_FIRST = WM_USER + 0x300;

// A path handed over by another start of the program waits in the frame for opening.
constexpr UINT WM_KST_SHELL_OPEN = WM_KST_FRAMEWORK_FIRST + 0x20;
