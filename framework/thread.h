// Threads of the framework. A worker started with AfxBeginThread runs one procedure and
// its thread object deletes itself when the procedure returns.
#pragma once

#include <windows.h>

#include "cmd_target.h"
#include "handle.h"

class CWnd;

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
    ~CWinThread() override;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread suspended; the caller resumes it. FALSE when it cannot be created.
    BOOL CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    BOOL SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

    // Makes this object the one AfxGetThread answers on the calling thread; the
    // application object does this for the user-interface thread.
    void MakeCurrentForThisThread();

    // The thread's main window (the frame, on the user-interface thread), or null: owner of
    // the program's modal dialogs.
    CWnd* GetMainWnd() const { return m_pMainWnd; }
    CWnd* m_pMainWnd;

    // A real handle of the thread, owned by this object (the application's too: a duplicate
    // of its thread's pseudo handle), so that any thread may wait on it.
    CKernelHandle m_hThread;
    DWORD m_nThreadID;
    // When set (the default for workers) the object deletes itself as its thread ends.
    BOOL m_bAutoDelete;

protected:
    CWinThread();  // for the application object, which is its thread's object

private:
    static unsigned __stdcall ThreadEntry(void* pThread);

    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts pfnThreadProc(pParam) on a new thread. Unless CREATE_SUSPENDED is given the
// thread runs at once, and the returned object may already be gone when it auto-deletes.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                           int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                           DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

// The thread object of the calling thread, or null for a thread the framework did not start.
CWinThread* AfxGetThread();
