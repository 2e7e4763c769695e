#include "thread_state.h"

#include "wnd.h"

AFX_THREAD_STATE* AfxGetThreadState() {
    thread_local AFX_THREAD_STATE state;
    return &state;
}

void AfxDeleteTempMap() {
    AFX_THREAD_STATE* state = AfxGetThreadState();
    for (auto& entry : state->m_tempWindows) entry.second->m_hWnd = nullptr;  // not ours to destroy
    state->m_tempWindows.clear();
}

CCurrentMessageScope::CCurrentMessageScope(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
    : m_state(*AfxGetThreadState()), m_saved(m_state.m_lastSentMsg) {
    // Time and cursor of the message being handled, as the queue last reported them.
    const DWORD pos = ::GetMessagePos();
    m_state.m_lastSentMsg = MSG{hWnd, nMsg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()),
                                {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))}};
}

CCurrentMessageScope::~CCurrentMessageScope() { m_state.m_lastSentMsg = m_saved; }
