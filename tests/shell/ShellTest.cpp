// The program on screen: start-up state, command states, drops, Delete,
// Open and Save, and the recent-file list, driven through real windows and
// messages inside the test process.
#include "ShellHarness.h"

#include "AfxRes.h"
#include "File.h"
#include "ImageFile.h"
#include "RecentFileList.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

std::string Work(const std::string& name) { return testsupport::WorkPath(name); }

void Drop(const std::vector<std::string>& paths)
{
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)));
    Pump();
}

// A project of one image and one sequence of two, saved to path.
void SaveSmallProject(const std::string& path)
{
    ResetProject();
    Drop({"C:\\pics\\logo.bmp", "C:\\pics\\walk001.bmp", "C:\\pics\\walk002.bmp"});
    Doc()->m_options.m_nFrameRate = 12;
    ASSERT_TRUE(Doc()->DoSave(path.c_str()));
}

} // namespace

TEST(Shell, StartsWithAnEmptyProjectBarsAndCommandStates)
{
    ResetProject();
    EXPECT_EQ("Sequences - Flickwright", std::string(Frame()->GetWindowText()));
    EXPECT_EQ("Sequence :  [1]\n", TreeText(View()->GetTreeCtrl()));

    // Eight buttons in four groups.
    CToolBar& toolBar = Frame()->GetToolBar();
    const UINT buttons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                            ID_EDIT_PASTE, 0, ID_VIEW_PLAY, 0, ID_APP_ABOUT};
    ASSERT_EQ(11, toolBar.GetCount());
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(buttons[i], toolBar.GetItemID(i)) << i;
    CStatusBar& statusBar = Frame()->GetStatusBar();
    ASSERT_EQ(4, statusBar.GetCount());
    EXPECT_EQ(ID_INDICATOR_CAPS, statusBar.GetItemID(1));
    EXPECT_EQ(ID_INDICATOR_NUM, statusBar.GetItemID(2));
    EXPECT_EQ(ID_INDICATOR_SCRL, statusBar.GetItemID(3));
    EXPECT_EQ("Ready", std::string(statusBar.GetPaneText(0)));

    struct Case { UINT nID; bool bEnabled; };
    const Case cases[] = {
        {ID_FILE_NEW, true}, {ID_FILE_OPEN, true}, {ID_FILE_IMPORT, true}, {ID_FILE_SAVE, true},
        {ID_FILE_SAVE_AS, true}, {ID_APP_EXIT, true}, {ID_APP_ABOUT, true},
        {ID_VIEW_TOOLBAR, true}, {ID_VIEW_STATUS_BAR, true},
        {ID_EDIT_UNDO, false}, {ID_EDIT_CUT, false}, {ID_EDIT_COPY, false}, {ID_EDIT_PASTE, false},
        {ID_EDIT_DELETE, false},        // nothing selected
        {ID_ACTION_CREATE, false}, {ID_ACTION_BATCH, false},    // an empty project
        {ID_VIEW_PLAY, false}, {ID_EDIT_MOVE_UP, false}, {ID_EDIT_MOVE_DOWN, false},
        {ID_EDIT_SORT_NUMBER, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.bEnabled, MenuItemEnabled(c.nID)) << c.nID;
    for (UINT nID : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        EXPECT_FALSE(toolBar.IsButtonEnabled(nID)) << nID;
    for (UINT nID : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_APP_ABOUT})
        EXPECT_TRUE(toolBar.IsButtonEnabled(nID)) << nID;
}

TEST(Shell, ViewMenuTogglesTheBarsWithCheckMarks)
{
    HMENU hMenu = ::GetMenu(Frame()->m_hWnd);
    for (UINT nID : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        MenuItemEnabled(nID);
        EXPECT_TRUE(::GetMenuState(hMenu, nID, MF_BYCOMMAND) & MF_CHECKED);
        Frame()->SendMessage(WM_COMMAND, nID);
        MenuItemEnabled(nID);
        EXPECT_FALSE(::GetMenuState(hMenu, nID, MF_BYCOMMAND) & MF_CHECKED);
        Frame()->SendMessage(WM_COMMAND, nID);
    }
    EXPECT_TRUE(Frame()->GetToolBar().IsWindowVisible());
    EXPECT_TRUE(Frame()->GetStatusBar().IsWindowVisible());
}

