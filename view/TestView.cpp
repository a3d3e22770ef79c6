// CTestView: the tree, drops and Delete, the splitter, ordering and Play.
#include "TestView.h"
#include "AfxRes.h"
#include "BatchConvertDlg.h"
#include "CmdUI.h"
#include "ConvertDlg.h"
#include "NodeOrder.h"
#include "ProgressDlg.h"
#include "MessageBox.h"
#include "TestDoc.h"
#include "TestNode.h"
#include "WinApp.h"
#include "resource.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <vector>

IMPLEMENT_DYNCREATE(CTestView, CView)

BEGIN_MESSAGE_MAP(CTestView, CView)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_DROPFILES()
    ON_COMMAND(ID_EDIT_DELETE, OnDelete)
    ON_UPDATE_COMMAND_UI(ID_EDIT_DELETE, OnUpdateDelete)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdatePaste)
    ON_COMMAND(ID_ACTION_CREATE, OnCreateAnimation)
    ON_UPDATE_COMMAND_UI(ID_ACTION_CREATE, OnUpdateCreateAnimation)
    ON_COMMAND(ID_ACTION_BATCH, OnBatchConvert)
    ON_UPDATE_COMMAND_UI(ID_ACTION_BATCH, OnUpdateBatchConvert)
    ON_UPDATE_COMMAND_UI(ID_FILE_NEW, OnUpdateProjectCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_OPEN, OnUpdateProjectCommand)
    ON_UPDATE_COMMAND_UI(ID_FILE_IMPORT, OnUpdateProjectCommand)
    ON_UPDATE_COMMAND_UI(ID_APP_EXIT, OnUpdateProjectCommand)
    ON_UPDATE_COMMAND_UI_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnUpdateProjectCommand)
    ON_COMMAND(ID_EDIT_MOVE_UP, OnMoveUp)
    ON_UPDATE_COMMAND_UI(ID_EDIT_MOVE_UP, OnUpdateMoveUp)
    ON_COMMAND(ID_EDIT_MOVE_DOWN, OnMoveDown)
    ON_UPDATE_COMMAND_UI(ID_EDIT_MOVE_DOWN, OnUpdateMoveDown)
    ON_COMMAND(ID_EDIT_SORT_NUMBER, OnSortByNumber)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SORT_NUMBER, OnUpdateSortByNumber)
    ON_COMMAND(ID_VIEW_PLAY, OnPlay)
    ON_UPDATE_COMMAND_UI(ID_VIEW_PLAY, OnUpdatePlay)
    ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
    ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
    ON_MESSAGE(WM_LBUTTONUP, OnLButtonUp)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
END_MESSAGE_MAP()

namespace {

// Tree images, in the order of the bitmap.
enum { imageMovie = 0, imageClosedFolder = 1, imagePage = 2 };

// The splitter: its width, the tree's width before the user moves it, and
// the least either side keeps.
const int kSplitterWidth = 5;
const int kDefaultTreeWidth = 280;
const int kLeastSide = 60;
const char kSettingsSection[] = "Main Window";
const char kTreeWidthEntry[] = "Tree Width";

// The nodes of a subtree whose items are open, so that a move can open them again.
void OpenNodes(CTreeCtrl& tree, cTestNode* pNode, std::set<cTestNode*>& open)
{
    if ((tree.GetItemState(pNode->m_hTreeItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0)
        open.insert(pNode);
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        OpenNodes(tree, pNode->GetChild(i), open);
}

void Reopen(CTreeCtrl& tree, cTestNode* pNode, const std::set<cTestNode*>& open)
{
    if (open.count(pNode) != 0)
        tree.Expand(pNode->m_hTreeItem, TVE_EXPAND);
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        Reopen(tree, pNode->GetChild(i), open);
}

POINT PointOf(LPARAM lParam)
{
    POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return pt;
}

} // namespace

CTestView::CTestView() : m_cxTree(kDefaultTreeWidth), m_bSplitting(FALSE), m_xGrab(0), m_bQuietSelection(FALSE)
{
}

CTestDoc* CTestView::GetDocument() const
{
    return static_cast<CTestDoc*>(m_pDocument);
}

int CTestView::OnCreate(LPCREATESTRUCT lpCreateStruct)
{
    if (CView::OnCreate(lpCreateStruct) == -1)
        return -1;
    // Without a tree or its pictures the view still exists; it shows less.
    RECT rc;
    GetClientRect(&rc);
    // The selection stays shown while the pane has the focus.
    if (m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                      rc, this, ID_TREE)
        && m_images.Create(IDB_TREEIMAGES, 16, 1, RGB(192, 192, 192)))
        m_tree.SetImageList(m_images, TVSIL_NORMAL);
    m_pane.Create(this, ID_PREVIEW);
    m_pane.m_onFrameShown = [this](cTestNode* pNode) { FollowFrame(pNode); };
    // Command states follow when playing ends by itself: an idle turn is
    // due after any message but a timer's.
    m_pane.m_onPlayStopped = [this] { PostMessage(WM_NULL); };
    const int cxSaved = std::atoi(AfxGetApp()->GetProfileString(kSettingsSection, kTreeWidthEntry));
    if (cxSaved > 0)
        m_cxTree = cxSaved;
    return 0;
}

void CTestView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    Layout(cx, cy);
}

