// cOutputFile: write beside the target, then replace it.
#include "OutputFile.h"

#include <cctype>
#include <cstring>

namespace {

const char kTempPattern[] = "~rw????.gif";

// Whether the name is one Create makes: "~rw", four hexadecimal digits, ".gif".
BOOL IsTempName(LPCSTR pszName)
{
    if (std::strlen(pszName) != 11 || ::_strnicmp(pszName, "~rw", 3) != 0 || ::_stricmp(pszName + 7, ".gif") != 0)
        return FALSE;
    for (int i = 3; i < 7; ++i)
        if (!std::isxdigit(static_cast<unsigned char>(pszName[i])))
            return FALSE;
    return TRUE;
}

} // namespace

cOutputFile::cOutputFile(LPCSTR pszTarget)
    : m_strTarget(pszTarget), m_hTemp(INVALID_HANDLE_VALUE), m_bCommitted(FALSE), m_nSize(0)
{
}

cOutputFile::~cOutputFile()
{
    // Deleted while still held, so that no sweep can take it for an orphan
    // in between; it goes when the handle closes.
    if (!m_bCommitted && !m_strTemp.IsEmpty())
        ::DeleteFileA(m_strTemp);
    if (m_hTemp != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hTemp);
}

CString cOutputFile::FolderOf(LPCSTR pszPath)
{
    char szFull[MAX_PATH];
    LPSTR pszFilePart = nullptr;
    const DWORD n = ::GetFullPathNameA(pszPath, sizeof szFull, szFull, &pszFilePart);
    if (n == 0 || n >= sizeof szFull || pszFilePart == nullptr)
        return CString();
    *pszFilePart = '\0';
    return CString(szFull);
}

void cOutputFile::Fail(DWORD dwError)
{
    char szText[512] = "";
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0,
                                     szText, sizeof szText, nullptr);
    // The system's text ends with a line break.
    size_t nLength = n < sizeof szText ? n : 0;
    while (nLength > 0 && std::isspace(static_cast<unsigned char>(szText[nLength - 1])))
        --nLength;
    szText[nLength] = '\0';
    if (nLength == 0)
        ::wsprintfA(szText, "system error %lu", dwError);
    m_strReason = szText;
}

BOOL cOutputFile::Create()
{
    if (m_strTarget.IsEmpty()) {
        m_strReason = "the file has no name";
        return FALSE;
    }
    // The file system may let a rename replace a read-only file; the user
    // marked it so that it stays.
    const DWORD dwAttributes = ::GetFileAttributesA(m_strTarget);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        m_strReason = "a folder has that name";
        return FALSE;
    }
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        m_strReason = "the file is read-only";
        return FALSE;
    }
    // A missing folder or a name the file system refuses is told now, not
    // after the whole file was written under the temporary name.
    if (dwAttributes == INVALID_FILE_ATTRIBUTES && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        Fail(::GetLastError());
        return FALSE;
    }
    const CString strFolder = FolderOf(m_strTarget);
    if (strFolder.IsEmpty()) {
        m_strReason = "its path is too long";
        return FALSE;
    }
    // Beside the target, so that the final move is a rename within one
    // volume; a name of its own, made new, so that no file is taken over.
    // Held open for reading only, sharing everything: the GIF handler opens
    // it again to write.
    DWORD dwSeed = ::GetTickCount() ^ (::GetCurrentProcessId() << 16);
    for (int nTry = 0; nTry < 100; ++nTry, dwSeed = dwSeed * 1103515245u + 12345u) {
        char szName[32];
        ::wsprintfA(szName, "~rw%04X.gif", static_cast<unsigned>((dwSeed >> 8) & 0xFFFF));
        const CString strTemp = strFolder + szName;
        if (strTemp.GetLength() >= MAX_PATH) {
            m_strReason = "its path is too long";
            return FALSE;
        }
        HANDLE hFile = ::CreateFileA(strTemp, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE) {
            m_hTemp = hFile;
            m_strTemp = strTemp;
            return TRUE;
        }
        const DWORD dwError = ::GetLastError();
        if (dwError != ERROR_FILE_EXISTS && dwError != ERROR_ALREADY_EXISTS) {
            Fail(dwError);      // the folder is missing or takes no files
            return FALSE;
        }
    }
    m_strReason = "no temporary name was free beside it";
    return FALSE;
}

BOOL cOutputFile::IsFinished() const
{
    if (m_hTemp == INVALID_HANDLE_VALUE)
        return FALSE;
    BYTE last = 0;
    DWORD nRead = 0;
    const DWORD dwSize = ::GetFileSize(m_hTemp, nullptr);
    const BOOL bRead = dwSize != INVALID_FILE_SIZE && dwSize > 13
                       && ::SetFilePointer(m_hTemp, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER
                       && ::ReadFile(m_hTemp, &last, 1, &nRead, nullptr) && nRead == 1;
    return bRead && last == 0x3B;
}

BOOL cOutputFile::Commit()
{
    if (m_strTemp.IsEmpty())
        return FALSE;
    DWORD dwSizeHigh = 0;
    const DWORD dwSizeLow = ::GetFileSize(m_hTemp, &dwSizeHigh);
    if (!::MoveFileExA(m_strTemp, m_strTarget, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Fail(::GetLastError());
        return FALSE;
    }
    m_bCommitted = TRUE;
    m_nSize = dwSizeLow != INVALID_FILE_SIZE ? (static_cast<ULONGLONG>(dwSizeHigh) << 32) | dwSizeLow : 0;
    return TRUE;
}

void cOutputFile::RemoveOrphans(LPCSTR pszFolder)
{
    const CString strFolder(pszFolder);
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(strFolder + kTempPattern, &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !IsTempName(found.cFileName))
            continue;
        // Opened to delete, sharing nothing: that fails while any process
        // holds the file open, a live export's writer or its reservation,
        // so a file in use is never taken; the deletion happens on close.
        HANDLE hFile = ::CreateFileA(strFolder + found.cFileName, DELETE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
            ::CloseHandle(hFile);
    } while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
}
