// The resources of reelwright.exe, linked into this test program and read
// back from its own module the way the framework reads them: the menu, the
// accelerators, the strings, the dialogs built from their templates, the
// bitmaps and the icon. Numbers are written out, so that a wrong identifier
// in resource.h or AfxRes.h shows as well as a wrong resource.
#include "AfxRes.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

typedef std::vector<std::string> Lines;

HINSTANCE Module() { return ::GetModuleHandleA(nullptr); }

std::string LoadText(UINT nID)
{
    char sz[512];
    return std::string(sz, ::LoadStringA(Module(), nID, sz, sizeof(sz)));
}

std::string WindowText(HWND hWnd)
{
    char sz[256];
    return std::string(sz, ::GetWindowTextA(hWnd, sz, sizeof(sz)));
}

// One line per popup, one indented line per item: id, text, and [grey].
void DescribeMenu(HMENU hMenu, const std::string& indent, Lines& lines)
{
    for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i) {
        char sz[128] = "";
        ::GetMenuStringA(hMenu, i, sz, sizeof(sz), MF_BYPOSITION);
        const UINT nState = ::GetMenuState(hMenu, i, MF_BYPOSITION);
        if (HMENU hPopup = ::GetSubMenu(hMenu, i)) {
            lines.push_back(indent + sz);
            DescribeMenu(hPopup, indent + "  ", lines);
        } else if (nState & MF_SEPARATOR) {
            lines.push_back(indent + "---");
        } else {
            lines.push_back(indent + std::to_string(::GetMenuItemID(hMenu, i)) + " " + sz +
                            ((nState & MF_GRAYED) ? " [grey]" : ""));
        }
    }
}

const Lines kMenu = {
    "&File",
    "  57600 &New\tCtrl+N", "  57601 &Open...\tCtrl+O", "  32772 &Import\tCtrl+I",
    "  57603 &Save\tCtrl+S", "  57604 Save &As...", "  ---", "  57616 Recent File [grey]", "  ---",
    "  57665 E&xit",
    "&Action",
    "  32771 &Create animation...", "  32773 &Batch Convert...",
    "&Edit",
    "  57643 &Undo\tCtrl+Z", "  ---", "  57635 Cu&t\tCtrl+X", "  57634 &Copy\tCtrl+C",
    "  57637 &Paste\tCtrl+V", "  32774 &Delete\tDel", "  ---",
    "  32800 &Move Up\tAlt+Up", "  32801 Move D&own\tAlt+Down", "  32802 &Sort by Number",
    "&View",
    "  59392 &Toolbar", "  59393 &Status Bar", "  ---", "  32803 &Play\tSpace",
    "&Help",
    "  57664 &About Flickwright...",
};

typedef std::tuple<int, int, int> Binding;   // flags, key, command

const Binding kAccelerators[] = {
    {FCONTROL, 'C', 57634},      {FCONTROL, 'I', 32772},      {FCONTROL, 'N', 57600},
    {FCONTROL, 'O', 57601},      {FCONTROL, 'S', 57603},      {FCONTROL, 'V', 57637},
    {FALT, VK_BACK, 57643},      {0, VK_DELETE, 32774},       {FSHIFT, VK_DELETE, 57635},
    {0, VK_F6, 57680},           {FSHIFT, VK_F6, 57681},      {FCONTROL, VK_INSERT, 57634},
    {FSHIFT, VK_INSERT, 57637},  {FCONTROL, 'X', 57635},      {FCONTROL, 'Z', 57643},
    {FALT, VK_UP, 32800},        {FALT, VK_DOWN, 32801},      {0, VK_SPACE, 32803},
};