void CTestView::Layout(int cx, int cy)
{
    // Each side keeps some room; the width the user chose comes back when
    // the view grows again.
    const int cxTree = std::max(0, std::min(m_cxTree, cx - kSplitterWidth - kLeastSide));
    const int cxShown = std::max(std::min(kLeastSide, cx), cxTree);
    if (m_tree.m_hWnd != nullptr)
        m_tree.MoveWindow(0, 0, cxShown, cy, FALSE);
    if (m_pane.m_hWnd != nullptr)
        m_pane.MoveWindow(cxShown + kSplitterWidth, 0, std::max(0, cx - cxShown - kSplitterWidth), cy, FALSE);
    Invalidate(FALSE);
}

RECT CTestView::SplitterRect() const
{
    RECT rc = {0, 0, 0, 0};
    if (m_tree.m_hWnd != nullptr) {
        RECT rcTree, rcClient;
        m_tree.GetClientRect(&rcTree);
        GetClientRect(&rcClient);
        ::SetRect(&rc, rcTree.right, 0, rcTree.right + kSplitterWidth, rcClient.bottom);
    }
    return rc;
}

void CTestView::SetTreeWidth(int cx)
{
    m_cxTree = std::max(kLeastSide, cx);
    char sz[16];
    ::wsprintfA(sz, "%d", m_cxTree);
    AfxGetApp()->WriteProfileString(kSettingsSection, kTreeWidthEntry, sz);
    RECT rc;
    GetClientRect(&rc);
    Layout(rc.right, rc.bottom);
}

void CTestView::OnDraw(CDC* pDC)
{
    // The tree and the pane draw themselves; the splitter between them is a raised bar.
    RECT rc = SplitterRect();
    ::FillRect(pDC->GetSafeHdc(), &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(pDC->GetSafeHdc(), &rc, EDGE_RAISED, BF_LEFT | BF_RIGHT);
}

void CTestView::OnInitialUpdate()
{
    DragAcceptFiles(TRUE);
    CView::OnInitialUpdate();
}

BOOL CTestView::DestroyWindow()
{
    DragAcceptFiles(FALSE);
    return CView::DestroyWindow();
}

CString CTestView::ItemText(cTestNode* pNode)
{
    CString strPrefix;
    switch (pNode->m_nType) {
    case cTestNode::typeSequence: strPrefix = "Sequence : "; break;
    case cTestNode::typeImage:    strPrefix = "Image : "; break;
    case cTestNode::typeMovie:    strPrefix = "Movie : "; break;
    default: break;
    }
    return strPrefix + pNode->GetName(-1);
}

int CTestView::ItemImage(cTestNode* pNode)
{
    switch (pNode->m_nType) {
    case cTestNode::typeSequence: return imageClosedFolder;
    case cTestNode::typeImage:    return imagePage;
    default:                      return imageMovie;
    }
}

BOOL CTestView::InsertNode(CTreeCtrl& tree, HTREEITEM hParent, cTestNode* pNode, HTREEITEM hInsertAfter)
{
    const CString strText = ItemText(pNode);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(strText));
    insert.item.iImage = insert.item.iSelectedImage = ItemImage(pNode);
    insert.item.lParam = reinterpret_cast<LPARAM>(pNode);
    HTREEITEM hItem = tree.InsertItem(&insert);
    pNode->SetTreeItem(hItem);
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        InsertNode(tree, hItem, pNode->GetChild(i));
    return TRUE;
}

