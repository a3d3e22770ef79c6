// CFileDialog: the OPENFILENAME record and the call of the system dialog.
#include "FileDialog.h"
#include "WinApp.h"
#include "Wnd.h"

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt), m_pParentWnd(pParentWnd),
      m_szFileName(), m_szFileTitle()
{
    if (lpszFileName != nullptr)
        lstrcpynA(m_szFileName, lpszFileName, sizeof m_szFileName);
    if (lpszFilter != nullptr) {
        m_strFilter = lpszFilter;
        for (int i = 0; i < m_strFilter.GetLength(); ++i)
            if (m_strFilter[i] == '|')
                m_strFilter.SetAt(i, '\0');
    }
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof m_szFileName;
    m_ofn.lpstrFileTitle = m_szFileTitle;
    m_ofn.nMaxFileTitle = sizeof m_szFileTitle;
    m_ofn.Flags = dwFlags | OFN_ENABLESIZING | OFN_EXPLORER;
    m_ofn.nFilterIndex = 1;
}

INT_PTR CFileDialog::DoModal()
{
    // The record points into this object only now, when it can no longer move.
    m_ofn.lpstrDefExt = m_strDefExt.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_strDefExt);
    m_ofn.lpstrFilter = m_strFilter.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_strFilter);
    if (m_pParentWnd != nullptr)
        m_ofn.hwndOwner = m_pParentWnd->m_hWnd;
    else if (CWnd* pMain = AfxGetMainWnd())
        m_ofn.hwndOwner = pMain->m_hWnd;
    const BOOL bResult = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return bResult ? IDOK : IDCANCEL;
}