TEST(Shell, DropGroupsNumberedBitmapsByExactPrefixWithinOneDrop)
{
    ResetProject();
    Drop({"C:\\a\\frame001.bmp", "C:\\a\\Frame002.bmp", "C:\\a\\frame002.bmp", "C:\\a\\001.bmp",
          "C:\\a\\logo.BMP", "C:\\a\\notes.txt", "C:\\a\\frame003.bmp"});
    CTreeCtrl& tree = View()->GetTreeCtrl();
    EXPECT_EQ("Sequence :  [1]\n"
              "  Sequence : frame [1]\n"
              "    Image : C:\\a\\frame001.bmp [2]\n"
              "    Image : C:\\a\\frame002.bmp [2]\n"
              "    Image : C:\\a\\frame003.bmp [2]\n"
              "  Sequence : Frame [1]\n"
              "    Image : C:\\a\\Frame002.bmp [2]\n"
              "  Image : C:\\a\\001.bmp [2]\n"
              "  Image : C:\\a\\logo.BMP [2]\n",
              TreeText(tree));
    // The root is open, the sequences closed, and items and nodes point at each other.
    EXPECT_TRUE(tree.GetItemState(tree.GetRootItem(), TVIS_EXPANDED) & TVIS_EXPANDED);
    HTREEITEM hFrame = tree.GetChildItem(tree.GetRootItem());
    EXPECT_FALSE(tree.GetItemState(hFrame, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(reinterpret_cast<DWORD_PTR>(Doc()->m_root.GetChild(0)), tree.GetItemData(hFrame));
    EXPECT_EQ(hFrame, Doc()->m_root.GetChild(0)->m_hTreeItem);
    EXPECT_TRUE(Doc()->IsModified());
    // The sequences hold their files in the order of the drop.
    cTestNode* pFrame = Doc()->m_root.GetChild(0);
    ASSERT_EQ(3, pFrame->GetChildCount());
    EXPECT_STREQ("C:\\a\\frame001.bmp", pFrame->GetChild(0)->GetName());
    EXPECT_STREQ("C:\\a\\frame002.bmp", pFrame->GetChild(1)->GetName());
    EXPECT_STREQ("C:\\a\\frame003.bmp", pFrame->GetChild(2)->GetName());

    // A later drop makes a sequence of its own.
    Drop({"C:\\a\\frame004.bmp"});
    EXPECT_EQ(5, Doc()->GetTopLevelCount());
    EXPECT_STREQ("frame", Doc()->m_root.GetChild(4)->GetName());

    // Files of other kinds alone: nothing added, still modified and redrawn.
    ResetProject();
    Drop({"C:\\a\\notes.txt"});
    EXPECT_EQ(0, Doc()->GetTopLevelCount());
    EXPECT_TRUE(Doc()->IsModified());
}

TEST(Shell, ADropWithAProjectFileAddsNothingElse)
{
    const std::string project = Work("dropped.seq");
    SaveSmallProject(project);
    ResetProject();
    Drop({"C:\\a\\logo.bmp", project});
    EXPECT_EQ(std::vector<std::string>{"Only one .SEQ file at a time, please."}, App().m_messages);
    EXPECT_EQ(0, Doc()->GetTopLevelCount());
    EXPECT_FALSE(Doc()->IsModified());

    Drop({project});
    EXPECT_EQ(2, Doc()->GetTopLevelCount());
    EXPECT_EQ(project, std::string(Doc()->GetPathName()));
    EXPECT_EQ("dropped.seq - Flickwright", std::string(Frame()->GetWindowText()));
}

TEST(Shell, DeleteRemovesTheSelectedNodeAndMarksTheProject)
{
    ResetProject();
    Drop({"C:\\a\\walk001.bmp", "C:\\a\\walk002.bmp", "C:\\a\\logo.bmp"});
    Doc()->SetModifiedFlag(FALSE);
    CTreeCtrl& tree = View()->GetTreeCtrl();
    HTREEITEM hSequence = tree.GetChildItem(tree.GetRootItem());
    tree.Expand(hSequence, TVE_EXPAND);
    const int nNodes = cTestNode::GetLiveCount();

    // An image inside the sequence, by the Del accelerator.
    tree.SelectItem(tree.GetChildItem(hSequence));
    EXPECT_TRUE(MenuItemEnabled(ID_EDIT_DELETE));
    ::SetFocus(tree.m_hWnd);
    ::PostMessageA(tree.m_hWnd, WM_KEYDOWN, VK_DELETE, 0x00530001);
    ::PostMessageA(tree.m_hWnd, WM_KEYUP, VK_DELETE, 0xC0530001);
    Pump();
    ASSERT_EQ(1, Doc()->m_root.GetChild(0)->GetChildCount());
    EXPECT_STREQ("C:\\a\\walk002.bmp", Doc()->m_root.GetChild(0)->GetChild(0)->GetName());
    EXPECT_EQ(nNodes - 1, cTestNode::GetLiveCount());
    EXPECT_TRUE(Doc()->IsModified());

    // A whole sequence, with its images.
    tree.SelectItem(tree.GetChildItem(tree.GetRootItem()));
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_DELETE);
    EXPECT_EQ(1, Doc()->GetTopLevelCount());
    EXPECT_EQ(nNodes - 3, cTestNode::GetLiveCount());
    EXPECT_EQ("Sequence :  [1]\n  Image : C:\\a\\logo.bmp [2]\n", TreeText(tree));

    // The root: as New, after the save prompt (answered No).
    tree.SelectItem(tree.GetRootItem());
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_DELETE);
    ASSERT_EQ(1u, App().m_messages.size());
    EXPECT_NE(std::string::npos, App().m_messages[0].find("Save changes"));
    EXPECT_EQ(0, Doc()->GetTopLevelCount());
    EXPECT_FALSE(Doc()->IsModified());

    // Nothing selected: the command is disabled and does not run.
    tree.SelectItem(nullptr);
    EXPECT_FALSE(MenuItemEnabled(ID_EDIT_DELETE));
}

