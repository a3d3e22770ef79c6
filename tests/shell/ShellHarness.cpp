// The in-process program for the shell tests.
#include "ShellHarness.h"

#include "AfxRes.h"
#include "CmdUI.h"

#include "BmpBuilder.h"

#include <shlobj.h>

#include <set>

#include <gtest/gtest.h>

CShellTestApp theApp;

namespace {

// Starts the program once for the whole test program.
class ShellEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        theApp.m_strProfileName = testsupport::WorkPath("reelwright.ini").c_str();
        ::DeleteFileA(theApp.m_strProfileName);
        char szNoArguments[] = "";
        ASSERT_TRUE(AfxWinInit(::GetModuleHandleA(nullptr), szNoArguments));
        ASSERT_TRUE(theApp.InitInstance());
        // Without a screen no window can be made, and every test would only crash.
        ASSERT_NE(nullptr, theApp.m_pMainWnd) << "the main window could not be created: no usable display?";
        Pump();
    }
    void TearDown() override
    {
        if (theApp.m_pMainWnd != nullptr) {
            Doc()->SetModifiedFlag(FALSE);
            theApp.m_pMainWnd->SendMessage(WM_CLOSE);
        }
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

} // namespace

CShellTestApp& App() { return theApp; }
CMainFrame* Frame() { return static_cast<CMainFrame*>(theApp.m_pMainWnd); }
CTestDoc* Doc() { return static_cast<CTestDoc*>(Frame()->GetActiveDocument()); }
CTestView* View() { return static_cast<CTestView*>(Frame()->GetActiveView()); }

void Pump()
{
    theApp.PumpWaitingMessages();
}

void ResetProject()
{
    Doc()->SetModifiedFlag(FALSE);
    theApp.OnFileNew();
    theApp.m_messages.clear();
    Pump();
}

HDROP MakeDrop(const std::vector<std::string>& paths)
{
    size_t cbNames = 1;
    for (const std::string& path : paths)
        cbNames += path.size() + 1;
    HGLOBAL hDrop = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + cbNames);
    DROPFILES* pDrop = static_cast<DROPFILES*>(::GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = FALSE;
    char* pNames = reinterpret_cast<char*>(pDrop + 1);
    for (const std::string& path : paths) {
        memcpy(pNames, path.c_str(), path.size() + 1);
        pNames += path.size() + 1;
    }
    ::GlobalUnlock(hDrop);
    return static_cast<HDROP>(hDrop);
}

HDROP MakeDropW(const std::vector<std::wstring>& paths)
{
    size_t cchNames = 1;
    for (const std::wstring& path : paths)
        cchNames += path.size() + 1;
    HGLOBAL hDrop = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + cchNames * sizeof(WCHAR));
    DROPFILES* pDrop = static_cast<DROPFILES*>(::GlobalLock(hDrop));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    WCHAR* pNames = reinterpret_cast<WCHAR*>(pDrop + 1);
    for (const std::wstring& path : paths) {
        memcpy(pNames, path.c_str(), (path.size() + 1) * sizeof(WCHAR));
        pNames += path.size() + 1;
    }
    ::GlobalUnlock(hDrop);
    return static_cast<HDROP>(hDrop);
}

namespace {

void AppendItems(CTreeCtrl& tree, HTREEITEM hItem, int nDepth, std::string& text)
{
    for (; hItem != nullptr; hItem = tree.GetNextSiblingItem(hItem)) {
        int nImage = -1, nSelected = -1;
        tree.GetItemImage(hItem, nImage, nSelected);
        text += std::string(2 * nDepth, ' ') + static_cast<LPCSTR>(tree.GetItemText(hItem)) + " ["
                + std::to_string(nImage) + "]\n";
        AppendItems(tree, tree.GetChildItem(hItem), nDepth + 1, text);
    }
}

// Finds the popup holding nID and lets the frame update it as when it opens.
bool FindAndUpdate(HMENU hMenu, UINT nID, UINT& nState)
{
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
        HMENU hSub = ::GetSubMenu(hMenu, i);
        if (hSub == nullptr)
            continue;
        Frame()->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hSub), MAKELPARAM(i, FALSE));
        const UINT nFound = ::GetMenuState(hSub, nID, MF_BYCOMMAND);
        if (nFound != UINT(-1)) {
            nState = nFound;
            return true;
        }
    }
    return false;
}

} // namespace

std::string TreeText(CTreeCtrl& tree)
{
    std::string text;
    AppendItems(tree, tree.GetRootItem(), 0, text);
    return text;
}

// The window as it is on screen, written as a 24-bit .bmp; the number of
// distinct colours in it, so that a blank capture is noticed.
size_t SaveWindowPicture(HWND hWnd, const std::string& name)
{
    ::UpdateWindow(hWnd);
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    HDC hdcScreen = ::GetDC(nullptr);
    HDC hdcMem = ::CreateCompatibleDC(hdcScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hdcScreen, cx, cy);
    HGDIOBJ hOld = ::SelectObject(hdcMem, hBitmap);
    ::BitBlt(hdcMem, 0, 0, cx, cy, hdcScreen, rc.left, rc.top, SRCCOPY);
    ::SelectObject(hdcMem, hOld);
    BITMAPINFOHEADER bih = {sizeof bih, cx, cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = bmp::Stride(cx, 24);
    std::vector<BYTE> rows(static_cast<size_t>(stride) * cy);
    ::GetDIBits(hdcMem, hBitmap, 0, cy, rows.data(), reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hdcMem);
    ::ReleaseDC(nullptr, hdcScreen);

    BITMAPFILEHEADER bfh = {0x4D42, static_cast<DWORD>(14 + 40 + rows.size()), 0, 0, 14 + 40};
    std::vector<BYTE> file(reinterpret_cast<BYTE*>(&bfh), reinterpret_cast<BYTE*>(&bfh) + 14);
    file.insert(file.end(), reinterpret_cast<BYTE*>(&bih), reinterpret_cast<BYTE*>(&bih) + 40);
    file.insert(file.end(), rows.begin(), rows.end());
    testsupport::WriteFileBytes(testsupport::WorkPath(name), file.data(), file.size());
    std::set<DWORD> colours;
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x) {
            const BYTE* p = &rows[static_cast<size_t>(y) * stride + 3 * x];
            colours.insert(p[0] | (p[1] << 8) | (p[2] << 16));
        }
    return colours.size();
}

bool MenuItemEnabled(UINT nID)
{
    UINT nState = 0;
    if (!FindAndUpdate(::GetMenu(Frame()->m_hWnd), nID, nState))
        return false;
    return (nState & (MF_GRAYED | MF_DISABLED)) == 0;
}
