// CTreeCtrl: the common tree-view control.
#pragma once

#include "Wnd.h"

#include <commctrl.h>

class CImageList;

class CTreeCtrl : public CWnd
{
public:
// Construction
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
    {
        return CreateEx(0, WC_TREEVIEWA, nullptr, dwStyle, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, pParentWnd->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
    }

// Attributes
    UINT GetCount() const { return static_cast<UINT>(SendMessage(TVM_GETCOUNT)); }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
        { return reinterpret_cast<HTREEITEM>(SendMessage(TVM_GETNEXTITEM, nCode, reinterpret_cast<LPARAM>(hItem))); }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUS); }
    HTREEITEM GetDropHilightItem() const { return GetNextItem(nullptr, TVGN_DROPHILITE); }
    // The item's row (bTextOnly FALSE) or its text's rectangle, in client coordinates.
    BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const
    {
        *reinterpret_cast<HTREEITEM*>(lpRect) = hItem;
        return static_cast<BOOL>(SendMessage(TVM_GETITEMRECT, bTextOnly, reinterpret_cast<LPARAM>(lpRect)));
    }
    // The item at a point of the client area, and where on it (TVHT_ flags).
    HTREEITEM HitTest(POINT pt, UINT* pFlags = nullptr) const
    {
        TVHITTESTINFO info = {};
        info.pt = pt;
        HTREEITEM hItem = reinterpret_cast<HTREEITEM>(SendMessage(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
        if (pFlags != nullptr)
            *pFlags = info.flags;
        return hItem;
    }
    DWORD_PTR GetItemData(HTREEITEM hItem) const
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_PARAM;
        SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return static_cast<DWORD_PTR>(item.lParam);
    }
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_PARAM;
        item.lParam = static_cast<LPARAM>(dwData);
        return static_cast<BOOL>(SendMessage(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    CString GetItemText(HTREEITEM hItem) const
    {
        char szText[1024] = "";
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_TEXT;
        item.pszText = szText;
        item.cchTextMax = sizeof szText;
        SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return CString(szText);
    }
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const
    {
        TVITEMA item = {};
        item.hItem = hItem;
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        const BOOL bResult = static_cast<BOOL>(SendMessage(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        nImage = item.iImage;
        nSelectedImage = item.iSelectedImage;
        return bResult;
    }
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
        { return static_cast<UINT>(SendMessage(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), nStateMask)); }

// Operations
    HTREEITEM InsertItem(LPTVINSERTSTRUCTA lpInsertStruct)
        { return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(lpInsertStruct))); }
    BOOL DeleteItem(HTREEITEM hItem)
        { return static_cast<BOOL>(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem))); }
    BOOL DeleteAllItems() { return DeleteItem(TVI_ROOT); }
    BOOL Expand(HTREEITEM hItem, UINT nCode)
        { return static_cast<BOOL>(SendMessage(TVM_EXPAND, nCode, reinterpret_cast<LPARAM>(hItem))); }
    BOOL SelectItem(HTREEITEM hItem)
        { return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem))); }
    // Highlights the item a drag would drop into (null: none).
    BOOL SelectDropTarget(HTREEITEM hItem)
        { return static_cast<BOOL>(SendMessage(TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(hItem))); }
    // A line before or after the item where a dragged one would go (null: none).
    BOOL SetInsertMark(HTREEITEM hItem, BOOL bAfter = TRUE)
        { return static_cast<BOOL>(SendMessage(TVM_SETINSERTMARK, bAfter, reinterpret_cast<LPARAM>(hItem))); }
    BOOL EnsureVisible(HTREEITEM hItem)
        { return static_cast<BOOL>(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(hItem))); }
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType)
        { return reinterpret_cast<HIMAGELIST>(SendMessage(TVM_SETIMAGELIST, nImageListType, reinterpret_cast<LPARAM>(hImageList))); }
};
