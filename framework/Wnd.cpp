// CWnd: the handle map, the window procedure and message dispatch.
#include "Wnd.h"
#include "CmdUI.h"
#include "DataExchange.h"
#include "FrameWnd.h"
#include "MessageBox.h"

#include <map>

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {

// One user-interface thread: a plain map from handle to wrapper.
std::map<HWND, CWnd*>& HandleMap()
{
    static std::map<HWND, CWnd*> map;
    return map;
}

// The object whose window CreateEx is making, claimed by its first message.
CWnd* g_pWndInit = nullptr;

const char szDefaultClass[] = "FramewiseWnd";

} // namespace

HINSTANCE AfxGetInstanceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

CWnd::CWnd() : m_hWnd(nullptr), m_pfnSuper(nullptr), m_lastMsg{0, 0, 0}
{
}

CWnd::~CWnd()
{
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this) {
        // A window must not outlive its object: its messages would find nobody.
        HWND hWnd = m_hWnd;
        Detach();
        ::DestroyWindow(hWnd);
    }
}

LPCSTR CWnd::GetDefaultClassName()
{
    static bool bRegistered = false;
    if (!bRegistered) {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AfxWndProc;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = szDefaultClass;
        bRegistered = ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    return szDefaultClass;
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    const auto it = HandleMap().find(hWnd);
    return it != HandleMap().end() ? it->second : nullptr;
}

void CWnd::AttachHandle(HWND hWnd)
{
    m_hWnd = hWnd;
    HandleMap()[hWnd] = this;
}

BOOL CWnd::Attach(HWND hWnd)
{
    ASSERT(m_hWnd == nullptr);
    if (hWnd == nullptr || m_hWnd != nullptr)
        return FALSE;
    AttachHandle(hWnd);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd != nullptr) {
        const auto it = HandleMap().find(hWnd);
        if (it != HandleMap().end() && it->second == this)
            HandleMap().erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                    int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                    LPVOID lpParam)
{
    ASSERT(m_hWnd == nullptr);
    if (lpszClassName == nullptr)
        lpszClassName = GetDefaultClassName();
    CWnd* pOldInit = g_pWndInit;
    g_pWndInit = this;
    HWND hWnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight,
                                  hWndParent, nIDorHMenu, AfxGetInstanceHandle(), lpParam);
    g_pWndInit = pOldInit;
    // When WM_CREATE refused, the window was destroyed again, and an object
    // that deletes itself with its window (a frame, a view) is gone: it is
    // not touched here.
    if (hWnd == nullptr)
        return FALSE;
    if (m_hWnd == nullptr)
        AttachHandle(hWnd);     // a class of another procedure: wrapped only
    return TRUE;
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), pContext);
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    if (FromHandlePermanent(m_hWnd) != this) {
        HWND hWnd = Detach();
        return ::DestroyWindow(hWnd);
    }
    // WM_NCDESTROY detaches the object.
    return ::DestroyWindow(m_hWnd);
}

CWnd* CWnd::GetParent() const
{
    return FromHandlePermanent(::GetParent(m_hWnd));
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (HWND hWnd = ::GetParent(m_hWnd); hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            return static_cast<CFrameWnd*>(pWnd);
    }
    return nullptr;
}

