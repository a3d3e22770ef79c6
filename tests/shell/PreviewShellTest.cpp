// The preview pane and the tree's order on screen, driven by real clicks,
// drags and keys: a picture shown fitted with what it is, Move Up and Move
// Down by Alt+arrows, an item dragged into another sequence, Sort by
// Number from the menu by its keys, the splitter dragged and kept, and Play
// started and stopped by Space and the tool bar. After each change the tree
// and the project file saved by Ctrl+S are read back.
#include "DialogScript.h"
#include "ShellHarness.h"

#include "AfxRes.h"
#include "Archive.h"
#include "File.h"
#include "ProjectFile.h"
#include "RealInput.h"
#include "resource.h"

#include "BmpBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>

using dialogscript::WriteBitmap;

namespace {

std::string Work(const std::string& name) { return testsupport::WorkPath(name); }

// The distinct colours of the test pattern at 8 or 24 bits, counted here.
size_t PatternColours(LONG nWidth, LONG nHeight, WORD nBitCount)
{
    std::set<DWORD> colours;
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            colours.insert(nBitCount == 8 ? bmp::PixelByte(x, y)
                                          : bmp::PixelByte(3 * x, y) | (bmp::PixelByte(3 * x + 1, y) << 8)
                                                | (bmp::PixelByte(3 * x + 2, y) << 16));
    return colours.size();
}

void Drop(const std::vector<std::string>& paths)
{
    View()->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)));
    Pump();
}

CTreeCtrl& Tree() { return View()->GetTreeCtrl(); }

// The item of a node's child path from the root: {1, 0} is the first child
// of the root's second child. The items on the way are opened.
HTREEITEM ItemAt(std::initializer_list<int> path)
{
    HTREEITEM hItem = Tree().GetRootItem();
    for (int n : path) {
        Tree().Expand(hItem, TVE_EXPAND);
        hItem = Tree().GetChildItem(hItem);
        for (int i = 0; i < n && hItem != nullptr; ++i)
            hItem = Tree().GetNextSiblingItem(hItem);
    }
    Pump();
    return hItem;
}

cTestNode* NodeOf(HTREEITEM hItem) { return reinterpret_cast<cTestNode*>(Tree().GetItemData(hItem)); }

// A real click on an item's text.
void ClickItem(HTREEITEM hItem)
{
    Tree().EnsureVisible(hItem);
    Pump();
    realinput::Click(Tree().m_hWnd, realinput::ItemPoint(Tree().m_hWnd, hItem));
}

// The file names (no folder) of a group's children, a sequence's in brackets.
std::string Order(cTestNode* pNode)
{
    std::string text;
    for (int i = 0; i < pNode->GetChildCount(); ++i) {
        cTestNode* pChild = pNode->GetChild(i);
        const std::string name = pChild->GetName(-1);
        text += (text.empty() ? "" : " ") + name.substr(name.find_last_of('\\') + 1);
        if (pChild->m_nType == cTestNode::typeSequence)
            text += "(" + Order(pChild) + ")";
    }
    return text;
}

// The order the project file at path keeps.
std::string SavedOrder(const std::string& path)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead | CFile::typeBinary))
        return "cannot open " + path;
    cImageList root;
    cGifOptions options;
    CArchive ar(&file, CArchive::load);
    cProjectFile::Serialize(ar, root, options);
    ar.Close();
    file.Close();
    return Order(&root);
}

// Ctrl+S on the keyboard: the project keeps its path, so no dialog comes.
void SaveByKeys()
{
    realinput::Keys({{VK_CONTROL, 'S'}});
}