TEST(Shell, SaveThenOpenGivesTheSameTreeAndSettings)
{
    const std::string path = Work("round trip.seq");
    SaveSmallProject(path);
    const std::string before = TreeText(View()->GetTreeCtrl());
    EXPECT_FALSE(Doc()->IsModified());

    ResetProject();
    Doc()->m_options.m_nFrameRate = 5;
    ASSERT_NE(nullptr, App().OpenDocumentFile(path.c_str()));
    EXPECT_EQ(before, TreeText(View()->GetTreeCtrl()));
    EXPECT_EQ(12, Doc()->m_options.m_nFrameRate);
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_TRUE(App().m_messages.empty());
}

TEST(Shell, ForeignAndDamagedFilesAreRefused)
{
    // A bitmap named .seq: refused before anything is touched.
    const std::string fake = Work("picture.seq");
    const BYTE bmp[] = {'B', 'M', 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(testsupport::WriteFileBytes(fake, bmp, sizeof bmp));
    ResetProject();
    Drop({"C:\\a\\logo.bmp"});
    App().m_nAnswer = IDNO;
    EXPECT_EQ(nullptr, App().OpenDocumentFile(fake.c_str()));
    ASSERT_EQ(2u, App().m_messages.size());     // the save prompt, then the refusal
    EXPECT_EQ("Unsupported file format.", App().m_messages[1]);
    EXPECT_EQ(1, Doc()->GetTopLevelCount());
    EXPECT_TRUE(Doc()->IsModified());

    // The mark and then a broken tree: the framework's report, an empty project.
    const std::string damaged = Work("damaged.seq");
    const BYTE broken[] = {0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0, 5, 0, 0xFF, 0xFF};
    ASSERT_TRUE(testsupport::WriteFileBytes(damaged, broken, sizeof broken));
    App().m_nAnswer = IDNO;
    App().m_messages.clear();
    EXPECT_EQ(nullptr, App().OpenDocumentFile(damaged.c_str()));
    ASSERT_EQ(2u, App().m_messages.size());     // the save prompt, then the report
    EXPECT_NE(std::string::npos, App().m_messages[1].find("damaged.seq"));
    EXPECT_EQ(0, Doc()->GetTopLevelCount());
    EXPECT_EQ("Sequences - Flickwright", std::string(Frame()->GetWindowText()));
}

TEST(Shell, AFailedSaveKeepsTheOldFileAndTheModifiedFlag)
{
    const std::string path = Work("kept.seq");
    SaveSmallProject(path);
    const std::vector<BYTE> saved = testsupport::ReadFileBytes(path);
    Drop({"C:\\a\\more.bmp"});
    ASSERT_TRUE(Doc()->IsModified());

    // Read-only, then held open by another program.
    ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    App().m_messages.clear();
    EXPECT_FALSE(Doc()->DoSave(path.c_str()));
    EXPECT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    ASSERT_EQ(1u, App().m_messages.size());
    EXPECT_NE(std::string::npos, App().m_messages[0].find("kept.seq"));
    EXPECT_EQ(saved, testsupport::ReadFileBytes(path));
    EXPECT_TRUE(Doc()->IsModified());

    HANDLE hHeld = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHeld);
    EXPECT_FALSE(Doc()->DoSave(path.c_str()));
    ::CloseHandle(hHeld);
    EXPECT_EQ(saved, testsupport::ReadFileBytes(path));
    EXPECT_TRUE(Doc()->IsModified());

    // No temporary file is left beside it.
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(Work("sav*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, hFind);
    if (hFind != INVALID_HANDLE_VALUE)
        ::FindClose(hFind);
}

TEST(Shell, RecentFilesKeepSixAndSurviveARestart)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 7; ++i) {
        paths.push_back(Work("recent" + std::to_string(i) + ".seq"));
        SaveSmallProject(paths.back());
    }
    CRecentFileList* pList = App().m_pRecentFileList;
    ASSERT_NE(nullptr, pList);
    ASSERT_EQ(6, pList->GetCount());
    EXPECT_EQ(paths[6], std::string((*pList)[0]));
    EXPECT_EQ(paths[1], std::string((*pList)[5]));

    // The File menu shows them in place of the grey item; choosing one opens it.
    EXPECT_TRUE(MenuItemEnabled(ID_FILE_MRU_FILE1 + 5));
    ResetProject();
    Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1 + 5);
    EXPECT_EQ(paths[1], std::string(Doc()->GetPathName()));

    App().SaveStdProfileSettings();
    CRecentFileList reread(ID_FILE_MRU_FILE1, "Recent File List", "File%d", 6);
    reread.ReadList(App().m_strProfileName);
    ASSERT_EQ(6, reread.GetCount());
    EXPECT_EQ(paths[1], std::string(reread[0]));
    EXPECT_EQ(paths[2], std::string(reread[5]));
}