void CTestView::OnUpdate(CView*, LPARAM lHint, CObject*)
{
    // Whatever changed, the player lets go of the nodes first.
    StopPlay();
    if (m_tree.m_hWnd == nullptr || GetDocument() == nullptr)
        return;
    m_bQuietSelection = TRUE;
    m_tree.DeleteAllItems();
    m_bQuietSelection = FALSE;
    m_pane.ShowNode(nullptr, nullptr, cExportSettings());
    if (lHint == CTestDoc::hintEmptying)
        return;         // the nodes are going: no item may point at them
    InsertNode(m_tree, nullptr, &GetDocument()->m_root);
    m_tree.Expand(m_tree.GetRootItem(), TVE_EXPAND);
}

std::vector<CString> CTestView::DroppedPaths(HDROP hDropInfo, std::vector<CString>& refused)
{
    const UINT nFiles = ::DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0);
    std::vector<CString> paths;
    for (UINT i = 0; i < nFiles; ++i) {
        // Asked for in full, whatever its length, so that a long path is
        // refused rather than cut to another name.
        const UINT nLength = ::DragQueryFileW(hDropInfo, i, nullptr, 0);
        if (nLength == 0)
            continue;
        std::vector<WCHAR> wide(nLength + 1);
        ::DragQueryFileW(hDropInfo, i, wide.data(), nLength + 1);
        // Without best-fit mapping: a character the code page lacks must not
        // quietly become a look-alike that names another file.
        BOOL bLost = FALSE;
        const int nBytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), -1, nullptr, 0, nullptr,
                                                 &bLost);
        std::vector<char> narrow(nBytes > 0 ? nBytes : 1, '\0');
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), -1, narrow.data(), nBytes, nullptr, &bLost);
        const CString strPath(narrow.data());
        LPCSTR pszWhy = bLost ? CTestDoc::WhyUnusablePath("?") : CTestDoc::WhyUnusablePath(strPath);
        if (pszWhy != nullptr)
            refused.push_back(strPath + ": " + pszWhy);
        else
            paths.push_back(strPath);
    }
    return paths;
}

BOOL CTestView::IsExportRunning() const
{
    return GetDocument() != nullptr && GetDocument()->IsExportRunning();
}

