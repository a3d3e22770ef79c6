// CRecentFileList: the list, its profile section and its menu items.
#include "RecentFileList.h"
#include "CmdUI.h"

CRecentFileList::CRecentFileList(UINT nStart, LPCSTR lpszSection, LPCSTR lpszEntryFormat, int nSize)
    : m_nStart(nStart), m_strSectionName(lpszSection), m_strEntryFormat(lpszEntryFormat), m_nSize(nSize)
{
    ASSERT(nSize > 0 && nSize <= 16);
}

void CRecentFileList::Add(LPCSTR lpszPathName)
{
    if (lpszPathName == nullptr || *lpszPathName == '\0')
        return;
    for (size_t i = 0; i < m_arrNames.size(); ++i) {
        if (m_arrNames[i].CompareNoCase(lpszPathName) == 0) {
            m_arrNames.erase(m_arrNames.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    m_arrNames.insert(m_arrNames.begin(), CString(lpszPathName));
    if (static_cast<int>(m_arrNames.size()) > m_nSize)
        m_arrNames.resize(m_nSize);
}

void CRecentFileList::Remove(int nIndex)
{
    if (nIndex >= 0 && nIndex < GetCount())
        m_arrNames.erase(m_arrNames.begin() + nIndex);
}

void CRecentFileList::ReadList(LPCSTR lpszProfile)
{
    m_arrNames.clear();
    for (int i = 0; i < m_nSize; ++i) {
        CString strEntry;
        strEntry.Format(m_strEntryFormat, i + 1);
        char szPath[MAX_PATH];
        ::GetPrivateProfileStringA(m_strSectionName, strEntry, "", szPath, sizeof szPath, lpszProfile);
        if (szPath[0] != '\0')
            m_arrNames.push_back(CString(szPath));
    }
}

void CRecentFileList::WriteList(LPCSTR lpszProfile) const
{
    // The whole section is written anew, so entries beyond the list go away.
    ::WritePrivateProfileStringA(m_strSectionName, nullptr, nullptr, lpszProfile);
    for (int i = 0; i < GetCount(); ++i) {
        CString strEntry;
        strEntry.Format(m_strEntryFormat, i + 1);
        ::WritePrivateProfileStringA(m_strSectionName, strEntry, m_arrNames[i], lpszProfile);
    }
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, lpszProfile);     // flush
}

CString CRecentFileList::GetDisplayName(int nIndex) const
{
    const CString& strPath = m_arrNames[nIndex];
    CString strShown = strPath;
    const int nMaxShown = 40;
    if (strPath.GetLength() > nMaxShown) {
        // Keep the drive and the file name, which tell the files apart.
        const int nFile = strPath.ReverseFind('\\');
        const int nRoot = strPath.Find('\\');
        if (nFile > nRoot && nRoot >= 0)
            strShown = strPath.Left(nRoot + 1) + "..." + strPath.Mid(nFile);
    }
    // An ampersand in a name would underline the next letter.
    CString strEscaped;
    for (int i = 0; i < strShown.GetLength(); ++i) {
        if (strShown[i] == '&')
            strEscaped += '&';
        strEscaped += strShown[i];
    }
    CString strText;
    strText.Format("&%d %s", nIndex + 1, static_cast<LPCSTR>(strEscaped));
    return strText;
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) const
{
    HMENU hMenu = pCmdUI->m_hMenu;
    if (hMenu == nullptr)
        return;
    // Remove every recent-file item, wherever the last update left them.
    for (int i = 0; i < m_nSize; ++i)
        ::DeleteMenu(hMenu, m_nStart + i, MF_BYCOMMAND);

    const UINT nPosition = pCmdUI->m_nIndex;
    if (m_arrNames.empty()) {
        ::InsertMenuA(hMenu, nPosition, MF_BYPOSITION | MF_STRING | MF_GRAYED, m_nStart, "Recent File");
        return;
    }
    for (int i = 0; i < GetCount(); ++i)
        ::InsertMenuA(hMenu, nPosition + i, MF_BYPOSITION | MF_STRING, m_nStart + i, GetDisplayName(i));
}
