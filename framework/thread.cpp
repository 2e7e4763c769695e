#include "thread.h"

#include <process.h>

#include "thread_state.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

namespace {
// Each thread's own framework thread object.
thread_local CWinThread* t_pCurrentThread = nullptr;
}  // namespace

CWinThread::CWinThread()
    : m_pMainWnd(nullptr), m_hThread(), m_nThreadID(0), m_bAutoDelete(FALSE), m_pfnThreadProc(nullptr),
      m_pThreadParams(nullptr) {}

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pMainWnd(nullptr), m_hThread(), m_nThreadID(0), m_bAutoDelete(TRUE), m_pfnThreadProc(pfnThreadProc),
      m_pThreadParams(pParam) {}

CWinThread::~CWinThread() {
    if (t_pCurrentThread == this) t_pCurrentThread = nullptr;
}

void CWinThread::MakeCurrentForThisThread() { t_pCurrentThread = this; }

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    unsigned id = 0;
    // _beginthreadex rather than CreateThread: the C runtime sets up its per-thread data.
    uintptr_t handle = ::_beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                                        dwCreateFlags | CREATE_SUSPENDED, &id);
    if (handle == 0) return FALSE;
    m_hThread.Reset(reinterpret_cast<HANDLE>(handle));
    m_nThreadID = id;
    return TRUE;
}

unsigned __stdcall CWinThread::ThreadEntry(void* pThread) {
    CWinThread* self = static_cast<CWinThread*>(pThread);
    t_pCurrentThread = self;
    UINT exitCode = static_cast<UINT>(-1);
    // No exception may leave a thread entry.
    try {
        exitCode = self->m_pfnThreadProc(self->m_pThreadParams);
    } catch (...) {
        exitCode = static_cast<UINT>(-1);
    }
    t_pCurrentThread = nullptr;
    AfxDeleteThreadState();
    if (self->m_bAutoDelete) delete self;
    return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
    if (pfnThreadProc == nullptr) return nullptr;
    CWinThread* thread = new CWinThread(pfnThreadProc, pParam);
    if (!thread->CreateThread(dwCreateFlags, nStackSize, lpSecurityAttrs)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED)) thread->ResumeThread();
    return thread;
}

CWinThread* AfxGetThread() { return t_pCurrentThread; }