const std::pair<UINT, const char*> kStrings[] = {
    {128, "Flickwright\nSequences\nSequencet\nSequences\n.seq\nImageSequence.Doc\nImage Sequence List"},
    {57344, "Framewise"},
    {57345, "Ready"},
    {57600, "Create a new document\nNew"},
    {57601, "Open an existing document\nOpen"},
    {32772, "Add an image or movie file to the project"},
    {57603, "Save the active document\nSave"},
    {57604, "Save the active document with a new name\nSave As"},
    {57616, "Open this document"}, {57617, "Open this document"},
    {57618, "Open this document"}, {57619, "Open this document"},
    {57665, "Quit the application; prompts to save documents\nExit"},
    {32771, "Create a single animation file from all project files.\nCreate"},
    {32773, "Convert all project files to individual files of another format.\nConvert"},
    {57643, "Undo the last action\nUndo"},
    {57635, "Cut the selection and put it on the Clipboard\nCut"},
    {57634, "Copy the selection and put it on the Clipboard\nCopy"},
    {57637, "Insert Clipboard contents\nPaste"},
    {32774, "Removes selection from project."},
    {32800, "Move the selection up within its sequence\nMove Up"},
    {32801, "Move the selection down within its sequence\nMove Down"},
    {32802, "Put the selected sequence's images in the order of the numbers in their names\nSort by Number"},
    {32803, "Play the animation in the preview pane as the GIF will show it, or stop\nPlay"},
    {59392, "Show or hide the toolbar\nToggle ToolBar"},
    {59393, "Show or hide the status bar\nToggle StatusBar"},
    {57664, "Display program information, version number and copyright\nAbout"},
    {57680, "Switch to the next window pane\nNext Pane"},
    {57681, "Switch back to the previous window pane\nPrevious Pane"},
    {59136, "EXT"}, {59137, "CAP"}, {59138, "NUM"}, {59139, "SCRL"}, {59140, "OVR"}, {59141, "REC"},
    {61184, "Change the window size"},
    {61185, "Change the window position"},
    {61186, "Reduce the window to an icon"},
    {61187, "Enlarge the window to full size"},
    {61188, "Switch to the next document window"},
    {61189, "Switch to the previous document window"},
    {61190, "Close the active window and prompts to save the documents"},
    {61202, "Restore the window to normal size"},
    {61203, "Activate Task List"},
};

// Strings whose wording is ours: prompts of commands no menu offers, and the
// framework's messages. Each must exist.
const UINT kWordedStrings[] = {
    57602, 57632, 57633, 57636, 57640, 57641, 57642, 57644, 57653,
    AFX_IDP_FAILED_TO_OPEN_DOC, AFX_IDP_FAILED_TO_SAVE_DOC, AFX_IDP_ASK_TO_SAVE,
    AFX_IDP_FAILED_TO_CREATE_DOC, AFX_IDP_FAILED_MEMORY_ALLOC, AFX_IDP_PARSE_INT,
    AFX_IDP_PARSE_INT_RANGE, AFX_IDP_FAILED_INVALID_FORMAT, AFX_IDP_FAILED_INVALID_PATH,
    AFX_IDP_FAILED_DISK_FULL, AFX_IDP_FAILED_ACCESS_READ, AFX_IDP_FAILED_ACCESS_WRITE,
    AFX_IDP_FAILED_IO_ERROR_READ, AFX_IDP_FAILED_IO_ERROR_WRITE,
};

// A control as built from its template: its line as DescribeControl writes
// it, and its rectangle in dialog units (no size: it sizes itself).
struct ControlShape
{
    const char* pszLine;
    int x, y, cx, cy;
};

// A dialog as built from its template: caption, frame styles, client size in
// dialog units, then its controls in template (z-) order.
struct DialogShape
{
    int nID;
    const char* pszCaption;
    DWORD dwStyle;      // of WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE
    int cx, cy;
    std::vector<ControlShape> controls;
};

const DWORD kModal = WS_POPUP | WS_CAPTION | WS_SYSMENU;
const DWORD kShownStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;

// The style bits compared: visibility, grouping and the control's own low
// byte (button kind, static kind and SS_NOPREFIX, ES_AUTOHSCROLL). Borders
// are not window styles any more once created: the dialog manager turns an
// edit's WS_BORDER into a sunken edge, and the progress bar draws its own.
const DWORD kControlStyles = WS_VISIBLE | WS_GROUP | WS_TABSTOP | 0xFF;

