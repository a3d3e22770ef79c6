// CMainFrame: the bars.
#include "MainFrame.h"
#include "AfxRes.h"
#include "resource.h"

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

namespace {

const UINT toolBarButtons[] = {
    ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE,
    ID_SEPARATOR,
    ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE,
    ID_SEPARATOR,
    ID_VIEW_PLAY,
    ID_SEPARATOR,
    ID_APP_ABOUT,
};

const UINT statusIndicators[] = {
    ID_SEPARATOR,           // the message pane
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};

} // namespace

CMainFrame::CMainFrame()
{
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    if (!m_wndToolBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP, AFX_IDW_TOOLBAR)
        || !m_wndToolBar.LoadBitmap(IDR_MAINFRAME)
        || !m_wndToolBar.SetButtons(toolBarButtons, sizeof toolBarButtons / sizeof toolBarButtons[0]))
        return -1;
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR)
        || !m_wndStatusBar.SetIndicators(statusIndicators, sizeof statusIndicators / sizeof statusIndicators[0]))
        return -1;
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    return 0;
}
