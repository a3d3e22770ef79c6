// CFileDialog: the OPENFILENAME record and the call of the system dialog.
#include "FileDialog.h"
#include "WinApp.h"
#include "Wnd.h"

namespace {

typedef BOOL(WINAPI* FileNameDialog)(LPOPENFILENAMEA);

// The common dialog library is loaded when the first file dialog opens, not
// at start: it brings the shell's libraries along, and a program that never
// asks for a file name (the console twin) would pay for loading them on every
// run. It stays loaded for the life of the process. Null when it cannot be had.
FileNameDialog FindFileNameDialog(BOOL bOpenFileDialog)
{
    static const HMODULE hLibrary = ::LoadLibraryA("comdlg32.dll");
    if (hLibrary == nullptr)
        return nullptr;
    const FARPROC pfn = ::GetProcAddress(hLibrary, bOpenFileDialog ? "GetOpenFileNameA" : "GetSaveFileNameA");
    return reinterpret_cast<FileNameDialog>(reinterpret_cast<void (*)()>(pfn));
}

} // namespace

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
        // The window the user is working in: a modal dialog over the main
        // window when there is one, so that closing this dialog does not
        // give the main window back its input while that dialog is still up.
        m_ofn.hwndOwner = pMain->m_hWnd != nullptr ? ::GetLastActivePopup(pMain->m_hWnd) : nullptr;
    const FileNameDialog pfnDialog = FindFileNameDialog(m_bOpenFileDialog);
    return pfnDialog != nullptr && pfnDialog(&m_ofn) ? IDOK : IDCANCEL;
}