void CTestView::OnDropFiles(HDROP hDropInfo)
{
    // The export is walking the tree that a drop would change or replace.
    if (IsExportRunning()) {
        ::DragFinish(hDropInfo);
        ::MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    StopPlay();
    std::vector<CString> refused;
    const std::vector<CString> paths = DroppedPaths(hDropInfo, refused);
    ::DragFinish(hDropInfo);

    int nProjects = 0;
    for (const CString& strPath : paths)
        nProjects += CTestDoc::IsProjectFileName(strPath) ? 1 : 0;
    // A project file comes alone; with anything else nothing is added, so
    // nothing can be half added and lost.
    if (nProjects > 0) {
        if (!refused.empty())
            AfxMessageBox(CTestDoc::RefusedFilesMessage(refused));
        if (paths.size() == 1 && refused.empty())
            AfxGetApp()->OpenDocumentFile(paths[0]);
        else
            AfxMessageBox("Only one .SEQ file at a time, please.", MB_OK);
        return;
    }
    if (!paths.empty() || refused.empty()) {
        CTestDoc* pDoc = GetDocument();
        std::vector<CString> skipped;
        pDoc->AddDroppedFiles(paths, &skipped);
        for (const CString& strSkipped : skipped)
            refused.push_back(strSkipped + ": " + CTestDoc::kNotAddable);
        pDoc->SetModifiedFlag();
        OnUpdate(this, 0, nullptr);
    }
    // Told once the tree shows what was added: the names that could not be
    // kept and the files of no kind the project takes, in one message.
    if (!refused.empty())
        AfxMessageBox(CTestDoc::RefusedFilesMessage(refused));
}

void CTestView::OnDelete()
{
    StopPlay();
    HTREEITEM hItem = m_tree.GetSelectedItem();
    if (hItem == nullptr)
        return;
    cTestNode* pNode = reinterpret_cast<cTestNode*>(m_tree.GetItemData(hItem));
    if (pNode == nullptr)
        return;
    HTREEITEM hParent = m_tree.GetParentItem(hItem);
    if (hParent == nullptr) {
        // The root: the project as a whole goes, as with New.
        SendMessage(WM_COMMAND, ID_FILE_NEW);
        return;
    }
    cTestNode* pParent = reinterpret_cast<cTestNode*>(m_tree.GetItemData(hParent));
    if (pParent == nullptr || !pParent->RemoveChild(pNode))
        return;
    m_tree.DeleteItem(hItem);
    delete pNode;
    GetDocument()->SetModifiedFlag();   // else the deletion would be lost without a word
}

void CTestView::OnUpdateDelete(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsExportRunning() && m_tree.m_hWnd != nullptr && m_tree.GetSelectedItem() != nullptr);
}

void CTestView::OnUpdateProjectCommand(CCmdUI* pCmdUI)
{
    if (IsExportRunning())
        pCmdUI->Enable(FALSE);
    else
        pCmdUI->ContinueRouting();
}

void CTestView::OnUpdateCopy(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
}

void CTestView::OnUpdatePaste(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(FALSE);
}

void CTestView::OnCreateAnimation()
{
    StopPlay();
    CTestDoc* pDoc = GetDocument();
    cExportSettings settings = pDoc->GetExportSettings(cExportSettings::animation);
    CConvertDlg dlg(this);
    dlg.m_strFileName = settings.strOutput;
    dlg.m_nFrameRate = settings.nFrameRate;
    dlg.m_nLoopCount = settings.nLoopCount;
    dlg.m_nTransparency = settings.nTransparency;
    dlg.m_nOutputWidth = settings.nOutputWidth;
    dlg.m_nOutputHeight = settings.nOutputHeight;
    dlg.m_nColours = settings.nColours;
    dlg.m_nLossiness = settings.nLossiness;
    dlg.m_dwMaxSize = settings.dwMaxSize;
    if (dlg.DoModal() != IDOK)
        return;
    // Stored before anything is tried, and kept whatever happens next.
    settings.strOutput = dlg.m_strFileName;
    settings.nFrameRate = dlg.m_nFrameRate;
    settings.nLoopCount = dlg.m_nLoopCount;
    settings.nTransparency = dlg.m_nTransparency;
    settings.nOutputWidth = dlg.m_nOutputWidth;
    settings.nOutputHeight = dlg.m_nOutputHeight;
    settings.nColours = dlg.m_nColours;
    settings.nLossiness = dlg.m_nLossiness;
    settings.dwMaxSize = dlg.m_dwMaxSize;
    pDoc->StoreExportSettings(settings);
    ShowSelected();         // the rate places the frames in time
    CProgressDlg progress(this);
    const cExportReport report = pDoc->Export(settings, &progress);
    CProgressDlg::ShowReport(report);
    CProgressDlg::ShowNotes(report);
}

void CTestView::OnUpdateCreateAnimation(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsExportRunning() && GetDocument()->GetTopLevelCount() > 0);
}