// A project saved at path: logo, a walk sequence of four and sun, with the
// walk sequence's items shown; the program active and the tree focused.
void StartProject(const std::string& path, std::vector<std::string> walk = {"walk001", "walk002", "walk003", "walk004"})
{
    ResetProject();
    std::vector<std::string> files = {WriteBitmap("logo.bmp", 40, 30, 8)};
    for (const std::string& name : walk)
        files.push_back(WriteBitmap(name + ".bmp", 16, 12, 8));
    files.push_back(WriteBitmap("sun.bmp", 20, 20, 24));
    Drop(files);
    Doc()->m_options.m_nFrameRate = 5;
    ASSERT_TRUE(Doc()->DoSave(path.c_str()));
    realinput::Activate(Frame()->m_hWnd);
    ::SetFocus(Tree().m_hWnd);
    ItemAt({1, 0});
}

// The items' names as the tree shows them, in order, under the root.
std::string TreeOrder()
{
    std::string text;
    std::function<void(HTREEITEM)> walk = [&](HTREEITEM hParent) {
        for (HTREEITEM h = Tree().GetChildItem(hParent); h != nullptr; h = Tree().GetNextSiblingItem(h)) {
            const std::string name(Tree().GetItemText(h));
            text += (text.empty() || text.back() == '(' ? "" : " ") + name.substr(name.find_last_of("\\ ") + 1);
            if (NodeOf(h)->m_nType == cTestNode::typeSequence) {
                text += "(";
                walk(h);
                text += ")";
            }
        }
    };
    walk(Tree().GetRootItem());
    return text;
}

// Runs the program's messages until the condition holds or ms have passed.
bool WaitFor(const std::function<bool()>& condition, DWORD ms = 10000)
{
    const DWORD dwStart = ::GetTickCount();
    while (!condition()) {
        if (::GetTickCount() - dwStart > ms)
            return false;
        ::Sleep(10);
        Pump();
    }
    return true;
}

const cAnimationPlayer* Player() { return View()->GetPreviewPane().GetPlayer(); }

// The middle of the tool bar's Play button, in the bar's client area.
POINT PlayButtonPoint()
{
    RECT rc = {};
    Frame()->GetToolBar().SendMessage(TB_GETRECT, ID_VIEW_PLAY, reinterpret_cast<LPARAM>(&rc));
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

} // namespace

TEST(PreviewShell, ClickingAnItemShowsItsPictureFittedWithWhatItIs)
{
    StartProject(Work("shown.seq"));
    const std::string big = WriteBitmap("wide.bmp", 3000, 40, 24);
    Drop({big});
    CPreviewPane& pane = View()->GetPreviewPane();

    struct Case
    {
        std::initializer_list<int> path;
        LONG cx, cy;            // the picture
        std::string text;
    };
    const std::string logo = std::to_string(PatternColours(40, 30, 8)) + " colours";
    const std::string walk = std::to_string(PatternColours(16, 12, 8)) + " colours";
    const Case cases[] = {
        {{0}, 40, 30, "logo.bmp\r\n40 x 30, 8-bit, " + logo + "\r\nFrame 1 of 7, at 0.00 s"},
        {{1, 2}, 16, 12, "walk003.bmp\r\n16 x 12, 8-bit, " + walk + "\r\nFrame 4 of 7, at 0.60 s"},
        {{1}, 16, 12, "walk\r\nFirst frame 16 x 12, 8-bit, " + walk + "\r\n4 frames: 2 to 5 of 7, 0.20 s to 1.00 s"},
        {{2}, 20, 20, "sun.bmp\r\n20 x 20, 24-bit, " + std::to_string(PatternColours(20, 20, 24))
                          + " colours\r\nFrame 6 of 7, at 1.00 s"},
        {{3}, 3000, 40, "wide.bmp\r\n3000 x 40, 24-bit, " + std::to_string(PatternColours(3000, 40, 24))
                            + " colours\r\nFrame 7 of 7, at 1.20 s"},
    };
    for (const Case& c : cases) {
        HTREEITEM hItem = ItemAt(c.path);
        ASSERT_NE(nullptr, hItem);
        ClickItem(hItem);
        ASSERT_EQ(hItem, Tree().GetSelectedItem()) << c.text;
        EXPECT_EQ(c.text, std::string(pane.GetText()));
        ::UpdateWindow(pane.m_hWnd);
        ASSERT_NE(nullptr, pane.GetPicture()) << c.text;
        EXPECT_EQ(c.cx, pane.GetPicture()->GetWidth()) << c.text;
        // Fitted: inside the pane, enlarged by a whole factor of at most
        // four, or shrunk to the pane's width keeping its shape.
        const RECT rc = pane.GetPictureRect();
        RECT rcPane;
        pane.GetClientRect(&rcPane);
        const LONG cxShown = rc.right - rc.left, cyShown = rc.bottom - rc.top;
        EXPECT_TRUE(rc.left >= 0 && rc.top >= 0 && rc.right <= rcPane.right && rc.bottom <= rcPane.bottom) << c.text;
        if (cxShown >= c.cx) {
            EXPECT_EQ(0, cxShown % c.cx) << c.text;
            EXPECT_LE(cxShown / c.cx, 4) << c.text;
            EXPECT_EQ(cxShown / c.cx, cyShown / c.cy) << c.text;
        } else {
            EXPECT_NEAR(static_cast<double>(c.cy) / c.cx, static_cast<double>(cyShown) / cxShown, 0.05) << c.text;
        }
    }
    // The picture for the eye: the pane with the logo, four times its size.
    ClickItem(ItemAt({0}));
    EXPECT_EQ(4 * 40, pane.GetPictureRect().right - pane.GetPictureRect().left);
    EXPECT_GT(SaveWindowPicture(pane.m_hWnd, "pane-with-logo.bmp"), 10u);
}

