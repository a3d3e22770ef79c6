// CTestView: the project as a tree control with the preview pane beside it
// (a splitter between them); dropping files adds them, Delete removes the
// selected node, Move Up, Move Down, dragging and Sort by Number put nodes
// in order, and Play plays the animation in the pane.
#pragma once

#include "ImageListCtl.h"
#include "PreviewPane.h"
#include "TreeCtrl.h"
#include "TreeDrag.h"
#include "View.h"

#include <memory>
#include <vector>

class CTestDoc;
class cTestNode;

class CTestView : public CView
{
    DECLARE_DYNCREATE(CTestView)
public:
// Construction
    CTestView();

// Attributes
    CTestDoc* GetDocument() const;
    CTreeCtrl& GetTreeCtrl() { return m_tree; }
    CPreviewPane& GetPreviewPane() { return m_pane; }
    // The tree's width: the splitter's place.
    int GetTreeWidth() const { return m_cxTree; }
    BOOL IsPlaying() const { return m_pane.IsPlaying(); }

// Operations
    // Inserts the node and its subtree under hParent (null: the top level)
    // after hInsertAfter (TVI_FIRST, TVI_LAST or a sibling), linking each
    // item and node to the other.
    BOOL InsertNode(CTreeCtrl& tree, HTREEITEM hParent, cTestNode* pNode, HTREEITEM hInsertAfter = TVI_LAST);
    // Moves the splitter so that the tree is cx wide (as far as the view
    // allows) and keeps the place in the program's settings.
    void SetTreeWidth(int cx);
    // Moves the node of hItem into the group of hParent at nIndex (counted
    // once it has left its place), the tree's items with it, and marks the
    // project modified. FALSE when it cannot go there; TRUE also when it is
    // there already (nothing changes then).
    BOOL MoveItem(HTREEITEM hItem, HTREEITEM hParent, int nIndex);
    // The text an item shows for a node: the kind's prefix and the name.
    static CString ItemText(cTestNode* pNode);
    static int ItemImage(cTestNode* pNode);

// Overridables
    void OnDraw(CDC* pDC) override;
    void OnInitialUpdate() override;
    // Every change of the document rebuilds the whole tree.
    void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
    BOOL DestroyWindow() override;

// Message handlers
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    void OnSize(UINT nType, int cx, int cy);
    void OnDropFiles(HDROP hDropInfo);
    void OnDelete();
    void OnUpdateDelete(CCmdUI* pCmdUI);
    void OnUpdateCopy(CCmdUI* pCmdUI);
    void OnUpdatePaste(CCmdUI* pCmdUI);
    // "Create animation": the dialog preset from the document's settings,
    // the choices stored back, then the whole project into one file.
    void OnCreateAnimation();
    void OnUpdateCreateAnimation(CCmdUI* pCmdUI);
    // "Batch Convert": every file of the project into a GIF of its own.
    void OnBatchConvert();
    void OnUpdateBatchConvert(CCmdUI* pCmdUI);
    // New, Open, the recent files, Import and Exit: grey while an export
    // runs, otherwise as their owners say.
    void OnUpdateProjectCommand(CCmdUI* pCmdUI);
    void OnMoveUp();
    void OnMoveDown();
    void OnUpdateMoveUp(CCmdUI* pCmdUI);
    void OnUpdateMoveDown(CCmdUI* pCmdUI);
    // "Sort by Number": the selected sequence's nodes in the order of the
    // numbers in their names.
    void OnSortByNumber();
    void OnUpdateSortByNumber(CCmdUI* pCmdUI);
    // Play, and Play again to stop.
    void OnPlay();
    void OnUpdatePlay(CCmdUI* pCmdUI);
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    // The mouse on the splitter, and a tree item being dragged.
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);

// Implementation
protected:
    // The dropped paths as the project keeps them; files whose names cannot
    // be kept are listed in refused as "path: reason".
    static std::vector<CString> DroppedPaths(HDROP hDropInfo, std::vector<CString>& refused);
    BOOL IsExportRunning() const;
    // An export or a play: the tree's order must stay as it is.
    BOOL IsProjectBusy() const;
    void StopPlay();
    // The selected item's node and its parent's; FALSE when it has no parent.
    BOOL SelectedInParent(HTREEITEM& hItem, HTREEITEM& hParent, int& nIndex, int& nCount) const;
    void MoveSelected(int nDelta);
    // The pane shows the selected node.
    void ShowSelected();
    // A played frame's node selected in the tree.
    void FollowFrame(cTestNode* pNode);
    void Layout(int cx, int cy);
    RECT SplitterRect() const;
    void EndDrag(BOOL bDrop, POINT pt);

    CTreeCtrl m_tree;
    CImageList m_images;
    CPreviewPane m_pane;
    int m_cxTree;               // as the user left it; the layout may show less
    BOOL m_bSplitting;
    int m_xGrab;                // where on the splitter the mouse holds it
    BOOL m_bQuietSelection;     // the selection moves for play or a move: the pane is not told
    std::unique_ptr<cTreeDrag> m_pDrag;

    DECLARE_MESSAGE_MAP()
};
