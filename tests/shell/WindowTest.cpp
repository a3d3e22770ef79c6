// The main window as a whole: closing it with unsaved changes, a project
// file named in capitals dropped on it, the view between the bars, and
// disabled commands that stay shut however they arrive.
#include "ShellHarness.h"

#include "AfxRes.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

void Drop(const std::vector<std::string>& paths)
{
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)));
    Pump();
}

// A rectangle of a child window in the frame's client coordinates.
RECT InFrame(HWND hWnd)
{
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    ::MapWindowPoints(nullptr, Frame()->m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Counts the dialogs the program tries to make and refuses them, so that a
// command that runs shows itself without waiting for a user.
int g_nDialogsRefused = 0;

LRESULT CALLBACK RefuseDialogs(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND) {
        char szClass[16] = "";
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), szClass, sizeof szClass);
        if (::lstrcmpA(szClass, "#32770") == 0) {
            ++g_nDialogsRefused;
            return 1;
        }
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

class CDialogRefuser
{
public:
    CDialogRefuser() : m_hHook(::SetWindowsHookExA(WH_CBT, RefuseDialogs, nullptr, ::GetCurrentThreadId())) {}
    ~CDialogRefuser()
    {
        if (m_hHook != nullptr)
            ::UnhookWindowsHookEx(m_hHook);
    }
    CDialogRefuser(const CDialogRefuser&) = delete;
    CDialogRefuser& operator=(const CDialogRefuser&) = delete;

    HHOOK m_hHook;
};

// Ctrl+O through the message loop, as the keyboard gives it to the tree.
void PressControlO()
{
    BYTE keys[256];
    ::GetKeyboardState(keys);
    const BYTE bControl = keys[VK_CONTROL];
    keys[VK_CONTROL] |= 0x80;
    ::SetKeyboardState(keys);
    HWND hTree = View()->GetTreeCtrl().m_hWnd;
    ::SetFocus(hTree);
    ::PostMessageA(hTree, WM_KEYDOWN, 'O', 0x00180001);
    ::PostMessageA(hTree, WM_KEYUP, 'O', 0xC0180001);
    Pump();
    keys[VK_CONTROL] = bControl;
    ::SetKeyboardState(keys);
}

} // namespace

TEST(Window, ClosingWithUnsavedChangesAsksAndCancelKeepsWindowAndProject)
{
    ResetProject();
    Drop({"C:\\a\\logo.bmp"});
    ASSERT_TRUE(Doc()->IsModified());
    const HWND hFrame = Frame()->m_hWnd;

    App().m_nAnswer = IDCANCEL;
    ::SendMessageA(hFrame, WM_CLOSE, 0, 0);
    App().m_nAnswer = IDNO;
    ASSERT_TRUE(::IsWindow(hFrame)) << "the main window closed";
    Pump();
    ASSERT_EQ(1u, App().m_messages.size());
    EXPECT_NE(std::string::npos, App().m_messages[0].find("Save changes"));
    EXPECT_TRUE(::IsWindowVisible(hFrame));
    EXPECT_EQ(1, Doc()->GetTopLevelCount());
    EXPECT_TRUE(Doc()->IsModified());
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the program was told to end";
}

TEST(Window, AProjectFileNamedInCapitalsIsOpenedOnDrop)
{
    const std::string project = testsupport::WorkPath("HOLIDAY.SEQ");
    ResetProject();
    Drop({"C:\\pics\\logo.bmp", "C:\\pics\\walk001.bmp", "C:\\pics\\walk002.bmp"});
    ASSERT_TRUE(Doc()->DoSave(project.c_str()));

    // With another file it is refused as a project file, not added as one.
    ResetProject();
    Drop({"C:\\a\\logo.bmp", project});
    EXPECT_EQ(std::vector<std::string>{"Only one .SEQ file at a time, please."}, App().m_messages);
    EXPECT_EQ(0, Doc()->GetTopLevelCount());

    ResetProject();
    Drop({project});
    EXPECT_TRUE(App().m_messages.empty());
    EXPECT_EQ(project, std::string(Doc()->GetPathName()));
    EXPECT_EQ(2, Doc()->GetTopLevelCount());
    EXPECT_FALSE(Doc()->IsModified());
    ::DeleteFileA(project.c_str());
}

TEST(Window, TheViewFillsTheSpaceBetweenTheToolBarAndTheStatusBar)
{
    ResetProject();
    CMainFrame* pFrame = Frame();
    const auto expectBetweenBars = [&](const char* pszWhen) {
        RECT rcClient;
        pFrame->GetClientRect(&rcClient);
        const RECT rcView = InFrame(View()->m_hWnd);
        const int yTop = pFrame->GetToolBar().IsWindowVisible()
                             ? InFrame(pFrame->GetToolBar().m_hWnd).bottom : rcClient.top;
        const int yBottom = pFrame->GetStatusBar().IsWindowVisible()
                                ? InFrame(pFrame->GetStatusBar().m_hWnd).top : rcClient.bottom;
        EXPECT_EQ(yTop, rcView.top) << pszWhen;
        EXPECT_EQ(yBottom, rcView.bottom) << pszWhen;
        EXPECT_EQ(rcClient.left, rcView.left) << pszWhen;
        EXPECT_EQ(rcClient.right, rcView.right) << pszWhen;
        EXPECT_LT(rcView.top, rcView.bottom) << pszWhen;
    };
    expectBetweenBars("at start");

    RECT rcOld;
    pFrame->GetWindowRect(&rcOld);
    ::SetWindowPos(pFrame->m_hWnd, nullptr, 0, 0, 500, 360, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    expectBetweenBars("smaller");

    for (UINT nID : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        pFrame->SendMessage(WM_COMMAND, nID);
        expectBetweenBars("with a bar hidden");
        pFrame->SendMessage(WM_COMMAND, nID);
    }
    ::SetWindowPos(pFrame->m_hWnd, nullptr, 0, 0, rcOld.right - rcOld.left, rcOld.bottom - rcOld.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    expectBetweenBars("restored");
}

TEST(Window, ADisabledCommandNeverRunsWhateverSendsIt)
{
    ResetProject();
    CDialogRefuser refuser;
    ASSERT_NE(nullptr, refuser.m_hHook);
    CToolBar& toolBar = Frame()->GetToolBar();
    // Open asks for a file first, so a refused dialog shows that it ran.
    struct Sender { const char* pszName; std::function<void()> send; };
    const Sender senders[] = {
        {"menu", [] { Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0); }},
        {"accelerator", [] { PressControlO(); }},
        {"tool bar", [&] {
            Frame()->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(toolBar.m_hWnd));
        }},
    };
    ASSERT_TRUE(MenuItemEnabled(ID_FILE_OPEN));
    for (const Sender& s : senders) {
        g_nDialogsRefused = 0;
        s.send();
        EXPECT_GT(g_nDialogsRefused, 0) << "enabled, by " << s.pszName;
    }
    App().m_messages.clear();

    // While an export runs Open is disabled. The menu is not opened first:
    // its item still looks enabled to the accelerator, as when a user
    // presses the keys without looking.
    {
        CTestDoc::cExportRunning running(Doc());
        for (const Sender& s : senders) {
            g_nDialogsRefused = 0;
            s.send();
            EXPECT_EQ(0, g_nDialogsRefused) << "disabled, by " << s.pszName;
        }
        EXPECT_FALSE(MenuItemEnabled(ID_FILE_OPEN));
        EXPECT_FALSE(toolBar.IsButtonEnabled(ID_FILE_OPEN));
    }
    Pump();
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_OPEN));
}
