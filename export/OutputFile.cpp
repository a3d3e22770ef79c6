// cOutputFile: write beside the target, then replace it.
#include "OutputFile.h"

namespace {

// The folder part of a path, with its final separator; "." when there is none.
CString FolderOf(LPCSTR pszPath)
{
    char szFull[MAX_PATH];
    LPSTR pszFilePart = nullptr;
    const DWORD n = ::GetFullPathNameA(pszPath, sizeof szFull, szFull, &pszFilePart);
    if (n == 0 || n >= sizeof szFull || pszFilePart == nullptr)
        return CString();
    *pszFilePart = '\0';
    return CString(szFull);
}

} // namespace

cOutputFile::cOutputFile(LPCSTR pszTarget)
    : m_strTarget(pszTarget), m_bCommitted(FALSE)
{
}

cOutputFile::~cOutputFile()
{
    if (!m_bCommitted && !m_strTemp.IsEmpty())
        ::DeleteFileA(m_strTemp);
}

BOOL cOutputFile::Create()
{
    if (m_strTarget.IsEmpty())
        return FALSE;
    // The file system may let a rename replace a read-only file; the user
    // marked it so that it stays.
    const DWORD dwAttributes = ::GetFileAttributesA(m_strTarget);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES
        && (dwAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return FALSE;
    const CString strFolder = FolderOf(m_strTarget);
    if (strFolder.IsEmpty())
        return FALSE;
    // Beside the target, so that the final move is a rename within one
    // volume; a name of its own, made new, so that no file is taken over.
    DWORD dwSeed = ::GetTickCount() ^ (::GetCurrentProcessId() << 16);
    for (int nTry = 0; nTry < 100; ++nTry, dwSeed = dwSeed * 1103515245u + 12345u) {
        char szName[32];
        ::wsprintfA(szName, "~rw%04X.gif", static_cast<unsigned>((dwSeed >> 8) & 0xFFFF));
        const CString strTemp = strFolder + szName;
        if (strTemp.GetLength() >= MAX_PATH)
            return FALSE;
        HANDLE hFile = ::CreateFileA(strTemp, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            ::CloseHandle(hFile);
            m_strTemp = strTemp;
            return TRUE;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return FALSE;       // the folder is missing or takes no files
    }
    return FALSE;
}

BOOL cOutputFile::IsFinished() const
{
    HANDLE hFile = ::CreateFileA(m_strTemp, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    BYTE last = 0;
    DWORD nRead = 0;
    const DWORD dwSize = ::GetFileSize(hFile, nullptr);
    const BOOL bRead = dwSize != INVALID_FILE_SIZE && dwSize > 13
                       && ::SetFilePointer(hFile, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER
                       && ::ReadFile(hFile, &last, 1, &nRead, nullptr) && nRead == 1;
    ::CloseHandle(hFile);
    return bRead && last == 0x3B;
}

BOOL cOutputFile::Commit()
{
    if (m_strTemp.IsEmpty()
        || !::MoveFileExA(m_strTemp, m_strTarget, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FALSE;
    m_bCommitted = TRUE;
    return TRUE;
}
