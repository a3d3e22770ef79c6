// CControlBar: creation and registration with the frame.
#include "ControlBar.h"
#include "FrameWnd.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BOOL CControlBar::CreateBar(LPCSTR lpszClassName, DWORD dwWindowStyle, DWORD dwStyle, CWnd* pParentWnd, UINT nID)
{
    ASSERT(pParentWnd != nullptr);
    m_dwStyle = dwStyle & CBRS_ALL;
    if (!CreateEx(0, lpszClassName, nullptr, (dwStyle & ~CBRS_ALL) | dwWindowStyle, 0, 0, 0, 0,
                  pParentWnd->m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    if (pParentWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        static_cast<CFrameWnd*>(pParentWnd)->AddControlBar(this);
    return TRUE;
}
