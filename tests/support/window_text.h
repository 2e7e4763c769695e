// Reading another thread's windows without hanging on one that stopped answering.
#pragma once

#include <windows.h>

#include <string>

namespace kst_test {

// The window's text, asked with a time limit; empty when it did not answer.
std::string WindowTextOf(HWND window);
// The window's class name.
std::string ClassOf(HWND window);
// Where typed text goes: a combo box takes it in its edit field, which may sit one or two
// levels down (the file dialogs' name field is ComboBoxEx32 > ComboBox > Edit). Any
// other control is its own field.
HWND EditFieldOf(HWND control);

}  // namespace kst_test
