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
