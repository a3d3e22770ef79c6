// CImageList: a common-controls image list, destroyed with the object.
#pragma once

#include "AfxDefs.h"

#include <commctrl.h>

class CImageList
{
public:
// Construction
    CImageList() : m_hImageList(nullptr) {}
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // Images of width cx cut from bitmap resource nBitmapID; crMask marks
    // the transparent pixels.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
    {
        ASSERT(m_hImageList == nullptr);
        m_hImageList = ::ImageList_LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nBitmapID), cx,
                                              nGrow, crMask, IMAGE_BITMAP, 0);
        return m_hImageList != nullptr;
    }
    BOOL DeleteImageList()
    {
        if (m_hImageList == nullptr)
            return FALSE;
        ::ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return TRUE;
    }

// Attributes
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }

// Implementation
    HIMAGELIST m_hImageList;
};
