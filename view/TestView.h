// CTestView: the project as a tree control filling the view; dropping files
// adds them, Delete removes the selected node.
#pragma once

#include "ImageListCtl.h"
#include "TreeCtrl.h"
#include "View.h"

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

// Operations
    // Inserts the node and its subtree under hParent (null: the top level),
    // linking each item and node to the other.
    BOOL InsertNode(CTreeCtrl& tree, HTREEITEM hParent, cTestNode* pNode);
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

// Implementation
protected:
    // The dropped paths as the project keeps them; files whose names cannot
    // be kept are listed in refused as "path: reason".
    static std::vector<CString> DroppedPaths(HDROP hDropInfo, std::vector<CString>& refused);
    BOOL IsExportRunning() const;

    CTreeCtrl m_tree;
    CImageList m_images;

    DECLARE_MESSAGE_MAP()
};
