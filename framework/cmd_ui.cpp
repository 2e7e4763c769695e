#include "cmd_ui.h"

#include "cmd_target.h"
#include "wnd.h"

void CCmdUI::Enable(BOOL bOn) {
    m_bEnabled = bOn ? TRUE : FALSE;
    m_bEnableChanged = TRUE;
    if (m_pOther != nullptr && m_pOther->GetSafeHwnd() != nullptr) {
        ::EnableWindow(m_pOther->GetSafeHwnd(), m_bEnabled);
    }
}

void CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler) {
    if (pTarget == nullptr) return;
    m_bEnableChanged = FALSE;
    const BOOL handled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
    if (!handled && bDisableIfNoHandler && !m_bEnableChanged) {
        AFX_CMDHANDLERINFO info;
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, nullptr, &info));
    }
}
