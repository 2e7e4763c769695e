// The root of everything that can receive commands through a message map: windows, and
// (in the frame's route) the document and the application.
#pragma once

#include "message_map.h"
#include "object.h"

// Filled by OnCmdMsg when a caller only asks whether a command has a handler.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget = nullptr;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
    ~CCmdTarget() override = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Looks up `nID` with `nCode` (CN_COMMAND or CN_UPDATE_COMMAND_UI) in this object's map
    // chain and runs the handler. With `pHandlerInfo` set it only reports whether a handler
    // exists. Returns TRUE when handled. A frame overrides this to route further.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry for a window message in the map chain, or null.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage) const;
};
