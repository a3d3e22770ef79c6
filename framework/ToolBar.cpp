// CToolBar: buttons, images and the idle-time update of their states.
#include "ToolBar.h"
#include "CmdUI.h"
#include "FrameWnd.h"

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

namespace {

const int nImageWidth = 16;
const int nImageHeight = 15;

// A button's state as its command's update handler gives it.
class CToolCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        CToolBar* pToolBar = static_cast<CToolBar*>(m_pOther);
        // Only a change is sent: the bar repaints the button for every one.
        if (!pToolBar->IsButtonEnabled(m_nID) != !bOn)
            pToolBar->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override
    {
        m_pOther->SendMessage(TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck ? TRUE : FALSE, 0));
    }
    void SetText(LPCSTR) override {}
};

} // namespace

BOOL CToolBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    if (!CreateBar(TOOLBARCLASSNAMEA, TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, dwStyle, pParentWnd, nID))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadBitmap(UINT nIDResource)
{
    // Checked now, so that a missing bitmap fails the frame's creation.
    HBITMAP hBitmap = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    if (hBitmap == nullptr)
        return FALSE;
    ::DeleteObject(hBitmap);
    m_nIDBitmap = nIDResource;
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* lpIDArray, int nIDCount)
{
    ASSERT(m_nIDBitmap != 0);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(nImageWidth, nImageHeight));
    std::vector<TBBUTTON> buttons;
    int nImage = 0;
    for (int i = 0; i < nIDCount; ++i) {
        TBBUTTON button = {};
        if (lpIDArray[i] == 0) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = 8;             // width of the gap
        } else {
            button.iBitmap = nImage++;
            button.idCommand = static_cast<int>(lpIDArray[i]);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(button);
    }
    // The bar maps the bitmap's grey to the button face colour itself.
    TBADDBITMAP bitmap = {AfxGetResourceHandle(), m_nIDBitmap};
    if (SendMessage(TB_ADDBITMAP, nImage, reinterpret_cast<LPARAM>(&bitmap)) == -1)
        return FALSE;
    if (!SendMessage(TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data())))
        return FALSE;
    SendMessage(TB_AUTOSIZE);
    return TRUE;
}

UINT CToolBar::GetItemID(int nIndex) const
{
    TBBUTTON button = {};
    if (!SendMessage(TB_GETBUTTON, nIndex, reinterpret_cast<LPARAM>(&button)))
        return 0;
    return (button.fsStyle & BTNS_SEP) ? 0 : static_cast<UINT>(button.idCommand);
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler)
{
    CToolCmdUI state;
    state.m_pOther = this;
    const int nCount = GetCount();
    for (int i = 0; i < nCount; ++i) {
        const UINT nID = GetItemID(i);
        if (nID == 0)
            continue;
        state.m_nID = nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}
