// CFrameWnd: the main window: menu, accelerators and icon from one resource
// id, the bars laid out around the view, command routing, status-bar
// prompts, bar toggles, the caption and closing with the save prompt.
#pragma once

#include "Wnd.h"

#include <vector>

// Frame style: the caption names the document, then the window title.
#define FWS_ADDTOTITLE 0x00008000L

class CControlBar;
class CDocument;
class CView;

class CFrameWnd : public CWnd
{
    DECLARE_DYNCREATE(CFrameWnd)
public:
// Construction
    CFrameWnd();
    ~CFrameWnd() override;
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);

// Attributes
    CString m_strTitle;                 // the window title, first field of the template string
    HACCEL m_hAccelTable;
    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pViewNew) { m_pViewActive = pViewNew; }
    CDocument* GetActiveDocument() const;
    CControlBar* GetControlBar(UINT nID) const;
    UINT GetMenuResourceID() const { return m_nIDResource; }

// Operations
    void AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    void ShowControlBar(CControlBar* pBar, BOOL bShow);
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    // Docking is along the top edge only: the bar stays where it was made.
    void DockControlBar(CControlBar* pBar) { (void)pBar; RecalcLayout(); }
    // Lays out the bars along their edges and gives the view the rest.
    virtual void RecalcLayout();
    // Shows text in the status bar's message pane; an id shows its prompt
    // (the string up to '\n'); 0 or AFX_IDS_IDLEMESSAGE shows "Ready".
    void SetMessageText(LPCSTR lpszText);
    void SetMessageText(UINT nID);
    // After New and Open: the views show the document, the frame is shown.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    // Idle time: the bars' command states and the caption.
    void OnIdleUpdateCmdUI();

// Overridables
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

// Message handlers
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnDestroy();
    BOOL OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);

// Implementation
protected:
    void PostNcDestroy() override;
    void OnInitMenuPopup(HMENU hMenu, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);
    static LPCSTR GetFrameClassName(UINT nIDIcon);

    CView* m_pViewActive;
    std::vector<CControlBar*> m_listControlBars;
    UINT m_nIDResource;
    DWORD m_dwDockStyle;
    CString m_strLastCaption;
    CCreateContext* m_pCreateContext;

    DECLARE_MESSAGE_MAP()
};
