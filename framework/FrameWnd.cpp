// CFrameWnd: creation, layout, routing, prompts, bars, caption and closing.
#include "FrameWnd.h"
#include "AfxRes.h"
#include "CmdUI.h"
#include "ControlBar.h"
#include "Document.h"
#include "StatusBar.h"
#include "View.h"
#include "WinApp.h"

#include <algorithm>

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
END_MESSAGE_MAP()

namespace {

// The prompt of a command: its string up to the tool tip after '\n'.
CString PromptOf(UINT nID)
{
    CString strPrompt;
    strPrompt.LoadString(nID);
    const int nNewLine = strPrompt.Find('\n');
    return nNewLine >= 0 ? strPrompt.Left(nNewLine) : strPrompt;
}

// The system menu's commands have their prompts at AFX_IDS_SCSIZE (0xEF00) on.
UINT SystemCommandPrompt(UINT nItemID)
{
    return 0xEF00 + ((nItemID - 0xF000) >> 4);
}

} // namespace

CFrameWnd::CFrameWnd()
    : m_hAccelTable(nullptr), m_pViewActive(nullptr), m_nIDResource(0), m_dwDockStyle(0),
      m_pCreateContext(nullptr)
{
}

CFrameWnd::~CFrameWnd()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = nullptr;
}

LPCSTR CFrameWnd::GetFrameClassName(UINT nIDIcon)
{
    static char szClass[32] = "";
    if (szClass[0] == '\0') {
        wsprintfA(szClass, "FramewiseFrame:%u", nIDIcon);
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AfxWndProc;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDIcon));
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = szClass;
        if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            szClass[0] = '\0';
    }
    return szClass[0] != '\0' ? szClass : nullptr;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    m_nIDResource = nIDResource;
    CString strTemplate;
    strTemplate.LoadString(nIDResource);
    const int nNewLine = strTemplate.Find('\n');
    m_strTitle = nNewLine >= 0 ? strTemplate.Left(nNewLine) : strTemplate;

    LPCSTR lpszClass = GetFrameClassName(nIDResource);
    if (lpszClass == nullptr)
        return FALSE;
    HMENU hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    m_pCreateContext = pContext;
    const BOOL bCreated = CreateEx(0, lpszClass, m_strTitle, dwDefaultStyle & ~FWS_ADDTOTITLE, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hMenu);
    m_pCreateContext = nullptr;
    if (!bCreated) {
        if (hMenu != nullptr && !::IsMenu(hMenu))
            hMenu = nullptr;        // went with the window
        if (hMenu != nullptr)
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    m_hAccelTable = ::LoadAcceleratorsA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDResource));
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs)
{
    if (CWnd::OnCreate(lpcs) == -1)
        return -1;
    return OnCreateClient(lpcs, m_pCreateContext) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext)
{
    if (pContext == nullptr || pContext->m_pNewViewClass == nullptr)
        return TRUE;        // a frame without a view
    CView* pView = static_cast<CView*>(pContext->m_pNewViewClass->CreateObject());
    if (pView == nullptr)
        return FALSE;
    const RECT rc = {0, 0, 0, 0};
    if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rc, this, AFX_IDW_PANE_FIRST, pContext)) {
        delete pView;       // no window, so nothing else deletes it
        return FALSE;
    }
    SetActiveView(pView);
    return TRUE;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    if (m_pViewActive == nullptr && pDoc != nullptr && pDoc->GetViewCount() > 0)
        SetActiveView(pDoc->GetView(0));
    if (pDoc != nullptr) {
        for (int i = 0; i < pDoc->GetViewCount(); ++i)
            pDoc->GetView(i)->OnInitialUpdate();
    }
    if (bMakeVisible) {
        RecalcLayout();
        if (!IsWindowVisible())
            ShowWindow(SW_SHOW);
        if (m_pViewActive != nullptr)
            ::SetFocus(m_pViewActive->m_hWnd);
        UpdateWindow();
    }
    // A note about the project before (what an export wrote) is not this one's.
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    OnUpdateFrameTitle(TRUE);
}