TEST(Shell, ARecentFileThatIsGoneLeavesTheList)
{
    const std::string kept = Work("recent_kept.seq"), gone = Work("recent_gone.seq");
    SaveSmallProject(kept);
    SaveSmallProject(gone);
    ResetProject();
    ASSERT_TRUE(::DeleteFileA(gone.c_str()));
    CRecentFileList* pList = App().m_pRecentFileList;
    ASSERT_EQ(gone, std::string((*pList)[0]));
    Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1);
    EXPECT_EQ(1u, App().m_messages.size()) << "the failure is told";
    EXPECT_EQ(kept, std::string((*pList)[0])) << "the entry of the file that is gone is removed";
    // One that fails while its file is there (here: damaged) stays, to be mended.
    testsupport::WriteFileBytes(kept, "damaged", 7);
    App().m_messages.clear();
    Frame()->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1);
    EXPECT_EQ(1u, App().m_messages.size());
    EXPECT_EQ(kept, std::string((*pList)[0]));
}

// A name the ANSI code page cannot carry, or a path too long to keep, would
// enter the tree as another name ("??.bmp") whose frames vanish.
TEST(Shell, ADropRefusesNamesTheProjectCannotKeep)
{
    if (::GetACP() == CP_UTF8)
        GTEST_SKIP() << "every name is representable in this code page";
    ResetProject();
    const std::wstring folder = L"C:\\pics\\";
    const std::wstring longName = folder + std::wstring(260, L'x') + L".bmp";
    const std::vector<std::wstring> paths = {
        folder + L"plain.bmp",
        folder + L"\x6F22\x5B57.bmp",       // not in a Western code page at all
        folder + L"\x0100" L"bc.bmp",        // best fit would make it "Abc.bmp": another file
        longName,
    };
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDropW(paths)));
    Pump();
    ASSERT_EQ(1u, App().m_messages.size());
    const std::string message = App().m_messages[0];
    EXPECT_EQ(0u, message.find("These files cannot be added:\n")) << message;
    EXPECT_NE(std::string::npos, message.find("??.bmp: its name has characters this program cannot use")) << message;
    EXPECT_NE(std::string::npos, message.find("bc.bmp: its name has characters this program cannot use")) << message;
    EXPECT_NE(std::string::npos, message.find("xxx.bmp: its path is longer than 259 characters")) << message;
    EXPECT_EQ("Sequence :  [1]\n  Image : C:\\pics\\plain.bmp [2]\n", TreeText(View()->GetTreeCtrl()));
}

