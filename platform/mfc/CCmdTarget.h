// Base of every class with a message map: routes commands and control
// notifications to the handlers in its map and its bases' maps.
#pragma once

#include "AfxMessageMap.h"
#include "CObject.h"

struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // nCode is MAKELONG(notification, message) with message 0 meaning
    // WM_COMMAND; pExtra is an AFX_NOTIFY* for WM_NOTIFY. TRUE when a
    // handler took it (with pHandlerInfo given: when one exists, without
    // calling it).
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

    // The entry of map (or of its bases) for message, code and id; NULL when none.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
