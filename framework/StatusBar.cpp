// CStatusBar: panes, their widths, and the idle-time update of the indicators.
#include "StatusBar.h"
#include "CmdUI.h"
#include "FrameWnd.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

namespace {

const int cxPaneMargin = 12;

// An indicator pane shows its text while its command is enabled.
class CStatusCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        CStatusBar* pBar = static_cast<CStatusBar*>(m_pOther);
        const CString strWanted = bOn ? pBar->GetIndicatorText(static_cast<int>(m_nIndex)) : CString();
        if (pBar->GetPaneText(static_cast<int>(m_nIndex)) != strWanted)
            pBar->SetPaneText(static_cast<int>(m_nIndex), strWanted);
    }
    void SetCheck(int) override {}
    void SetText(LPCSTR lpszText) override
    {
        static_cast<CStatusBar*>(m_pOther)->SetPaneText(static_cast<int>(m_nIndex), lpszText);
    }
};

} // namespace

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    return CreateBar(STATUSCLASSNAMEA, SBARS_SIZEGRIP, dwStyle, pParentWnd, nID);
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    m_panes.clear();
    HDC hDC = ::GetDC(m_hWnd);
    HGDIOBJ hOldFont = ::SelectObject(hDC, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    BOOL bResult = TRUE;
    for (int i = 0; i < nIDCount; ++i) {
        Pane pane = {lpIDArray[i], CString(), 0};
        if (pane.nID != 0) {
            if (!pane.strText.LoadString(pane.nID))
                bResult = FALSE;        // an indicator without its string
            SIZE size = {0, 0};
            ::GetTextExtentPoint32A(hDC, pane.strText, pane.strText.GetLength(), &size);
            pane.cxText = size.cx;
        }
        m_panes.push_back(pane);
    }
    ::SelectObject(hDC, hOldFont);
    ::ReleaseDC(m_hWnd, hDC);
    UpdateLayout();
    return bResult;
}

void CStatusBar::UpdateLayout()
{
    if (m_panes.empty())
        return;
    RECT rc;
    GetClientRect(&rc);
    // Right edges, from the right: the indicators keep their width, the
    // message pane has the rest (and the size grip's corner).
    std::vector<int> edges(m_panes.size());
    int xRight = rc.right - ::GetSystemMetrics(SM_CXVSCROLL);
    for (size_t i = m_panes.size(); i-- > 1;) {
        edges[i] = xRight;
        xRight -= m_panes[i].cxText + cxPaneMargin;
    }
    edges[0] = xRight;
    edges.back() = -1;      // the last pane reaches the edge
    SendMessage(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

CString CStatusBar::GetPaneText(int nIndex) const
{
    const int nLength = LOWORD(SendMessage(SB_GETTEXTLENGTHA, nIndex));
    CString strText;
    SendMessage(SB_GETTEXTA, nIndex, reinterpret_cast<LPARAM>(strText.GetBuffer(nLength)));
    strText.ReleaseBuffer();
    return strText;
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText)
{
    return static_cast<BOOL>(SendMessage(SB_SETTEXTA, nIndex, reinterpret_cast<LPARAM>(lpszNewText)));
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler)
{
    CStatusCmdUI state;
    state.m_pOther = this;
    for (int i = 0; i < GetCount(); ++i) {
        if (m_panes[i].nID == 0)
            continue;           // the message pane belongs to the prompts
        state.m_nID = m_panes[i].nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}