void CTestView::OnBatchConvert()
{
    StopPlay();
    CTestDoc* pDoc = GetDocument();
    cExportSettings settings = pDoc->GetExportSettings(cExportSettings::batch);
    CBatchConvertDlg dlg;
    dlg.m_bExpand = settings.bExpand;
    dlg.m_nTransparency = settings.nTransparency;
    dlg.m_nOutputWidth = settings.nOutputWidth;
    dlg.m_nOutputHeight = settings.nOutputHeight;
    dlg.m_nColours = settings.nColours;
    dlg.m_nLossiness = settings.nLossiness;
    if (dlg.DoModal() != IDOK)
        return;
    settings.bExpand = dlg.m_bExpand != 0;
    settings.nTransparency = dlg.m_nTransparency;
    settings.nOutputWidth = dlg.m_nOutputWidth;
    settings.nOutputHeight = dlg.m_nOutputHeight;
    settings.nColours = dlg.m_nColours;
    settings.nLossiness = dlg.m_nLossiness;
    pDoc->StoreExportSettings(settings);
    CProgressDlg progress(this);
    CProgressDlg::ShowReport(pDoc->Export(settings, &progress));
}

void CTestView::OnUpdateBatchConvert(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsExportRunning() && GetDocument()->GetTopLevelCount() > 0);
}

BOOL CTestView::IsProjectBusy() const
{
    return IsExportRunning() || IsPlaying();
}

void CTestView::StopPlay()
{
    m_pane.Stop();
}

void CTestView::ShowSelected()
{
    HTREEITEM hItem = m_tree.m_hWnd != nullptr ? m_tree.GetSelectedItem() : nullptr;
    cTestNode* pNode = hItem != nullptr ? reinterpret_cast<cTestNode*>(m_tree.GetItemData(hItem)) : nullptr;
    CTestDoc* pDoc = GetDocument();
    CWaitCursor wait;       // a movie is opened to be shown
    m_pane.ShowNode(&pDoc->m_root, pNode, pDoc->GetExportSettings(cExportSettings::animation));
}

void CTestView::FollowFrame(cTestNode* pNode)
{
    if (pNode == nullptr || pNode->m_hTreeItem == nullptr)
        return;
    m_bQuietSelection = TRUE;
    m_tree.SelectItem(pNode->m_hTreeItem);
    m_bQuietSelection = FALSE;
}

void CTestView::OnPlay()
{
    if (IsPlaying()) {
        StopPlay();
        ShowSelected();
        return;
    }
    CTestDoc* pDoc = GetDocument();
    m_pane.Play(&pDoc->m_root, pDoc->GetExportSettings(cExportSettings::animation));
}

void CTestView::OnUpdatePlay(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsExportRunning() && GetDocument()->GetTopLevelCount() > 0);
    pCmdUI->SetCheck(IsPlaying() ? 1 : 0);
}

BOOL CTestView::SelectedInParent(HTREEITEM& hItem, HTREEITEM& hParent, int& nIndex, int& nCount) const
{
    if (m_tree.m_hWnd == nullptr)
        return FALSE;
    hItem = m_tree.GetSelectedItem();
    hParent = hItem != nullptr ? m_tree.GetParentItem(hItem) : nullptr;
    if (hParent == nullptr)
        return FALSE;
    cTestNode* pParent = reinterpret_cast<cTestNode*>(m_tree.GetItemData(hParent));
    nIndex = ChildIndex(pParent, reinterpret_cast<cTestNode*>(m_tree.GetItemData(hItem)));
    nCount = pParent != nullptr ? pParent->GetChildCount() : 0;
    return nIndex >= 0;
}

