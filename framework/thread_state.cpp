#include "thread_state.h"

#include "wnd.h"

namespace {
// Only a pointer is thread-local: this compiler's emulated thread-local storage frees an
// object's memory before its destructor would run at thread exit, and the destructor would
// then write freed memory (under Wine the swallowed fault leaves a lock held and the
// process never ends). The record is made on first use and deleted by AfxDeleteThreadState.
thread_local AFX_THREAD_STATE* t_pThreadState = nullptr;
}  // namespace

AFX_THREAD_STATE* AfxGetThreadState() {
    if (t_pThreadState == nullptr) t_pThreadState = new AFX_THREAD_STATE;
    return t_pThreadState;
}

void AfxDeleteTempMap() {
    AFX_THREAD_STATE* state = AfxGetThreadState();
    for (auto& entry : state->m_tempWindows) entry.second->m_hWnd = nullptr;  // not ours to destroy
    state->m_tempWindows.clear();
}

void AfxDeleteThreadState() {
    if (t_pThreadState == nullptr) return;
    AfxDeleteTempMap();
    delete t_pThreadState;
    t_pThreadState = nullptr;
}

CCurrentMessageScope::CCurrentMessageScope(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
    : m_state(*AfxGetThreadState()), m_saved(m_state.m_lastSentMsg) {
    // Time and cursor of the message being handled, as the queue last reported them.
    const DWORD pos = ::GetMessagePos();
    m_state.m_lastSentMsg = MSG{hWnd, nMsg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()),
                                {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))}};
}

CCurrentMessageScope::~CCurrentMessageScope() { m_state.m_lastSentMsg = m_saved; }