const DialogShape kDialogs[] = {
    {100, "About Tindra", kModal, 217, 55, {
        {"-1 Static '<icon>' 0x10000003", 11, 17, 0, 0},     // sizes itself
        {"-1 Static 'Tindra v1.0\n\"Still frames, set in motion.\"' 0x10020000", 40, 10, 119, 19},
        {"-1 Static 'Copyright \xA9 1996 Reelwright' 0x10020000", 41, 31, 119, 8},
        {"1 Button 'OK' 0x10030001", 176, 6, 32, 14},
    }},
    {131, "", WS_POPUP | WS_BORDER | WS_VISIBLE, 185, 70, {
        {"1000 msctls_progress32 '' 0x10000000", 11, 28, 162, 11},
        {"1001 Static 'Status' 0x1002008C", 9, 11, 165, 13},
        {"2 Button 'Cancel' 0x10030000", 67, 48, 50, 14},
    }},
    {132, "Convert to GIF", kModal, 249, 228, {
        {"-1 Static '&Output filename:' 0x10020000", 8, 9, 112, 10},
        {"1002 Edit '' 0x10010080 sunken", 8, 23, 124, 14},
        {"1003 Button '&Browse...' 0x10010000", 141, 22, 39, 15},
        {"-1 Static '&Frame Rate:' 0x10020000", 9, 49, 43, 10},
        {"1004 Edit '' 0x10010080 sunken", 56, 48, 35, 12},
        {"-1 Static 'frames per second' 0x10020000", 95, 49, 73, 11},
        {"-1 Static '&Loop Count:' 0x10020000", 9, 67, 45, 12},
        {"1005 Edit '' 0x10010080 sunken", 56, 65, 35, 12},
        {"-1 Static '(0 means infinite)' 0x10020000", 96, 67, 100, 13},
        {"-1 Button 'Transparency' 0x10000007", 8, 87, 179, 57},
        {"1007 Button '&None' 0x10020009", 17, 100, 93, 10},
        {"1008 Button 'Use upper left pixel from &first image' 0x10000009", 17, 113, 163, 10},
        {"1009 Button 'Use upper left pixel from &each image' 0x10000009", 17, 127, 165, 10},
        {"-1 Button 'Smaller file (empty: as the frames are)' 0x10020007", 8, 148, 235, 74},
        {"-1 Static '&Width:' 0x10020000", 17, 162, 30, 10},
        {"1150 Edit '' 0x10030080 sunken", 56, 160, 35, 12},
        {"-1 Static '&Height:' 0x10020000", 103, 162, 30, 10},
        {"1151 Edit '' 0x10010080 sunken", 137, 160, 35, 12},
        {"-1 Static 'pixels' 0x10020000", 177, 162, 40, 10},
        {"-1 Static '&Colours:' 0x10020000", 17, 180, 36, 10},
        {"1152 Edit '' 0x10010080 sunken", 56, 178, 35, 12},
        {"-1 Static 'Loss&y:' 0x10020000", 103, 180, 30, 10},
        {"1153 Edit '' 0x10010080 sunken", 137, 178, 35, 12},
        {"-1 Static '0 to 200' 0x10020000", 177, 180, 50, 10},
        {"-1 Static 'Lar&gest file:' 0x10020000", 17, 198, 42, 10},
        {"1154 Edit '' 0x10010080 sunken", 62, 196, 45, 12},
        {"-1 Static 'bytes, or 500K, 2M: the least loss that fits' 0x10020000", 112, 198, 128, 18},
        {"1 Button 'OK' 0x10030001", 193, 7, 50, 14},
        {"2 Button 'Cancel' 0x10010000", 193, 23, 50, 14},
    }},
    {133, "Convert all files", kModal, 259, 134, {
        {"1 Button 'OK' 0x10010001", 200, 4, 50, 14},
        {"2 Button 'Cancel' 0x10010000", 200, 20, 50, 14},
        {"1008 Button '&Expand animations into separate files.' 0x10010003", 10, 7, 144, 13},
        {"-1 Button 'Transparency' 0x10000007", 10, 24, 179, 57},
        {"1012 Button '&None' 0x10020009", 19, 38, 93, 10},
        {"1010 Button 'Use upper left pixel from &first image' 0x10000009", 19, 51, 163, 10},
        {"1011 Button 'Use upper left pixel from &each image' 0x10000009", 19, 64, 165, 10},
        {"-1 Button 'Smaller files (empty: as the frames are)' 0x10020007", 10, 86, 240, 42},
        {"-1 Static '&Width:' 0x10020000", 19, 100, 30, 10},
        {"1155 Edit '' 0x10030080 sunken", 52, 98, 32, 12},
        {"-1 Static '&Height:' 0x10020000", 92, 100, 30, 10},
        {"1156 Edit '' 0x10010080 sunken", 122, 98, 32, 12},
        {"-1 Static '&Colours:' 0x10020000", 19, 114, 32, 10},
        {"1157 Edit '' 0x10010080 sunken", 52, 112, 32, 12},
        {"-1 Static 'Loss&y:' 0x10020000", 92, 114, 30, 10},
        {"1158 Edit '' 0x10010080 sunken", 122, 112, 32, 12},
        {"-1 Static '0 to 200' 0x10020000", 160, 114, 50, 10},
    }},
};

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// A dialog created without an owner and destroyed at scope end.
class ScopedDialog
{
public:
    explicit ScopedDialog(int nID)
        : m_hWnd(::CreateDialogParamA(Module(), MAKEINTRESOURCEA(nID), nullptr, QuietDialogProc, 0)) {}
    ~ScopedDialog() { if (m_hWnd) ::DestroyWindow(m_hWnd); }
    ScopedDialog(const ScopedDialog&) = delete;
    ScopedDialog& operator=(const ScopedDialog&) = delete;
    HWND m_hWnd;
};

