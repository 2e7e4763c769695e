#include "cmd_target.h"

#include "cmd_ui.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY noEntries[] = {{0, 0, 0, nullptr}};
    static const AFX_MSGMAP rootMap = {nullptr, noEntries};
    return &rootMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

namespace {

const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* map, UINT nMessage, int nCode, UINT nID) {
    for (; map != nullptr; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn != nullptr; ++entry) {
            if (entry->nMessage != nMessage) continue;
            if (nMessage != WM_COMMAND) return entry;
            if (entry->nCode == nCode && entry->nID == nID) return entry;
        }
    }
    return nullptr;
}

}  // namespace

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT nMessage) const {
    if (nMessage == WM_COMMAND) return nullptr;  // commands take the OnCmdMsg route
    return FindEntry(GetMessageMap(), nMessage, 0, 0);
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    const AFX_MSGMAP_ENTRY* entry = FindEntry(GetMessageMap(), WM_COMMAND, nCode, nID);
    if (entry == nullptr) return FALSE;
    if (pHandlerInfo != nullptr) {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    if (nCode == CN_UPDATE_COMMAND_UI) {
        auto* cmdUI = static_cast<CCmdUI*>(pExtra);
        if (cmdUI == nullptr) return FALSE;
        cmdUI->m_bContinueRouting = FALSE;
        AFX_DISPATCH dispatch{0, 0, cmdUI, 0};
        entry->pfn(this, dispatch);
        // A handler may ask for the route to go on (for example to a later target).
        return !cmdUI->m_bContinueRouting;
    }
    AFX_DISPATCH dispatch{0, 0, pExtra, 0};
    entry->pfn(this, dispatch);
    return TRUE;
}
