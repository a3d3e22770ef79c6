// CCmdTarget: message-map search and command dispatch.
#include "CmdTarget.h"
#include "CmdUI.h"
#include "WinApp.h"

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, AfxSig_end, nullptr}};
    static const AFX_MSGMAP messageMap = {nullptr, entries};
    return &messageMap;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const
{
    return GetThisMessageMap();
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMessage, int nCode, UINT nID)
{
    for (; pMap != nullptr; pMap = pMap->pfnGetBaseMap != nullptr ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->nSig != AfxSig_end; ++pEntry) {
            if (pEntry->nMessage == nMessage && pEntry->nCode == nCode
                && nID >= pEntry->nID && nID <= pEntry->nLastID)
                return pEntry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(GetMessageMap(), WM_COMMAND, nCode, nID);
    if (pEntry == nullptr)
        return FALSE;
    if (pHandlerInfo != nullptr) {
        pHandlerInfo->pTarget = this;
        pHandlerInfo->pmf = pEntry->pfn;
        return TRUE;
    }
    return DispatchCmdMsg(pEntry, nID, pExtra);
}

BOOL CCmdTarget::DispatchCmdMsg(const AFX_MSGMAP_ENTRY* pEntry, UINT nID, void* pExtra)
{
    switch (pEntry->nSig) {
    case AfxSig_vv:
        (this->*pEntry->pfn)();
        return TRUE;
    case AfxSig_vw:
        (this->*AfxHandlerCast<void (CCmdTarget::*)(UINT)>(pEntry->pfn))(nID);
        return TRUE;
    case AfxSig_bw:
        // An ON_COMMAND_EX handler may decline, and routing goes on.
        return (this->*AfxHandlerCast<BOOL (CCmdTarget::*)(UINT)>(pEntry->pfn))(nID);
    case AfxSig_cmdui: {
        CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
        ASSERT(pCmdUI != nullptr);
        pCmdUI->m_bContinueRouting = FALSE;
        (this->*AfxHandlerCast<void (CCmdTarget::*)(CCmdUI*)>(pEntry->pfn))(pCmdUI);
        return !pCmdUI->m_bContinueRouting;
    }
    default:
        ASSERT(FALSE);      // a window message's entry is never routed as a command
        return FALSE;
    }
}

void CCmdTarget::BeginWaitCursor()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->DoWaitCursor(1);
}

void CCmdTarget::EndWaitCursor()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->DoWaitCursor(-1);
}

CWaitCursor::CWaitCursor()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->DoWaitCursor(1);
}

CWaitCursor::~CWaitCursor()
{
    if (CWinApp* pApp = AfxGetApp())
        pApp->DoWaitCursor(-1);
}