// Whether a window's rectangle, in the dialog's client pixels, is the one
// the template gives in dialog units; cx 0 compares the position only. The
// dialog manager converts position and size each on its own, as here.
bool HasDialogRect(HWND hDlg, HWND hWnd, int x, int y, int cx, int cy)
{
    RECT rc, rcWanted = {x, y, cx, cy};
    ::MapDialogRect(hDlg, &rcWanted);
    if (hWnd == hDlg) {
        ::GetClientRect(hDlg, &rc);
    } else {
        ::GetWindowRect(hWnd, &rc);
        ::MapWindowPoints(HWND_DESKTOP, hDlg, reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc.left == rcWanted.left && rc.top == rcWanted.top &&
           (cx == 0 || (rc.right - rc.left == rcWanted.right && rc.bottom - rc.top == rcWanted.bottom));
}

// Id, window class, text and the compared style bits of a control, and
// "sunken" for a sunken edge.
std::string DescribeControl(HWND hCtrl)
{
    char szClass[64];
    ::GetClassNameA(hCtrl, szClass, sizeof(szClass));
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongA(hCtrl, GWL_STYLE));
    char szStyle[16];
    wsprintfA(szStyle, "0x%08lX", static_cast<unsigned long>(dwStyle & kControlStyles));
    // An icon static's text is the icon's resource reference: show whether
    // it found the icon instead.
    const bool bIcon = (dwStyle & SS_TYPEMASK) == SS_ICON && ::lstrcmpiA(szClass, "Static") == 0;
    const std::string strText = bIcon ? (::SendMessageA(hCtrl, STM_GETICON, 0, 0) ? "<icon>" : "<no icon>") : WindowText(hCtrl);
    return std::to_string(static_cast<short>(::GetDlgCtrlID(hCtrl))) + " " + szClass + " '" + strText + "' " + szStyle +
           ((::GetWindowLongA(hCtrl, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? " sunken" : "");
}

// The ids of a radio group as the framework reads it: from the first button
// up to the next control that starts a group, radio buttons only.
std::vector<int> RadioGroup(HWND hDlg, int nFirstID)
{
    std::vector<int> ids;
    HWND hCtrl = ::GetDlgItem(hDlg, nFirstID);
    do {
        if (::SendMessageA(hCtrl, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)
            ids.push_back(::GetDlgCtrlID(hCtrl));
        hCtrl = ::GetWindow(hCtrl, GW_HWNDNEXT);
    } while (hCtrl != nullptr && !(::GetWindowLongA(hCtrl, GWL_STYLE) & WS_GROUP));
    return ids;
}

// The bitmap resource as stored: header, colour table, pixels.
const BITMAPINFOHEADER* FindBitmap(int nID)
{
    HRSRC hRes = ::FindResourceA(Module(), MAKEINTRESOURCEA(nID), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    return hRes ? static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(Module(), hRes))) : nullptr;
}

// The colour index of a pixel of a 4-bit bottom-up bitmap.
int PixelIndex(const BITMAPINFOHEADER* pHeader, int x, int y)
{
    const BYTE* pBits = reinterpret_cast<const BYTE*>(pHeader + 1) + 16 * sizeof(RGBQUAD);
    const int nStride = ((pHeader->biWidth * 4 + 31) / 32) * 4;
    const BYTE b = pBits[(pHeader->biHeight - 1 - y) * nStride + x / 2];
    return (x % 2) ? (b & 0x0F) : (b >> 4);
}

const COLORREF kStandardPalette[16] = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255),
};

} // namespace

