// CControlBar: a bar along an edge of a frame (tool bar, status bar): its
// bar style, and the command states it shows, refreshed at idle time.
#pragma once

#include "Wnd.h"

// Bar styles, kept apart from the window style.
#define CBRS_ALIGN_LEFT     0x1000L
#define CBRS_ALIGN_TOP      0x2000L
#define CBRS_ALIGN_RIGHT    0x4000L
#define CBRS_ALIGN_BOTTOM   0x8000L
#define CBRS_ALIGN_ANY      0xF000L
#define CBRS_BORDER_LEFT    0x0100L
#define CBRS_BORDER_TOP     0x0200L
#define CBRS_BORDER_RIGHT   0x0400L
#define CBRS_BORDER_BOTTOM  0x0800L
#define CBRS_TOOLTIPS       0x0010L
#define CBRS_FLYBY          0x0020L
#define CBRS_TOP            (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM         (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_ALL            0x0040FFFFL

class CFrameWnd;

class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)
public:
// Construction
    CControlBar() : m_dwStyle(0), m_dwDockStyle(0) {}

// Attributes
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle & CBRS_ALL; }
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }
    DWORD GetDockStyle() const { return m_dwDockStyle; }

// Overridables
    // Shows the current state of every command the bar carries.
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) = 0;

// Implementation
protected:
    // The bar's window of a common-control class, registered with its frame.
    BOOL CreateBar(LPCSTR lpszClassName, DWORD dwWindowStyle, DWORD dwStyle, CWnd* pParentWnd, UINT nID);

    DWORD m_dwStyle;
    DWORD m_dwDockStyle;
};