CDocument* CFrameWnd::GetActiveDocument() const
{
    return m_pViewActive != nullptr ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::AddControlBar(CControlBar* pBar)
{
    m_listControlBars.push_back(pBar);
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    m_listControlBars.erase(std::remove(m_listControlBars.begin(), m_listControlBars.end(), pBar),
                            m_listControlBars.end());
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const
{
    for (CControlBar* pBar : m_listControlBars)
        if (pBar->m_hWnd != nullptr && static_cast<UINT>(pBar->GetDlgCtrlID()) == nID)
            return pBar;
    return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow)
{
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::RecalcLayout()
{
    if (m_hWnd == nullptr)
        return;
    RECT rcClient;
    GetClientRect(&rcClient);
    int yTop = rcClient.top;
    int yBottom = rcClient.bottom;
    for (CControlBar* pBar : m_listControlBars) {
        if (pBar->m_hWnd == nullptr || !pBar->IsWindowVisible())
            continue;
        // The common bars place themselves along their edge when told the size.
        pBar->SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(rcClient.right, rcClient.bottom));
        if (pBar->IsKindOf(RUNTIME_CLASS(CStatusBar)))
            static_cast<CStatusBar*>(pBar)->UpdateLayout();
        RECT rcBar;
        pBar->GetWindowRect(&rcBar);
        const int cyBar = rcBar.bottom - rcBar.top;
        if (pBar->GetBarStyle() & CBRS_ALIGN_BOTTOM)
            yBottom -= cyBar;
        else
            yTop += cyBar;
    }
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
        m_pViewActive->MoveWindow(rcClient.left, yTop, rcClient.right - rcClient.left,
                                  std::max(0, yBottom - yTop));
}

void CFrameWnd::OnSize(UINT nType, int, int)
{
    Default();
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::SetMessageText(LPCSTR lpszText)
{
    if (CControlBar* pBar = GetControlBar(AFX_IDW_STATUS_BAR))
        static_cast<CStatusBar*>(pBar)->SetPaneText(0, lpszText);
}

void CFrameWnd::SetMessageText(UINT nID)
{
    SetMessageText(PromptOf(nID == 0 ? AFX_IDS_IDLEMESSAGE : nID));
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* pBar = GetControlBar(nID);
    if (pBar == nullptr)
        return FALSE;
    ShowControlBar(pBar, !pBar->IsWindowVisible());
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (pBar == nullptr) {
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->SetCheck(pBar->IsWindowVisible() ? 1 : 0);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int nVirtKey;
    switch (pCmdUI->m_nID) {
    case ID_INDICATOR_CAPS: nVirtKey = VK_CAPITAL; break;
    case ID_INDICATOR_NUM:  nVirtKey = VK_NUMLOCK; break;
    case ID_INDICATOR_SCRL: nVirtKey = VK_SCROLL; break;
    default:
        pCmdUI->ContinueRouting();
        return;
    }
    pCmdUI->Enable((::GetKeyState(nVirtKey) & 1) != 0);
}

// The view first, then the document (through the view), then the frame,
// then the application.
BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    if (m_pViewActive != nullptr && m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable != nullptr)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg) != 0;
    return FALSE;
}

BOOL CFrameWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pNMHDR = reinterpret_cast<const NMHDR*>(lParam);
    if (pNMHDR->code == TTN_GETDISPINFOA || pNMHDR->code == TTN_GETDISPINFOW) {
        // A tool tip: the part of the command's string after '\n'.
        const UINT nID = static_cast<UINT>(pNMHDR->idFrom);
        CString strFull;
        strFull.LoadString(nID);
        const int nNewLine = strFull.Find('\n');
        const CString strTip = nNewLine >= 0 ? strFull.Mid(nNewLine + 1) : CString();
        if (pNMHDR->code == TTN_GETDISPINFOA) {
            NMTTDISPINFOA* pInfo = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            lstrcpynA(pInfo->szText, strTip, sizeof pInfo->szText);
            pInfo->lpszText = pInfo->szText;
        } else {
            NMTTDISPINFOW* pInfo = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            ::MultiByteToWideChar(CP_ACP, 0, strTip, -1, pInfo->szText, sizeof pInfo->szText / sizeof(WCHAR));
            pInfo->lpszText = pInfo->szText;
        }
        *pResult = 0;
        return TRUE;
    }
    if (pNMHDR->code == TBN_HOTITEMCHANGE) {
        // Passing over a button shows its prompt, when the bar asks for it.
        CControlBar* pBar = GetControlBar(static_cast<UINT>(pNMHDR->idFrom));
        if (pBar != nullptr && (pBar->GetBarStyle() & CBRS_FLYBY) != 0) {
            const NMTBHOTITEM* pHot = reinterpret_cast<const NMTBHOTITEM*>(lParam);
            if ((pHot->dwFlags & HICF_LEAVING) != 0 || pHot->idNew == 0)
                SetMessageText(AFX_IDS_IDLEMESSAGE);
            else
                SetMessageText(static_cast<UINT>(pHot->idNew));
        }
        *pResult = 0;
        return FALSE;
    }
    return CWnd::OnNotify(wParam, lParam, pResult);
}

void CFrameWnd::OnInitMenuPopup(HMENU hMenu, BOOL bSysMenu)
{
    if (bSysMenu)
        return;
    CCmdUI state;
    state.m_hMenu = hMenu;
    int nCount = ::GetMenuItemCount(hMenu);
    for (int i = 0; i < nCount; ++i) {
        const UINT nID = ::GetMenuItemID(hMenu, i);
        if (nID == 0 || nID == UINT(-1))
            continue;               // separator or popup
        state.m_nID = nID;
        state.m_nIndex = static_cast<UINT>(i);
        state.DoUpdate(this, TRUE);
        // An update may replace its item by several (the recent files).
        const int nNewCount = ::GetMenuItemCount(hMenu);
        i += nNewCount - nCount;
        nCount = nNewCount;
    }
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu)
{
    if (nFlags == 0xFFFF && hMenu == nullptr) {
        SetMessageText(AFX_IDS_IDLEMESSAGE);        // the menu closed
    } else if ((nFlags & (MF_POPUP | MF_SEPARATOR)) != 0 || nItemID == 0) {
        SetMessageText("");
    } else if (nItemID >= 0xF000) {
        SetMessageText(SystemCommandPrompt(nItemID));
    } else {
        SetMessageText(nItemID);
    }
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), HIWORD(lParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_SETFOCUS:
        if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
            ::SetFocus(m_pViewActive->m_hWnd);
        return 0;
    case WM_QUERYENDSESSION: {
        // The session ends only as closing the window would: after the save
        // prompt, and never while the document refuses (an export runs).
        CWinApp* pApp = AfxGetApp();
        return pApp == nullptr || pApp->m_pMainWnd != this || pApp->SaveAllModified();
    }
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    if (m_hWnd == nullptr)
        return;
    for (CControlBar* pBar : m_listControlBars)
        if (pBar->m_hWnd != nullptr && pBar->IsWindowVisible())
            pBar->OnUpdateCmdUI(this, TRUE);
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle)
{
    if (m_hWnd == nullptr)
        return;
    CString strCaption = m_strTitle;
    CDocument* pDocument = GetActiveDocument();
    if (bAddToTitle && pDocument != nullptr && !pDocument->GetTitle().IsEmpty())
        strCaption = pDocument->GetTitle() + " - " + m_strTitle;
    // Setting the same caption again would still repaint it.
    if (strCaption != m_strLastCaption) {
        m_strLastCaption = strCaption;
        SetWindowText(strCaption);
    }
}

void CFrameWnd::OnClose()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this && !pApp->SaveAllModified())
        return;                     // the user cancelled, or the save failed
    DestroyWindow();
}

void CFrameWnd::OnDestroy()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this)
        ::PostQuitMessage(0);
    Default();
}

void CFrameWnd::PostNcDestroy()
{
    delete this;    // frames are made with new by their template
}