TEST(Resources, MenuHasEveryPopupAndItemInOrder)
{
    HMENU hMenu = ::LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, hMenu);
    Lines lines;
    DescribeMenu(hMenu, "", lines);
    ::DestroyMenu(hMenu);
    EXPECT_EQ(kMenu, lines);
}

TEST(Resources, AcceleratorsAreTheEighteenBindings)
{
    HACCEL hAccel = ::LoadAcceleratorsA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(nullptr, hAccel);
    std::vector<ACCEL> table(::CopyAcceleratorTableA(hAccel, nullptr, 0));
    ::CopyAcceleratorTableA(hAccel, table.data(), static_cast<int>(table.size()));

    std::vector<Binding> actual, expected;
    for (const ACCEL& a : table) {
        // Every binding is a virtual key that leaves the menu bar alone
        // (0x80 marks the stored table's last entry).
        EXPECT_EQ(FVIRTKEY | FNOINVERT, a.fVirt & (FVIRTKEY | FNOINVERT)) << "command " << a.cmd;
        actual.emplace_back(a.fVirt & (FCONTROL | FALT | FSHIFT), a.key, a.cmd);
    }
    for (const Binding& b : kAccelerators)
        expected.push_back(b);
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, actual);
}

TEST(Resources, StringsHaveTheirTexts)
{
    for (const auto& s : kStrings)
        EXPECT_EQ(s.second, LoadText(s.first)) << "string " << s.first;
    for (UINT nID : kWordedStrings)
        EXPECT_FALSE(LoadText(nID).empty()) << "string " << nID;
    EXPECT_EQ("Please enter an integer between %1 and %2.", LoadText(AFX_IDP_PARSE_INT_RANGE));
}

