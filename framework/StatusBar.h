// CStatusBar: the common status-bar control: a message pane that takes the
// remaining width, then indicator panes sized to their texts.
#pragma once

#include "ControlBar.h"

#include <commctrl.h>
#include <vector>

class CStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CStatusBar)
public:
// Construction
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT nID = 0xE801);
    // Pane ids in order: ID_SEPARATOR (0) for the message pane, else the id
    // of an indicator string, which is what the pane shows while enabled.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);

// Attributes
    int GetCount() const { return static_cast<int>(m_panes.size()); }
    UINT GetItemID(int nIndex) const { return m_panes[nIndex].nID; }
    CString GetPaneText(int nIndex) const;
    BOOL SetPaneText(int nIndex, LPCSTR lpszNewText);
    const CString& GetIndicatorText(int nIndex) const { return m_panes[nIndex].strText; }

// Operations
    // Sets the panes' right edges for the bar's current width.
    void UpdateLayout();

// Overridables
    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;

// Implementation
private:
    struct Pane
    {
        UINT nID;
        CString strText;        // the indicator string
        int cxText;             // its width in pixels
    };
    std::vector<Pane> m_panes;
};