TEST(PreviewShell, AltUpAndAltDownMoveTheSelectionAndSaveKeepsTheOrder)
{
    const std::string path = Work("moved.seq");
    StartProject(path);
    ClickItem(ItemAt({1, 2}));
    Doc()->SetModifiedFlag(FALSE);

    struct Step
    {
        WORD vk;
        bool bMoves;
        const char* order;
    };
    const Step steps[] = {
        {VK_UP, true, "logo.bmp walk(walk001.bmp walk003.bmp walk002.bmp walk004.bmp) sun.bmp"},
        {VK_UP, true, "logo.bmp walk(walk003.bmp walk001.bmp walk002.bmp walk004.bmp) sun.bmp"},
        {VK_UP, false, "logo.bmp walk(walk003.bmp walk001.bmp walk002.bmp walk004.bmp) sun.bmp"},   // first already
        {VK_DOWN, true, "logo.bmp walk(walk001.bmp walk003.bmp walk002.bmp walk004.bmp) sun.bmp"},
    };
    for (const Step& s : steps) {
        realinput::Keys({{VK_MENU, s.vk}});
        EXPECT_EQ(s.order, TreeOrder());
        EXPECT_EQ(s.order, Order(&Doc()->m_root));
        const std::string selected(Tree().GetItemText(Tree().GetSelectedItem()));
        EXPECT_EQ("walk003.bmp", selected.substr(selected.rfind('\\') + 1)) << "the moved item stays selected";
        EXPECT_EQ(s.bMoves, Doc()->IsModified() != FALSE);
        SaveByKeys();
        EXPECT_FALSE(Doc()->IsModified());
        EXPECT_EQ(s.order, SavedOrder(path));
    }
    // A sequence moves with its images, on the top level.
    ClickItem(ItemAt({1}));
    realinput::Keys({{VK_MENU, VK_DOWN}});
    EXPECT_EQ("logo.bmp sun.bmp walk(walk001.bmp walk003.bmp walk002.bmp walk004.bmp)", TreeOrder());
    SaveByKeys();
    EXPECT_EQ("logo.bmp sun.bmp walk(walk001.bmp walk003.bmp walk002.bmp walk004.bmp)", SavedOrder(path));
}

