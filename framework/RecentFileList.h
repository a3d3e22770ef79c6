// CRecentFileList: the most recently opened documents, newest first, kept in
// the private profile and shown in place of the File menu's first recent-file item.
#pragma once

#include "AfxString.h"

#include <vector>

class CCmdUI;

class CRecentFileList
{
public:
// Construction
    CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize);

// Attributes
    int GetSize() const { return m_nSize; }
    int GetCount() const { return static_cast<int>(m_arrNames.size()); }
    const CString& operator[](int nIndex) const { return m_arrNames[nIndex]; }

// Operations
    // Moves an existing entry (compared without regard to case) to the top,
    // or puts a new one there, dropping the oldest beyond the size.
    void Add(LPCSTR lpszPathName);
    void Remove(int nIndex);
    void ReadList(LPCSTR lpszProfile);
    void WriteList(LPCSTR lpszProfile) const;
    // Replaces the menu's run of recent-file items (from the item pCmdUI
    // names) by the current list, or by one grey item when it is empty.
    void UpdateMenu(CCmdUI* pCmdUI) const;
    // The menu text of entry nIndex: "&1 path", shortened when long.
    CString GetDisplayName(int nIndex) const;

// Implementation
private:
    UINT m_nStart;
    CString m_strSectionName;
    CString m_strEntryFormat;
    int m_nSize;
    std::vector<CString> m_arrNames;
};
