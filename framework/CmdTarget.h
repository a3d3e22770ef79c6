// CCmdTarget: the base of everything that answers commands through a message
// map (application, documents, windows), and the wait cursor.
#pragma once

#include "AfxMsg.h"
#include "Object.h"

// Filled instead of calling a handler, when a caller only asks whether one exists.
struct AFX_CMDHANDLERINFO
{
    CCmdTarget* pTarget;
    AFX_PMSG pmf;
};

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)
public:
// Construction
    CCmdTarget() = default;

// Operations
    void BeginWaitCursor();
    void EndWaitCursor();

// Overridables
    // Offers command nID (with notification nCode) to this target's message
    // map. With pHandlerInfo, nothing is called: the handler found is
    // described there. TRUE when handled (or found).
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

// Implementation
    // The entry answering this message, searching base maps too; null if none.
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, int nCode, UINT nID);
    // Calls a command or update entry's handler; the entry's signature decides how.
    BOOL DispatchCmdMsg(const AFX_MSGMAP_ENTRY* pEntry, UINT nID, void* pExtra);

    virtual const AFX_MSGMAP* GetMessageMap() const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
};

// Shows the wait cursor for the life of the object.
class CWaitCursor
{
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
