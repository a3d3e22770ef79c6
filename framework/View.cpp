// CView: creation inside a frame, painting, updates and command routing.
#include "View.h"
#include "Document.h"
#include "FrameWnd.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_PAINT()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CView::CView() : m_pDocument(nullptr)
{
}

CView::~CView()
{
    if (m_pDocument != nullptr)
        m_pDocument->RemoveView(this);
}

BOOL CView::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                   CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    // The view joins its document before its window exists, so that its
    // own WM_CREATE can already reach the document.
    if (pContext != nullptr && pContext->m_pCurrentDoc != nullptr)
        pContext->m_pCurrentDoc->AddView(this);
    return CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

void CView::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(m_hWnd, &ps);
    CDC dc(hDC);
    OnDraw(&dc);
    ::EndPaint(m_hWnd, &ps);
}

void CView::OnDestroy()
{
    if (CFrameWnd* pFrame = GetParentFrame())
        if (pFrame->GetActiveView() == this)
            pFrame->SetActiveView(nullptr);
    if (m_pDocument != nullptr)
        m_pDocument->RemoveView(this);
    Default();
}

void CView::PostNcDestroy()
{
    delete this;    // views are made by their frame with new
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    return m_pDocument != nullptr && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CView::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (CFrameWnd* pFrame = GetParentFrame())
        return pFrame->OnCommand(wParam, lParam);
    return CWnd::OnCommand(wParam, lParam);
}
