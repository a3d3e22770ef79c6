// CCmdUI: the state of one command as a menu item, a tool bar button, a
// status-bar pane or an accelerator shows it, asked of the command's update
// handler.
#pragma once

#include "AfxDefs.h"

class CCmdTarget;
class CWnd;

class CCmdUI
{
public:
// Construction
    CCmdUI();
    virtual ~CCmdUI() = default;

// Operations: what an update handler may say
    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);     // 0 clear, 1 checked
    virtual void SetText(LPCSTR lpszText);
    void ContinueRouting() { m_bContinueRouting = TRUE; }

    // Asks pTarget (which routes further) for the state. Without an update
    // handler the command is disabled when bDisableIfNoHandler is set and no
    // command handler exists either.
    void DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);

// Attributes
    UINT m_nID;
    UINT m_nIndex;              // position in the menu, bar or pane list
    HMENU m_hMenu;              // set for a menu item
    CWnd* m_pOther;             // set for a bar's button or pane
    BOOL m_bEnableChanged;      // the handler called Enable
    BOOL m_bContinueRouting;
};

// Asks for a command's state without showing it anywhere: whether a command
// that arrived by accelerator, menu or button may run.
class CTestCmdUI : public CCmdUI
{
public:
    CTestCmdUI() : m_bEnabled(TRUE) {}
    void Enable(BOOL bOn = TRUE) override { m_bEnabled = bOn; m_bEnableChanged = TRUE; }
    void SetCheck(int) override {}
    void SetText(LPCSTR) override {}

    BOOL m_bEnabled;
};