TEST(Shell, CommandLinePathLosesOnePairOfQuotes)
{
    EXPECT_STREQ("C:\\my projects\\a.seq", CTestApp::CommandLinePath("\"C:\\my projects\\a.seq\""));
    EXPECT_STREQ("C:\\a.seq", CTestApp::CommandLinePath("C:\\a.seq"));
    EXPECT_STREQ("\"C:\\a.seq", CTestApp::CommandLinePath("\"C:\\a.seq"));
    EXPECT_STREQ("", CTestApp::CommandLinePath(""));
}

TEST(Shell, ImportMakesOneTopLevelNodePerFileByItsExtension)
{
    ResetProject();
    struct Case { const char* path; int nType; };
    const Case cases[] = {
        {"C:\\a\\PHOTO.BMP", cTestNode::typeImage},
        {"C:\\a\\frame001.bmp", cTestNode::typeImage},     // never grouped
        {"C:\\a\\clip.avi", cTestNode::typeMovie},         // the prefix has AVIFile's AVI reader
        {"C:\\a\\notes.txt", cTestNode::typeImage},        // no reader: taken as a still image
        {"C:\\a\\noextension", cTestNode::typeImage},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(static_cast<int>(i), Doc()->AddFile(cases[i].path));
        EXPECT_EQ(cases[i].nType, Doc()->m_root.GetChild(static_cast<int>(i))->m_nType) << cases[i].path;
        EXPECT_STREQ(cases[i].path, Doc()->m_root.GetChild(static_cast<int>(i))->GetName());
    }
    EXPECT_EQ(0, Doc()->AddNode(nullptr));
    EXPECT_EQ(5, Doc()->GetTopLevelCount());
}

namespace {

std::string g_strAboutCaption;

// Runs inside the About box's own message loop: notes its caption and closes it.
void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR idEvent, DWORD)
{
    HWND hDlg = ::FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), "About Tindra");
    if (hDlg == nullptr)
        return;
    ::KillTimer(nullptr, idEvent);
    char szCaption[64];
    ::GetWindowTextA(hDlg, szCaption, sizeof szCaption);
    g_strAboutCaption = szCaption;
    ::PostMessageA(hDlg, WM_COMMAND, IDOK, 0);
}

} // namespace

TEST(Shell, AboutCommandShowsTheAboutBoxUntilOk)
{
    ::SetTimer(nullptr, 0, 50, CloseAboutBox);
    Frame()->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    EXPECT_EQ("About Tindra", g_strAboutCaption);
    EXPECT_EQ(nullptr, ::FindWindowA(reinterpret_cast<LPCSTR>(WC_DIALOG), "About Tindra"));
}

TEST(Shell, PromptsInTheStatusBarAndToolTipsFromTheStringTable)
{
    CStatusBar& statusBar = Frame()->GetStatusBar();
    HMENU hMenu = ::GetMenu(Frame()->m_hWnd);
    Frame()->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_FILE_NEW, MF_STRING), reinterpret_cast<LPARAM>(hMenu));
    EXPECT_EQ("Create a new document", std::string(statusBar.GetPaneText(0)));
    Frame()->SendMessage(WM_MENUSELECT, MAKEWPARAM(SC_CLOSE, MF_STRING), reinterpret_cast<LPARAM>(hMenu));
    EXPECT_EQ("Close the active window and prompts to save the documents", std::string(statusBar.GetPaneText(0)));
    Frame()->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ("Ready", std::string(statusBar.GetPaneText(0)));

    NMTTDISPINFOA info = {};
    info.hdr.hwndFrom = Frame()->GetToolBar().m_hWnd;
    info.hdr.idFrom = ID_FILE_OPEN;
    info.hdr.code = TTN_GETDISPINFOA;
    Frame()->SendMessage(WM_NOTIFY, AFX_IDW_TOOLBAR, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ("Open", info.lpszText);
}
