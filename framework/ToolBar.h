// CToolBar: the common tool-bar control, with buttons of 16 by 15 images cut
// from one bitmap, tool tips and status-bar prompts from the string table.
#pragma once

#include "ControlBar.h"

#include <commctrl.h>

#include <vector>

class CToolBar : public CControlBar
{
    DECLARE_DYNAMIC(CToolBar)
public:
// Construction
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT nID = 0xE800);
    // The bitmap resource the images come from, used by SetButtons.
    BOOL LoadBitmap(UINT nIDResource);
    // The buttons in order; ID_SEPARATOR (0) makes a gap between groups.
    BOOL SetButtons(const UINT* lpIDArray, int nIDCount);

// Attributes
    int GetCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    UINT GetItemID(int nIndex) const;
    BOOL IsButtonEnabled(UINT nID) const { return static_cast<BOOL>(SendMessage(TB_ISBUTTONENABLED, nID)); }

// Overridables
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;

// Implementation
private:
    UINT m_nIDBitmap = 0;
};
