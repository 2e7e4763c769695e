// Answers the modal dialogs and message boxes that any thread of the test process shows,
// the way a user would: a watcher thread looks for new visible dialog windows (class
// "#32770") of this process, records what they show, fills edit controls and presses a
// button, following the answers a test has queued.
//
//   DialogDriver driver;
//   driver.Expect(DialogAnswer::Press(IDOK));                            // next box: OK
//   driver.Expect(DialogAnswer::Press(IDOK).WithCaption("Password")
//                     .Fill(1003, "secret").Fill(1004, "secret"));
//   ... run the code that shows them ...
//   ASSERT_TRUE(driver.WaitForShown(2, 10000));
//   EXPECT_EQ(driver.Shown()[0].text, "Error opening source file to shred.");
//
// A dialog that arrives while no answer is queued is recorded with `unexpected` set and
// closed with the default button (IDCANCEL), so that a faulty run ends instead of hanging.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kst_test {

struct DialogAnswer {
    std::string captionContains;                    // empty: any caption
    std::vector<std::pair<int, std::string>> fill;  // control id, text to put into it
    std::vector<std::pair<int, std::wstring>> typed;  // control id, UTF-16 text entered into it
    int button = IDOK;                              // control id to press
    HWND closeInstead = nullptr;                    // if set: WM_CLOSE to it, no button pressed
    bool leaveOpen = false;                         // if set: recorded and left as it is

    static DialogAnswer Press(int button);
    // Leaves the dialog up and asks `window` to close, as another program could meanwhile.
    static DialogAnswer CloseWindowInstead(HWND window);
    // Records the dialog and leaves it up, as a user who has not answered yet.
    static DialogAnswer LeaveOpen();
    DialogAnswer WithCaption(std::string caption) const;
    DialogAnswer Fill(int controlId, std::string text) const;
    // Enters UTF-16 text, so the control's narrow text is whatever the code page makes of it,
    // as with text a user types.
    DialogAnswer Type(int controlId, std::wstring text) const;
};

struct ShownDialog {
    std::string caption;
    std::string text;      // the texts of its static controls, joined by '\n'
    UINT icon = 0;         // MB_ICONHAND, MB_ICONQUESTION, MB_ICONEXCLAMATION, MB_ICONASTERISK or 0
    std::vector<std::pair<int, std::string>> controls;  // every child: id and window text
    int defaultButton = 0;  // the button Enter presses (the default push button), 0 if none
    DWORD threadId = 0;    // the thread that showed it
    HWND owner = nullptr;  // the window it stays above, and disables while it is up
    bool ownerEnabled = false;  // whether that owner took input while the dialog was up
    int pressed = 0;       // the button the driver pressed, 0 when it closed a window or left it open
    bool unexpected = false;
};

class DialogDriver {
public:
    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    void Expect(DialogAnswer answer);
    // The button pressed on dialogs that arrive with no answer queued.
    void SetDefaultButton(int button);

    std::vector<ShownDialog> Shown() const;
    size_t PendingAnswers() const;
    // Waits until at least `count` dialogs have been answered. Safe to call from a thread
    // that owns windows: it keeps that thread's messages flowing while it waits.
    bool WaitForShown(size_t count, DWORD timeoutMs);
    void Clear();

private:
    void Watch();
    // False when the dialog is not ready to be read and answered yet.
    bool Answer(HWND dialog);

    mutable std::mutex m_mutex;
    std::deque<DialogAnswer> m_answers;
    std::vector<ShownDialog> m_shown;
    std::set<HWND> m_handled;
    int m_defaultButton;
    bool m_stop;
    std::condition_variable m_wake;
    std::thread m_watcher;
};

}  // namespace kst_test