TEST(PreviewShell, DraggingAnItemMovesItWithinTheTreeAndIntoAnotherSequence)
{
    const std::string path = Work("dragged.seq");
    StartProject(path);
    Drop({WriteBitmap("run001.bmp", 16, 12, 8), WriteBitmap("run002.bmp", 16, 12, 8)});
    ASSERT_TRUE(Doc()->DoSave(path.c_str()));
    ItemAt({3, 0});
    ItemAt({1, 0});
    ASSERT_EQ("logo.bmp walk(walk001.bmp walk002.bmp walk003.bmp walk004.bmp) sun.bmp run(run001.bmp run002.bmp)",
              TreeOrder());

    struct Step
    {
        const char* what;
        std::function<HTREEITEM()> from;
        std::function<HTREEITEM()> onto;
        int yOffset;                // from the middle of the item dropped on
        const char* order;
    };
    const Step steps[] = {
        {"walk004 onto the upper half of walk002", [] { return ItemAt({1, 3}); }, [] { return ItemAt({1, 1}); }, -3,
         "logo.bmp walk(walk001.bmp walk004.bmp walk002.bmp walk003.bmp) sun.bmp run(run001.bmp run002.bmp)"},
        {"walk001 into the run sequence", [] { return ItemAt({1, 0}); }, [] { return ItemAt({3}); }, 0,
         "logo.bmp walk(walk004.bmp walk002.bmp walk003.bmp) sun.bmp run(run001.bmp run002.bmp walk001.bmp)"},
        {"logo onto the lower half of sun", [] { return ItemAt({0}); }, [] { return ItemAt({2}); }, 4,
         "walk(walk004.bmp walk002.bmp walk003.bmp) sun.bmp logo.bmp run(run001.bmp run002.bmp walk001.bmp)"},
    };
    for (const Step& s : steps) {
        Doc()->SetModifiedFlag(FALSE);
        HTREEITEM hFrom = s.from(), hOnto = s.onto();
        POINT ptFrom = realinput::ItemPoint(Tree().m_hWnd, hFrom);
        POINT ptOnto = realinput::ItemPoint(Tree().m_hWnd, hOnto);
        ptOnto.y += s.yOffset;
        realinput::Drag(Tree().m_hWnd, ptFrom, ptOnto);
        EXPECT_EQ(s.order, TreeOrder()) << s.what;
        EXPECT_EQ(s.order, Order(&Doc()->m_root)) << s.what;
        EXPECT_TRUE(Doc()->IsModified()) << s.what;
        EXPECT_EQ(nullptr, Tree().GetDropHilightItem()) << s.what;
        SaveByKeys();
        EXPECT_EQ(s.order, SavedOrder(path)) << s.what;
    }
    // Onto itself, and the root, nothing moves.
    const std::string before = TreeOrder();
    Doc()->SetModifiedFlag(FALSE);
    POINT pt = realinput::ItemPoint(Tree().m_hWnd, ItemAt({2}));
    realinput::Drag(Tree().m_hWnd, pt, POINT{pt.x + 10, pt.y + 1});
    pt = realinput::ItemPoint(Tree().m_hWnd, Tree().GetRootItem());
    realinput::Drag(Tree().m_hWnd, pt, realinput::ItemPoint(Tree().m_hWnd, ItemAt({2})));
    EXPECT_EQ(before, TreeOrder());
    EXPECT_FALSE(Doc()->IsModified());
}

TEST(PreviewShell, SortByNumberFromTheMenuPutsShuffledImagesInOrder)
{
    const std::string path = Work("sorted.seq");
    StartProject(path, {"shot0487", "shot0270", "shot0009", "shot1000", "shot0031"});
    ClickItem(ItemAt({1}));
    Doc()->SetModifiedFlag(FALSE);
    ASSERT_TRUE(MenuItemEnabled(ID_EDIT_SORT_NUMBER));
    // Alt+E opens the Edit menu; S is "Sort by Number".
    realinput::Keys({{VK_MENU, 'E'}, {'S'}});
    const char* const sorted = "logo.bmp shot(shot0009.bmp shot0031.bmp shot0270.bmp shot0487.bmp shot1000.bmp) sun.bmp";
    EXPECT_EQ(sorted, TreeOrder());
    EXPECT_TRUE(Doc()->IsModified());
    SaveByKeys();
    EXPECT_EQ(sorted, SavedOrder(path));
    // In order already: nothing changes, and an image has nothing to sort.
    Doc()->SetModifiedFlag(FALSE);
    Frame()->SendMessage(WM_COMMAND, ID_EDIT_SORT_NUMBER);
    EXPECT_FALSE(Doc()->IsModified());
    ClickItem(ItemAt({1, 0}));
    EXPECT_FALSE(MenuItemEnabled(ID_EDIT_SORT_NUMBER));
}

