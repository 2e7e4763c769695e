// The framework's per-thread record: the message being dispatched and the window that a
// creation hook is about to bind.
#pragma once

#include <windows.h>

#include <map>
#include <memory>

class CWnd;

struct AFX_THREAD_STATE {
    // The message the innermost framework dispatch on this thread is handling. Saved and
    // restored around every dispatch so that Default() answers for the right message even
    // after a nested SendMessage.
    MSG m_lastSentMsg{};
    // The object the creation hook binds to the next window created on this thread.
    CWnd* m_pWndInit = nullptr;
    // Stand-in objects for windows the framework did not create (see CWnd::FromHandle).
    std::map<HWND, std::unique_ptr<CWnd>> m_tempWindows;
    // Modal loops of the framework running on this thread (see modal_loop.h).
    int m_nModalLoops = 0;
};

// The calling thread's record, made on first use.
AFX_THREAD_STATE* AfxGetThreadState();
// Deletes the calling thread's record, if it has one. A framework thread does this as it
// ends, the user-interface thread when its message loop has ended; nothing else would.
void AfxDeleteThreadState();

// Makes a message the thread's current one for the length of its dispatch and puts the
// record found before back afterwards. Every window procedure that dispatches into
// handlers (the framework's own and the subclass hooks') shares this one record, so each
// Default() finds its own message however the procedures nest.
class CCurrentMessageScope {
public:
    CCurrentMessageScope(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
    ~CCurrentMessageScope();
    CCurrentMessageScope(const CCurrentMessageScope&) = delete;
    CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;

private:
    AFX_THREAD_STATE& m_state;
    MSG m_saved;
};

// Forgets the stand-in objects handed out by CWnd::FromHandle on this thread.
void AfxDeleteTempMap();
