// CMainFrame: the main window with its tool bar and status bar.
#pragma once

#include "FrameWnd.h"
#include "StatusBar.h"
#include "ToolBar.h"

class CMainFrame : public CFrameWnd
{
    DECLARE_DYNCREATE(CMainFrame)
public:
// Construction
    CMainFrame();

// Attributes
    CToolBar& GetToolBar() { return m_wndToolBar; }
    CStatusBar& GetStatusBar() { return m_wndStatusBar; }

// Message handlers
    int OnCreate(LPCREATESTRUCT lpCreateStruct);

// Implementation
protected:
    CStatusBar m_wndStatusBar;
    CToolBar m_wndToolBar;

    DECLARE_MESSAGE_MAP()
};
