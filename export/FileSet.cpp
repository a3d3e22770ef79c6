// cFileSet: identities and full names.
#include "FileSet.h"

#include <vector>

void cFileSet::Add(LPCSTR pszPath)
{
    Identity identity;
    if (GetIdentity(pszPath, identity))
        m_identities.insert(identity);
    m_names.insert(NameKey(pszPath));
}

BOOL cFileSet::Contains(LPCSTR pszPath) const
{
    Identity identity;
    if (GetIdentity(pszPath, identity))
        return m_identities.count(identity) != 0;
    return m_names.count(NameKey(pszPath)) != 0;
}

BOOL cFileSet::GetIdentity(LPCSTR pszPath, Identity& identity)
{
    // No access asked and every sharing mode allowed: a file another
    // program holds open still answers.
    HANDLE hFile = ::CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL bGot = ::GetFileInformationByHandle(hFile, &info);
    ::CloseHandle(hFile);
    if (!bGot)
        return FALSE;
    identity.dwVolume = info.dwVolumeSerialNumber;
    identity.nIndexHigh = info.nFileIndexHigh;
    identity.nIndexLow = info.nFileIndexLow;
    return TRUE;
}

std::string cFileSet::NameKey(LPCSTR pszPath)
{
    std::string key = pszPath;
    const DWORD nFull = ::GetFullPathNameA(pszPath, 0, nullptr, nullptr);
    if (nFull > 0) {
        std::vector<char> full(nFull + 1);
        const DWORD n = ::GetFullPathNameA(pszPath, nFull + 1, full.data(), nullptr);
        if (n > 0 && n <= nFull)
            key = full.data();
    }
    const DWORD nLong = ::GetLongPathNameA(key.c_str(), nullptr, 0);
    if (nLong > 0) {
        std::vector<char> longName(nLong + 1);
        const DWORD n = ::GetLongPathNameA(key.c_str(), longName.data(), nLong + 1);
        if (n > 0 && n <= nLong)
            key = longName.data();
    }
    ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}
