// cTreeDrag: an item of the project tree being dragged to another place in
// it: where it would go for a point of the tree, and the marks that show
// that place (a line between items, or the sequence it would join
// highlighted). The tree control begins the drag; the view follows the
// mouse and makes the move.
#pragma once

#include "TreeCtrl.h"

class cTestNode;

class cTreeDrag
{
public:
    // Where the dragged node would go: into the group of hParent at nIndex,
    // counted among the group's children once the dragged node has left.
    struct Target
    {
        HTREEITEM hParent = nullptr;
        int nIndex = 0;
        HTREEITEM hMark = nullptr;      // the item the mark is drawn at
        BOOL bInto = FALSE;             // highlight hMark, else a line beside it
        BOOL bAfter = FALSE;            // the line below hMark, else above it
    };

// Construction
    cTreeDrag(CTreeCtrl& tree, HTREEITEM hDragged);
    // Takes the marks away.
    ~cTreeDrag();
    cTreeDrag(const cTreeDrag&) = delete;
    cTreeDrag& operator=(const cTreeDrag&) = delete;

// Attributes
    HTREEITEM GetDragged() const { return m_hDragged; }
    // The place for a point in the tree's client coordinates: on the upper
    // or lower half of an item, before or after it; on the middle half of a
    // sequence, at its end (after an open sequence, at its start); below the
    // last item, at the end of the project. FALSE where it cannot go: on
    // itself or inside its own subtree.
    BOOL TargetAt(POINT pt, Target& target) const;

// Operations
    // Shows the target's mark, or none.
    void ShowMark(const Target* pTarget);

// Implementation
private:
    cTestNode* NodeOf(HTREEITEM hItem) const;
    // A place in hParent's group just before the child hBefore (null: at the end).
    void PlaceAt(HTREEITEM hParent, HTREEITEM hBefore, Target& target) const;

    CTreeCtrl& m_tree;
    HTREEITEM m_hDragged;
};
