// Reading another thread's windows without hanging on one that stopped answering.
#pragma once

#include <windows.h>

#include <string>

namespace kst_test {

// The window's text, asked with a time limit; empty when it did not answer.
std::string WindowTextOf(HWND window);
// The window's class name.
std::string ClassOf(HWND window);

}  // namespace kst_test