CString CWnd::GetWindowText() const
{
    CString strText;
    const int nLength = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, strText.GetBuffer(nLength), nLength + 1);
    strText.ReleaseBuffer();
    return strText;
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    HWND hCenter = pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (hCenter == nullptr)
        hCenter = ::GetParent(m_hWnd);
    RECT rcCenter;
    if (hCenter != nullptr && ::IsWindowVisible(hCenter) && !::IsIconic(hCenter))
        ::GetWindowRect(hCenter, &rcCenter);
    else
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcCenter, 0);
    RECT rcWindow;
    ::GetWindowRect(m_hWnd, &rcWindow);
    const int nWidth = rcWindow.right - rcWindow.left;
    const int nHeight = rcWindow.bottom - rcWindow.top;
    const int x = (rcCenter.left + rcCenter.right - nWidth) / 2;
    const int y = (rcCenter.top + rcCenter.bottom - nHeight) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException* e) {
        // The exchange has told the user and put the focus back; the dialog stays.
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

void CWnd::DoDataExchange(CDataExchange*)
{
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CWnd::PostNcDestroy()
{
}

BOOL CWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    return CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// Commands from menus, accelerators and buttons, and control notifications,
// offered through OnCmdMsg. A command whose update handler says it is
// disabled does not run, however it arrived.
BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    if (lParam == 0 && nCode == 1)
        nCode = CN_COMMAND;             // an accelerator is the command itself
    if (nCode == CN_COMMAND) {          // also BN_CLICKED, which is 0 too
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled)
            return TRUE;
    }
    return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

int CWnd::OnCreate(LPCREATESTRUCT)
{
    return static_cast<int>(Default());
}

void CWnd::OnSize(UINT, int, int)
{
    Default();
}

void CWnd::OnClose()
{
    Default();
}

void CWnd::OnDestroy()
{
    Default();
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_lastMsg.message, m_lastMsg.wParam, m_lastMsg.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    *pResult = 0;
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam))
            return TRUE;
        return FALSE;
    }
    if (message == WM_NOTIFY)
        return OnNotify(wParam, lParam, pResult);

    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(GetMessageMap(), message, 0, 0);
    if (pEntry == nullptr)
        return FALSE;
    switch (pEntry->nSig) {
    case AfxSig_vv:
        (this->*pEntry->pfn)();
        break;
    case AfxSig_is:
        *pResult = (this->*AfxHandlerCast<int (CCmdTarget::*)(LPCREATESTRUCT)>(pEntry->pfn))(
            reinterpret_cast<LPCREATESTRUCT>(lParam));
        break;
    case AfxSig_vwii:
        (this->*AfxHandlerCast<void (CCmdTarget::*)(UINT, int, int)>(pEntry->pfn))(
            static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        break;
    case AfxSig_vh:
        (this->*AfxHandlerCast<void (CCmdTarget::*)(HDROP)>(pEntry->pfn))(reinterpret_cast<HDROP>(wParam));
        break;
    case AfxSig_lwl:
        *pResult = (this->*AfxHandlerCast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(pEntry->pfn))(wParam, lParam);
        break;
    default:
        ASSERT(FALSE);
        return FALSE;
    }
    return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult = 0;
    if (!OnWndMsg(message, wParam, lParam, &lResult))
        lResult = DefWindowProc(message, wParam, lParam);
    return lResult;
}

LRESULT CWnd::CallWindowProcSafely(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hWnd = pWnd->m_hWnd;
    const CurrentMessage saved = pWnd->m_lastMsg;
    pWnd->m_lastMsg = CurrentMessage{message, wParam, lParam};
    LRESULT lResult = 0;
    try {
        lResult = pWnd->WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        // A failure inside a handler ends that handler, not the program.
        char szMessage[256];
        if (!e->GetErrorMessage(szMessage, sizeof szMessage))
            lstrcpynA(szMessage, "The operation could not be completed.", sizeof szMessage);
        e->Delete();
        AfxMessageBox(szMessage, MB_OK | MB_ICONEXCLAMATION);
        lResult = (message == WM_CREATE) ? -1 : 0;
    }
    // A handler may have destroyed its own window (Close does), and the
    // object may be gone with it: only a window still attached is touched.
    if (FromHandlePermanent(hWnd) == pWnd)
        pWnd->m_lastMsg = saved;
    return lResult;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr && g_pWndInit != nullptr && g_pWndInit->m_hWnd == nullptr) {
        pWnd = g_pWndInit;
        pWnd->AttachHandle(hWnd);
    }
    if (pWnd == nullptr)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);

    LRESULT lResult = CallWindowProcSafely(pWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        pWnd->Detach();
        pWnd->PostNcDestroy();      // may delete the object
    }
    return lResult;
}