TEST(PreviewShell, OrderCommandsAreGreyWhileAnExportRuns)
{
    StartProject(Work("grey.seq"));
    ClickItem(ItemAt({1, 1}));
    const UINT commands[] = {ID_EDIT_MOVE_UP, ID_EDIT_MOVE_DOWN};
    for (UINT nID : commands)
        EXPECT_TRUE(MenuItemEnabled(nID)) << nID;
    const std::string before = TreeOrder();
    {
        CTestDoc::cExportRunning running(Doc());
        for (UINT nID : commands)
            EXPECT_FALSE(MenuItemEnabled(nID)) << nID;
        EXPECT_FALSE(MenuItemEnabled(ID_VIEW_PLAY));
        // Not by their keys either, nor by a drag.
        realinput::Keys({{VK_MENU, VK_UP}});
        const POINT pt = realinput::ItemPoint(Tree().m_hWnd, ItemAt({1, 1}));
        realinput::Drag(Tree().m_hWnd, pt, realinput::ItemPoint(Tree().m_hWnd, ItemAt({0})));
        EXPECT_EQ(before, TreeOrder());
    }
    ClickItem(ItemAt({1}));
    EXPECT_TRUE(MenuItemEnabled(ID_EDIT_SORT_NUMBER));
    {
        CTestDoc::cExportRunning running(Doc());
        EXPECT_FALSE(MenuItemEnabled(ID_EDIT_SORT_NUMBER));
    }
}

TEST(PreviewShell, TheSplitterMovesWithTheMouseAndIsKeptInTheSettings)
{
    StartProject(Work("split.seq"));
    const int cxBefore = View()->GetTreeWidth();
    RECT rcTree;
    ::GetWindowRect(Tree().m_hWnd, &rcTree);
    POINT pt = {rcTree.right + 2, (rcTree.top + rcTree.bottom) / 2};
    ::ScreenToClient(View()->m_hWnd, &pt);
    realinput::Drag(View()->m_hWnd, pt, POINT{pt.x + 60, pt.y});
    EXPECT_EQ(cxBefore + 60, View()->GetTreeWidth());
    RECT rcPane;
    ::GetWindowRect(View()->GetPreviewPane().m_hWnd, &rcPane);
    ::GetWindowRect(Tree().m_hWnd, &rcTree);
    EXPECT_EQ(cxBefore + 60, rcTree.right - rcTree.left);
    EXPECT_LT(rcTree.right, rcPane.left);
    EXPECT_EQ(std::to_string(cxBefore + 60), std::string(App().GetProfileString("Main Window", "Tree Width")));
    View()->SetTreeWidth(cxBefore);
}

