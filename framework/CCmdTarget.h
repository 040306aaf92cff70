// Base of every class that has a message map (windows and the application
// object): finds handlers in the map chain and routes commands to them.
#pragma once

#include "framework/CObject.h"
#include "framework/MessageMap.h"

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)

public:
    // Runs the handler of WM_COMMAND nID with notification code nCode (CN_COMMAND
    // for menus, accelerators and button clicks). FALSE when no map entry has it.
    virtual BOOL OnCmdMsg(UINT nID, UINT nCode);

    // The application's wait cursor, counted (see CWinApp::DoWaitCursor).
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();

protected:
    // The root map: no entries, no base.
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // The first entry for the message (and, for WM_COMMAND, the code and id),
    // searching this object's map and then its bases' maps; null when none.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};
