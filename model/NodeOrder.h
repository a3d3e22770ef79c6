// The order of a project's nodes: moving a node within its group or into
// another one, and putting a sequence's images in the order of the numbers
// in their names. The project file keeps whatever order the arrays hold, so
// these change nothing of its format.
//   ChildIndex, IsInSubtree, CanHoldChildren   questions a move asks first
//   MoveNode                                   the move itself
//   CompareByNumber, SortByNumber              "Sort by Number"
#pragma once

#include <windows.h>

class cTestNode;

// The index of pChild among pParent's children; -1 when it is not one.
int ChildIndex(cTestNode* pParent, cTestNode* pChild);

// Whether pNode is pAncestor itself or lies anywhere below it.
BOOL IsInSubtree(cTestNode* pNode, cTestNode* pAncestor);

// Whether other nodes may be put inside pNode: sequences (the root is one)
// hold nodes; a still image or a movie holds none.
BOOL CanHoldChildren(cTestNode* pNode);

// Takes pNode out of pFrom and puts it into pTo at nIndex, an index among
// pTo's children as they are once pNode has left (clamped to the end). FALSE,
// with nothing changed, when pNode is not a child of pFrom, when pTo cannot
// hold children or lies inside pNode, or when memory runs out.
BOOL MoveNode(cTestNode* pNode, cTestNode* pFrom, cTestNode* pTo, int nIndex);

// Orders two node names by the last number in their file names (the folder
// and the extension are not looked at): "shot270" before "shot0487", a name
// without a number after every name with one, and names of the same number
// by their text with numbers compared as numbers, ignoring case. Numbers of
// any length are compared whole. Negative, zero or positive like strcmp.
int CompareByNumber(LPCSTR pszA, LPCSTR pszB);

// Puts pList's children in CompareByNumber order of their names; children
// that compare equal keep their order. TRUE when the order changed.
BOOL SortByNumber(cTestNode* pList);
