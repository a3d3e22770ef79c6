// CView: the window that shows a document inside the frame; commands it does
// not answer go on to its document.
#pragma once

#include "Wnd.h"

class CDocument;

class CView : public CWnd
{
    DECLARE_DYNAMIC(CView)
public:
// Construction
    CView();
    ~CView() override;

    BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;

// Attributes
    CDocument* GetDocument() const { return m_pDocument; }
    CDocument* m_pDocument;

// Overridables
    // After New and Open: the view shows the document anew.
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnDraw(CDC* pDC) = 0;

// Implementation
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
    // A command sent to the view goes the whole way, as one from the menu does.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

protected:
    void PostNcDestroy() override;

    void OnPaint();
    void OnDestroy();

    DECLARE_MESSAGE_MAP()
};
