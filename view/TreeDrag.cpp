// cTreeDrag: drop places in the tree and their marks.
#include "TreeDrag.h"

#include "NodeOrder.h"
#include "TestNode.h"

cTreeDrag::cTreeDrag(CTreeCtrl& tree, HTREEITEM hDragged) : m_tree(tree), m_hDragged(hDragged)
{
}

cTreeDrag::~cTreeDrag()
{
    ShowMark(nullptr);
}

cTestNode* cTreeDrag::NodeOf(HTREEITEM hItem) const
{
    return hItem != nullptr ? reinterpret_cast<cTestNode*>(m_tree.GetItemData(hItem)) : nullptr;
}

void cTreeDrag::PlaceAt(HTREEITEM hParent, HTREEITEM hBefore, Target& target) const
{
    cTestNode* pGroup = NodeOf(hParent);
    cTestNode* pDragged = NodeOf(m_hDragged);
    int nIndex = hBefore != nullptr ? ChildIndex(pGroup, NodeOf(hBefore)) : pGroup->GetChildCount();
    // Counted once the dragged node has left its place above this one.
    const int nFrom = ChildIndex(pGroup, pDragged);
    if (nFrom >= 0 && nFrom < nIndex)
        --nIndex;
    target.hParent = hParent;
    target.nIndex = nIndex;
}

BOOL cTreeDrag::TargetAt(POINT pt, Target& target) const
{
    target = Target();
    cTestNode* pDragged = NodeOf(m_hDragged);
    HTREEITEM hRoot = m_tree.GetRootItem();
    if (pDragged == nullptr || hRoot == nullptr)
        return FALSE;
    UINT nFlags = 0;
    HTREEITEM hItem = m_tree.HitTest(pt, &nFlags);
    RECT rcClient;
    m_tree.GetClientRect(&rcClient);
    if (hItem == nullptr) {
        // Below the last item: the end of the project.
        if ((nFlags & TVHT_NOWHERE) == 0 || pt.x < 0 || pt.x >= rcClient.right || pt.y < 0 || pt.y >= rcClient.bottom)
            return FALSE;
        PlaceAt(hRoot, nullptr, target);
        target.hMark = hRoot;
        target.bInto = TRUE;
        return TRUE;
    }
    cTestNode* pNode = NodeOf(hItem);
    if (pNode == nullptr || IsInSubtree(pNode, pDragged))
        return FALSE;
    RECT rcItem;
    if (!m_tree.GetItemRect(hItem, &rcItem, FALSE))
        return FALSE;
    const int cy = rcItem.bottom - rcItem.top;
    const int y = pt.y - rcItem.top;
    HTREEITEM hParent = m_tree.GetParentItem(hItem);
    const BOOL bGroup = CanHoldChildren(pNode);
    const BOOL bOpen = (m_tree.GetItemState(hItem, TVIS_EXPANDED) & TVIS_EXPANDED) != 0
                       && m_tree.GetChildItem(hItem) != nullptr;
    if (bGroup && (hParent == nullptr || (4 * y >= cy && 4 * y < 3 * cy))) {
        PlaceAt(hItem, nullptr, target);        // the end of the sequence
        target.hMark = hItem;
        target.bInto = TRUE;
        return TRUE;
    }
    if (bGroup && bOpen && 4 * y >= 3 * cy) {
        // Its children show right below: the start of the sequence.
        HTREEITEM hFirst = m_tree.GetChildItem(hItem);
        PlaceAt(hItem, hFirst, target);
        target.hMark = hFirst;
        return TRUE;
    }
    const BOOL bAfter = 2 * y >= cy;
    PlaceAt(hParent, bAfter ? m_tree.GetNextSiblingItem(hItem) : hItem, target);
    target.hMark = hItem;
    target.bAfter = bAfter;
    return TRUE;
}

void cTreeDrag::ShowMark(const Target* pTarget)
{
    m_tree.SetInsertMark(nullptr);
    m_tree.SelectDropTarget(nullptr);
    if (pTarget == nullptr || pTarget->hMark == nullptr)
        return;
    if (pTarget->bInto)
        m_tree.SelectDropTarget(pTarget->hMark);
    else
        m_tree.SetInsertMark(pTarget->hMark, pTarget->bAfter);
}