TEST(PreviewShell, SpaceAndTheToolBarButtonPlayAndStopWithTheTreeFollowing)
{
    const std::string path = Work("played.seq");
    StartProject(path);
    const std::string saved = SavedOrder(path);
    CToolBar& toolBar = Frame()->GetToolBar();
    struct Way
    {
        const char* what;
        std::function<void()> press;
    };
    const Way ways[] = {
        {"Space", [] { realinput::Keys({{VK_SPACE}}); }},
        {"the tool bar button", [&] { realinput::Click(toolBar.m_hWnd, PlayButtonPoint()); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        ::SetFocus(Tree().m_hWnd);
        way.press();
        ASSERT_TRUE(View()->IsPlaying());
        // Frames come at the animation's rate, and the tree follows them.
        ASSERT_TRUE(WaitFor([] { return Player() != nullptr && Player()->GetShownCount() >= 3; }))
            << std::string(View()->GetPreviewPane().GetText());
        EXPECT_EQ(Player()->GetCurrent()->pNode, NodeOf(Tree().GetSelectedItem()));
        EXPECT_NE(nullptr, View()->GetPreviewPane().GetPicture());
        EXPECT_TRUE(MenuItemEnabled(ID_VIEW_PLAY));      // Play stays enabled: it stops
        EXPECT_TRUE(::GetMenuState(::GetMenu(Frame()->m_hWnd), ID_VIEW_PLAY, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_TRUE(toolBar.SendMessage(TB_ISBUTTONCHECKED, ID_VIEW_PLAY));
        // The order stays put while it plays.
        EXPECT_FALSE(MenuItemEnabled(ID_EDIT_MOVE_DOWN));
        EXPECT_FALSE(MenuItemEnabled(ID_EDIT_SORT_NUMBER));
        way.press();
        EXPECT_FALSE(View()->IsPlaying());
        Pump();
        EXPECT_FALSE(toolBar.SendMessage(TB_ISBUTTONCHECKED, ID_VIEW_PLAY));
    }
    // Playing changes nothing of the project.
    EXPECT_FALSE(Doc()->IsModified());
    EXPECT_EQ(saved, SavedOrder(path));
    EXPECT_EQ(saved, TreeOrder());
}

TEST(PreviewShell, TheFirstFrameComesSoonAfterPlay)
{
    StartProject(Work("timed.seq"));
    std::vector<DWORD> times;
    for (int i = 0; i < 3; ++i) {
        const DWORD dwStart = ::GetTickCount();
        Frame()->SendMessage(WM_COMMAND, ID_VIEW_PLAY);
        ASSERT_TRUE(WaitFor([] { return Player() != nullptr && Player()->GetShownCount() >= 1; }));
        times.push_back(::GetTickCount() - dwStart);
        Frame()->SendMessage(WM_COMMAND, ID_VIEW_PLAY);
    }
    std::printf("window: first frame %lu, %lu, %lu ms after Play (7 frames, the tick is 10 ms)\n",
                static_cast<unsigned long>(times[0]), static_cast<unsigned long>(times[1]),
                static_cast<unsigned long>(times[2]));
}

TEST(PreviewShell, PlayStopsCleanlyWhenTheProjectChangesOrAnotherItemIsChosen)
{
    StartProject(Work("interrupted.seq"));
    const int nNodes = cTestNode::GetLiveCount();
    // Another item clicked: it is shown instead.
    realinput::Keys({{VK_SPACE}});
    ASSERT_TRUE(WaitFor([] { return Player() != nullptr && Player()->GetShownCount() >= 2; }));
    ClickItem(ItemAt({2}));
    EXPECT_FALSE(View()->IsPlaying());
    EXPECT_EQ(0, std::string(View()->GetPreviewPane().GetText()).find("sun.bmp"));
    // The playing item deleted by its key: playing stops first.
    realinput::Keys({{VK_SPACE}});
    ASSERT_TRUE(WaitFor([] { return Player() != nullptr && Player()->GetShownCount() >= 2; }));
    realinput::Keys({{VK_DELETE}});
    EXPECT_FALSE(View()->IsPlaying());
    EXPECT_EQ(nNodes - 1, cTestNode::GetLiveCount());
    // New while it plays: the project goes, and the player with it.
    realinput::Keys({{VK_SPACE}});
    ASSERT_TRUE(WaitFor([] { return Player() != nullptr && Player()->GetShownCount() >= 1; }));
    App().m_nAnswer = IDNO;
    realinput::Keys({{VK_CONTROL, 'N'}});
    EXPECT_FALSE(View()->IsPlaying());
    EXPECT_EQ(0, Doc()->GetTopLevelCount());
    EXPECT_FALSE(MenuItemEnabled(ID_VIEW_PLAY));
}
