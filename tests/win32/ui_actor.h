// Acting on a modal dialog the way a user would, from a thread of the test: wait for it,
// type into it, look at it, capture it, press keys. For what the shared dialog driver does
// not do (typing key by key, screenshots).
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "window_text.h"

namespace kst_test {

// The first visible top-level dialog of this process whose caption is `caption`, waited for.
HWND WaitForDialog(const std::string& caption, DWORD timeoutMs);

// Runs `act` on its own thread with the dialog once it is shown. Joined on destruction.
class DialogActor {
public:
    DialogActor(std::string caption, std::function<void(HWND)> act);
    ~DialogActor();
    DialogActor(const DialogActor&) = delete;
    DialogActor& operator=(const DialogActor&) = delete;

    bool Found() const { return m_found; }

private:
    bool m_found = false;
    std::thread m_thread;
};

// Types `text` into a control key by key, as WM_CHAR messages.
void TypeInto(HWND control, const std::string& text);

// Captures the window as it is on the screen into a PNG file. False when that failed.
bool SaveWindowPng(HWND window, const std::string& path);
// The folder for files a person may want to look at after the tests.
std::string TestOutputDir();

}  // namespace kst_test