BOOL CTestView::MoveItem(HTREEITEM hItem, HTREEITEM hParent, int nIndex)
{
    HTREEITEM hFrom = m_tree.GetParentItem(hItem);
    cTestNode* pNode = reinterpret_cast<cTestNode*>(m_tree.GetItemData(hItem));
    cTestNode* pFrom = reinterpret_cast<cTestNode*>(m_tree.GetItemData(hFrom));
    cTestNode* pTo = reinterpret_cast<cTestNode*>(m_tree.GetItemData(hParent));
    if (pNode == nullptr || pFrom == nullptr || pTo == nullptr)
        return FALSE;
    if (pFrom == pTo && ChildIndex(pFrom, pNode) == std::max(0, std::min(nIndex, pTo->GetChildCount() - 1)))
        return TRUE;
    std::set<cTestNode*> open;
    OpenNodes(m_tree, pNode, open);
    if (!MoveNode(pNode, pFrom, pTo, nIndex))
        return FALSE;
    // The items follow: made again at the new place, opened where they were.
    m_bQuietSelection = TRUE;
    m_tree.DeleteItem(hItem);
    const int nAt = ChildIndex(pTo, pNode);
    InsertNode(m_tree, hParent, pNode, nAt == 0 ? TVI_FIRST : pTo->GetChild(nAt - 1)->m_hTreeItem);
    Reopen(m_tree, pNode, open);
    m_tree.SelectItem(pNode->m_hTreeItem);
    m_tree.EnsureVisible(pNode->m_hTreeItem);
    m_bQuietSelection = FALSE;
    GetDocument()->SetModifiedFlag();
    ShowSelected();         // its place in the animation changed
    return TRUE;
}

void CTestView::MoveSelected(int nDelta)
{
    HTREEITEM hItem, hParent;
    int nIndex = 0, nCount = 0;
    if (IsProjectBusy() || !SelectedInParent(hItem, hParent, nIndex, nCount))
        return;
    const int nTo = nIndex + nDelta;
    if (nTo >= 0 && nTo < nCount)
        MoveItem(hItem, hParent, nTo);
}

void CTestView::OnMoveUp()
{
    MoveSelected(-1);
}

void CTestView::OnMoveDown()
{
    MoveSelected(1);
}

void CTestView::OnUpdateMoveUp(CCmdUI* pCmdUI)
{
    HTREEITEM hItem, hParent;
    int nIndex = 0, nCount = 0;
    pCmdUI->Enable(!IsProjectBusy() && SelectedInParent(hItem, hParent, nIndex, nCount) && nIndex > 0);
}

void CTestView::OnUpdateMoveDown(CCmdUI* pCmdUI)
{
    HTREEITEM hItem, hParent;
    int nIndex = 0, nCount = 0;
    pCmdUI->Enable(!IsProjectBusy() && SelectedInParent(hItem, hParent, nIndex, nCount) && nIndex + 1 < nCount);
}

void CTestView::OnSortByNumber()
{
    HTREEITEM hItem = m_tree.m_hWnd != nullptr ? m_tree.GetSelectedItem() : nullptr;
    cTestNode* pList = hItem != nullptr ? reinterpret_cast<cTestNode*>(m_tree.GetItemData(hItem)) : nullptr;
    if (IsProjectBusy() || !CanHoldChildren(pList) || !SortByNumber(pList))
        return;
    std::set<cTestNode*> open;
    OpenNodes(m_tree, pList, open);
    m_bQuietSelection = TRUE;
    HTREEITEM hChild;
    while ((hChild = m_tree.GetChildItem(hItem)) != nullptr)
        m_tree.DeleteItem(hChild);
    for (int i = 0; i < pList->GetChildCount(); ++i)
        InsertNode(m_tree, hItem, pList->GetChild(i));
    Reopen(m_tree, pList, open);
    m_tree.SelectItem(hItem);
    m_bQuietSelection = FALSE;
    GetDocument()->SetModifiedFlag();
}

void CTestView::OnUpdateSortByNumber(CCmdUI* pCmdUI)
{
    HTREEITEM hItem = m_tree.m_hWnd != nullptr ? m_tree.GetSelectedItem() : nullptr;
    cTestNode* pList = hItem != nullptr ? reinterpret_cast<cTestNode*>(m_tree.GetItemData(hItem)) : nullptr;
    pCmdUI->Enable(!IsProjectBusy() && CanHoldChildren(pList) && pList->GetChildCount() > 1);
}

