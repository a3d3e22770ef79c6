// CTestView: the tree, drops and Delete.
#include "TestView.h"
#include "AfxRes.h"
#include "BatchConvertDlg.h"
#include "CmdUI.h"
#include "ConvertDlg.h"
#include "ProgressDlg.h"
#include "MessageBox.h"
#include "TestDoc.h"
#include "TestNode.h"
#include "WinApp.h"
#include "resource.h"

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
END_MESSAGE_MAP()

namespace {

// Tree images, in the order of the bitmap.
enum { imageMovie = 0, imageClosedFolder = 1, imagePage = 2 };

} // namespace

CTestView::CTestView()
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
    if (m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT, rc, this, ID_TREE)
        && m_images.Create(IDB_TREEIMAGES, 16, 1, RGB(192, 192, 192)))
        m_tree.SetImageList(m_images, TVSIL_NORMAL);
    return 0;
}

void CTestView::OnSize(UINT nType, int cx, int cy)
{
    CView::OnSize(nType, cx, cy);
    if (m_tree.m_hWnd != nullptr)
        m_tree.MoveWindow(0, 0, cx, cy, FALSE);
}

void CTestView::OnDraw(CDC*)
{
    // The tree control draws everything.
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

BOOL CTestView::InsertNode(CTreeCtrl& tree, HTREEITEM hParent, cTestNode* pNode)
{
    const CString strText = ItemText(pNode);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = TVI_LAST;
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

void CTestView::OnUpdate(CView*, LPARAM, CObject*)
{
    if (m_tree.m_hWnd == nullptr || GetDocument() == nullptr)
        return;
    m_tree.DeleteAllItems();
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
    CTestDoc* pDoc = GetDocument();
    cExportSettings settings = pDoc->GetExportSettings(cExportSettings::animation);
    CConvertDlg dlg(this);
    dlg.m_strFileName = settings.strOutput;
    dlg.m_nFrameRate = settings.nFrameRate;
    dlg.m_nLoopCount = settings.nLoopCount;
    dlg.m_nTransparency = settings.nTransparency;
    if (dlg.DoModal() != IDOK)
        return;
    // Stored before anything is tried, and kept whatever happens next.
    settings.strOutput = dlg.m_strFileName;
    settings.nFrameRate = dlg.m_nFrameRate;
    settings.nLoopCount = dlg.m_nLoopCount;
    settings.nTransparency = dlg.m_nTransparency;
    pDoc->StoreExportSettings(settings);
    CProgressDlg progress(this);
    CProgressDlg::ShowReport(pDoc->Export(settings, &progress));
}

void CTestView::OnUpdateCreateAnimation(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsExportRunning() && GetDocument()->GetTopLevelCount() > 0);
}

void CTestView::OnBatchConvert()
{
    CTestDoc* pDoc = GetDocument();
    cExportSettings settings = pDoc->GetExportSettings(cExportSettings::batch);
    CBatchConvertDlg dlg;
    dlg.m_bExpand = settings.bExpand;
    dlg.m_nTransparency = settings.nTransparency;
    if (dlg.DoModal() != IDOK)
        return;
    settings.bExpand = dlg.m_bExpand != 0;
    settings.nTransparency = dlg.m_nTransparency;
    pDoc->StoreExportSettings(settings);
    CProgressDlg progress(this);
    CProgressDlg::ShowReport(pDoc->Export(settings, &progress));
}

void CTestView::OnUpdateBatchConvert(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!IsExportRunning() && GetDocument()->GetTopLevelCount() > 0);
}
