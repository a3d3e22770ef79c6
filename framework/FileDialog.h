// CFileDialog: the system's Open and Save As dialogs, with a filter written
// as "Name|pattern|Name|pattern||".
#pragma once

#include "AfxString.h"
#include "Object.h"

#include <commdlg.h>

class CWnd;

class CFileDialog : public CObject
{
public:
// Construction
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);

// Attributes
    OPENFILENAMEA m_ofn;
    CString GetPathName() const { return CString(m_szFileName); }

// Operations
    // IDOK with the chosen path, or IDCANCEL (also when the dialog failed).
    virtual INT_PTR DoModal();

// Implementation
private:
    BOOL m_bOpenFileDialog;
    CString m_strFilter;            // with the bars turned into terminators
    CString m_strDefExt;
    CWnd* m_pParentWnd;
    char m_szFileName[MAX_PATH];
    char m_szFileTitle[MAX_PATH];
};