BOOL CTestView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader->hwndFrom != m_tree.m_hWnd)
        return CView::OnNotify(wParam, lParam, pResult);
    const NMTREEVIEWA* pTree = reinterpret_cast<const NMTREEVIEWA*>(lParam);
    switch (pHeader->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        if (m_bQuietSelection)
            break;
        // The user chose another item: playing gives way to it.
        StopPlay();
        ShowSelected();
        break;
    case TVN_BEGINDRAGA:
    case TVN_BEGINDRAGW:
        // The root stays where it is; nothing moves while an export or a play runs.
        if (IsProjectBusy() || m_tree.GetParentItem(pTree->itemNew.hItem) == nullptr)
            break;
        m_pDrag.reset(new cTreeDrag(m_tree, pTree->itemNew.hItem));
        ::SetCapture(m_hWnd);
        break;
    default:
        return CView::OnNotify(wParam, lParam, pResult);
    }
    *pResult = 0;
    return TRUE;
}

LRESULT CTestView::OnLButtonDown(WPARAM, LPARAM lParam)
{
    // Only the splitter is the view's own; the rest is covered by its children.
    const POINT pt = PointOf(lParam);
    const RECT rc = SplitterRect();
    if (!::PtInRect(&rc, pt))
        return 0;
    m_bSplitting = TRUE;
    m_xGrab = pt.x - rc.left;
    ::SetCapture(m_hWnd);
    return 0;
}

LRESULT CTestView::OnMouseMove(WPARAM, LPARAM lParam)
{
    POINT pt = PointOf(lParam);
    if (m_bSplitting) {
        RECT rc;
        GetClientRect(&rc);
        m_cxTree = std::max(kLeastSide, std::min<int>(pt.x - m_xGrab, rc.right - kSplitterWidth - kLeastSide));
        Layout(rc.right, rc.bottom);
        return 0;
    }
    if (m_pDrag == nullptr)
        return 0;
    ::MapWindowPoints(m_hWnd, m_tree.m_hWnd, &pt, 1);
    RECT rcTree;
    m_tree.GetClientRect(&rcTree);
    // Held above or below the tree, it scrolls.
    if (pt.y < 0)
        m_tree.SendMessage(WM_VSCROLL, SB_LINEUP);
    else if (pt.y >= rcTree.bottom)
        m_tree.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    cTreeDrag::Target target;
    m_pDrag->ShowMark(m_pDrag->TargetAt(pt, target) ? &target : nullptr);
    ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(target.hParent != nullptr ? IDC_ARROW : IDC_NO)));
    return 0;
}

LRESULT CTestView::OnLButtonUp(WPARAM, LPARAM lParam)
{
    if (m_bSplitting) {
        m_bSplitting = FALSE;
        ::ReleaseCapture();
        SetTreeWidth(m_cxTree);     // kept for the next start
    } else if (m_pDrag != nullptr) {
        EndDrag(TRUE, PointOf(lParam));
    }
    return 0;
}

LRESULT CTestView::OnCaptureChanged(WPARAM, LPARAM)
{
    // Another window took the mouse (a message box, Alt+Tab): the drag is off.
    m_bSplitting = FALSE;
    if (m_pDrag != nullptr)
        EndDrag(FALSE, POINT{0, 0});
    return 0;
}

void CTestView::EndDrag(BOOL bDrop, POINT pt)
{
    // Taken out first: releasing the mouse comes back here through WM_CAPTURECHANGED.
    std::unique_ptr<cTreeDrag> pDrag(std::move(m_pDrag));
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    cTreeDrag::Target target;
    ::MapWindowPoints(m_hWnd, m_tree.m_hWnd, &pt, 1);
    const BOOL bTarget = bDrop && pDrag->TargetAt(pt, target);
    HTREEITEM hDragged = pDrag->GetDragged();
    pDrag.reset();          // the marks go before the items move
    if (bTarget && !IsProjectBusy())
        MoveItem(hDragged, target.hParent, target.nIndex);
}

LRESULT CTestView::OnSetCursor(WPARAM wParam, LPARAM lParam)
{
    if (reinterpret_cast<HWND>(wParam) == m_hWnd && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_SIZEWE)));
        return TRUE;
    }
    return Default();
}
