// The update-UI request: asks the handler of one command whether it is enabled now. The
// frame runs one per tool bar button at idle time.
#pragma once

#include <windows.h>

class CCmdTarget;
class CWnd;

class CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI() = default;
    CCmdUI(const CCmdUI&) = delete;
    CCmdUI& operator=(const CCmdUI&) = delete;

    // Records the state and, when the request is about a control (m_pOther), enables or
    // disables its window. Tool bar buttons override this.
    virtual void Enable(BOOL bOn = TRUE);

    // Routes the request to `pTarget`. When no update handler answers and
    // `bDisableIfNoHandler` is set, the command is enabled exactly when it has a command
    // handler on the route.
    void DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);

    UINT m_nID = 0;
    UINT m_nIndex = 0;
    CWnd* m_pOther = nullptr;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
    // The last state given to Enable.
    BOOL m_bEnabled = TRUE;
};
