// CWnd: a window and its message map. Windows of the framework's own class
// reach their CWnd from their first message on; windows of other classes
// (controls) are attached to a wrapper and answer through their parent.
#pragma once

#include "AfxString.h"
#include "CmdTarget.h"

#include <shellapi.h>

class CDataExchange;
class CDocument;
class CFrameWnd;

// The context a frame passes down while it creates its view.
struct CCreateContext
{
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
};

// A device context to paint on, as a view's OnDraw receives it.
class CDC
{
public:
    explicit CDC(HDC hDC = nullptr) : m_hDC(hDC) {}
    HDC GetSafeHdc() const { return m_hDC; }
    HDC m_hDC;
};

class CWnd : public CCmdTarget
{
    DECLARE_DYNCREATE(CWnd)
public:
// Construction
    CWnd();
    ~CWnd() override;           // destroys a window still attached

    // A window of the framework's class (or of lpszClassName) whose messages
    // reach this object from WM_NCCREATE on.
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                  LPVOID lpParam = nullptr);
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
    // Wraps an existing window (a control); its messages are not routed here.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    virtual BOOL DestroyWindow();

    // The framework's window class: arrow cursor, no background brush.
    static LPCSTR GetDefaultClassName();

// Attributes
    HWND m_hWnd;
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }
    static CWnd* FromHandlePermanent(HWND hWnd);     // the CWnd attached to hWnd, or null
    CWnd* GetParent() const;
    CFrameWnd* GetParentFrame() const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    CString GetWindowText() const;
    void SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }

// Operations
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::SendMessageA(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
        { return ::PostMessageA(m_hWnd, message, wParam, lParam); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
        { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    void DragAcceptFiles(BOOL bAccept = TRUE) { ::DragAcceptFiles(m_hWnd, bAccept); }
    // Centres over pAlternateOwner, else over the owner or parent, else the screen.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    // Moves data between the members and the controls (FALSE: to the
    // controls). FALSE when a value was refused; the user has been told.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

// Overridables
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void DoDataExchange(CDataExchange* pDX);
    // Called after the last message, WM_NCDESTROY, once the window is detached.
    virtual void PostNcDestroy();

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

// Message handlers with default behaviour
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnDestroy();

// Implementation
    // The default processing of the message being handled.
    LRESULT Default();
    // Runs the message map, then DefWindowProc; every window of the framework's class gets here.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Finds and calls the message-map entry for a window message; FALSE if none.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Every message arrives here; exceptions never leave a window procedure.
    static LRESULT CallWindowProcSafely(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);
    void AttachHandle(HWND hWnd);

    WNDPROC m_pfnSuper;         // the class's own procedure for windows created elsewhere

    struct CurrentMessage
    {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_lastMsg;

    DECLARE_MESSAGE_MAP()
};

// The application's resources live in the program itself.
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();