TEST(Resources, DialogsHaveTheirControlsInTemplateOrder)
{
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS};
    ASSERT_TRUE(::InitCommonControlsEx(&icc));
    for (const DialogShape& d : kDialogs) {
        SCOPED_TRACE("dialog " + std::to_string(d.nID));
        ScopedDialog dlg(d.nID);
        ASSERT_NE(nullptr, dlg.m_hWnd);
        EXPECT_EQ(d.pszCaption, WindowText(dlg.m_hWnd));
        EXPECT_EQ(d.dwStyle, ::GetWindowLongA(dlg.m_hWnd, GWL_STYLE) & kShownStyles);
        EXPECT_TRUE(HasDialogRect(dlg.m_hWnd, dlg.m_hWnd, 0, 0, d.cx, d.cy));

        LOGFONTA lf = {};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(dlg.m_hWnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
        EXPECT_STREQ("MS Sans Serif", lf.lfFaceName);

        Lines expected, actual;
        HWND hCtrl = ::GetWindow(dlg.m_hWnd, GW_CHILD);
        for (size_t i = 0; hCtrl != nullptr; ++i, hCtrl = ::GetWindow(hCtrl, GW_HWNDNEXT)) {
            actual.push_back(DescribeControl(hCtrl));
            if (i < d.controls.size()) {
                const ControlShape& c = d.controls[i];
                EXPECT_TRUE(HasDialogRect(dlg.m_hWnd, hCtrl, c.x, c.y, c.cx, c.cy)) << c.pszLine;
            }
        }
        for (const ControlShape& c : d.controls)
            expected.push_back(c.pszLine);
        EXPECT_EQ(expected, actual);
    }
}

TEST(Resources, RadioIndexFollowsTemplateOrder)
{
    ScopedDialog convert(IDD_CONVERT), batch(IDD_BATCHCONVERT);
    EXPECT_EQ(std::vector<int>({1007, 1008, 1009}), RadioGroup(convert.m_hWnd, IDC_TRANSPARENCY_NONE));
    EXPECT_EQ(std::vector<int>({1012, 1010, 1011}), RadioGroup(batch.m_hWnd, IDC_BATCH_TRANSPARENCY_NONE));
}

TEST(Resources, BitmapsAre4BitWithTheStandardPaletteOnLightGrey)
{
    const struct { int nID, cx, cy, nImages; } bitmaps[] = {{128, 144, 15, 9}, {130, 64, 16, 4}};
    for (const auto& b : bitmaps) {
        SCOPED_TRACE("bitmap " + std::to_string(b.nID));
        const BITMAPINFOHEADER* pHeader = FindBitmap(b.nID);
        ASSERT_NE(nullptr, pHeader);
        EXPECT_EQ(b.cx, pHeader->biWidth);
        EXPECT_EQ(b.cy, pHeader->biHeight);
        EXPECT_EQ(4, pHeader->biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), pHeader->biCompression);
        ASSERT_TRUE(pHeader->biClrUsed == 0 || pHeader->biClrUsed == 16);
        const RGBQUAD* pColours = reinterpret_cast<const RGBQUAD*>(pHeader + 1);
        for (int i = 0; i < 16; ++i)
            EXPECT_EQ(kStandardPalette[i], RGB(pColours[i].rgbRed, pColours[i].rgbGreen, pColours[i].rgbBlue))
                << "colour " << i;
        // Each picture's top left corner is background: light grey, index 7.
        for (int n = 0; n < b.nImages; ++n)
            EXPECT_EQ(7, PixelIndex(pHeader, n * 16, 0)) << "picture " << n;
    }
}

TEST(Resources, IconHasLargeAndSmallImages)
{
    EXPECT_NE(nullptr, ::LoadIconA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME)));
    HRSRC hGroup = ::FindResourceA(Module(), MAKEINTRESOURCEA(IDR_MAINFRAME), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(nullptr, hGroup);
    BYTE* pDirectory = static_cast<BYTE*>(::LockResource(::LoadResource(Module(), hGroup)));
    for (int nSize : {32, 16}) {
        const int nIconID = ::LookupIconIdFromDirectoryEx(pDirectory, TRUE, nSize, nSize, 0);
        HRSRC hIcon = ::FindResourceA(Module(), MAKEINTRESOURCEA(nIconID), MAKEINTRESOURCEA(3) /* RT_ICON */);
        ASSERT_NE(nullptr, hIcon) << nSize;
        const BITMAPINFOHEADER* pHeader = static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(Module(), hIcon)));
        EXPECT_EQ(nSize, pHeader->biWidth);
        EXPECT_EQ(2 * nSize, pHeader->biHeight);    // colour rows and mask rows
    }
}
