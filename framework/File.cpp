// CFile: the open modes mapped onto CreateFileA and the handle operations.
#include "File.h"
#include "FileException.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(HANDLE hFile) : m_hFile(hFile), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(LPCSTR lpszFileName, UINT nOpenFlags) : CFile()
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e))
        AfxThrowFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile()
{
    if (IsOpen() && m_bCloseOnDelete)
        Abort();
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    ASSERT(lpszFileName != nullptr);
    ASSERT(!IsOpen());
    if (IsOpen())
        Abort();
    m_bCloseOnDelete = FALSE;
    m_strFileName = lpszFileName;

    DWORD dwAccess = GENERIC_READ;
    switch (nOpenFlags & 3) {
    case modeRead:      dwAccess = GENERIC_READ; break;
    case modeWrite:     dwAccess = GENERIC_WRITE; break;
    case modeReadWrite: dwAccess = GENERIC_READ | GENERIC_WRITE; break;
    default:            ASSERT(FALSE); break;
    }

    DWORD dwShare = 0;
    switch (nOpenFlags & 0x70) {
    case shareCompat:
    case shareExclusive: dwShare = 0; break;
    case shareDenyWrite: dwShare = FILE_SHARE_READ; break;
    case shareDenyRead:  dwShare = FILE_SHARE_WRITE; break;
    case shareDenyNone:  dwShare = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default:             ASSERT(FALSE); break;
    }

    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, (nOpenFlags & modeNoInherit) == 0};

    DWORD dwCreate = OPEN_EXISTING;
    if (nOpenFlags & modeCreate)
        dwCreate = (nOpenFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    HANDLE hFile = ::CreateFileA(lpszFileName, dwAccess, dwShare, &sa, dwCreate, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) {
        if (pError != nullptr) {
            pError->m_lOsError = static_cast<LONG>(::GetLastError());
            pError->m_cause = CFileException::OsErrorToException(pError->m_lOsError);
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    m_hFile = hFile;
    m_bCloseOnDelete = TRUE;
    return TRUE;
}

CString CFile::GetFileName() const
{
    int nSlash = m_strFileName.ReverseFind('\\');
    const int nForward = m_strFileName.ReverseFind('/');
    if (nForward > nSlash)
        nSlash = nForward;
    const int nColon = m_strFileName.ReverseFind(':');
    if (nColon > nSlash)
        nSlash = nColon;
    return m_strFileName.Mid(nSlash + 1);
}

DWORD CFile::GetPosition() const
{
    ASSERT(IsOpen());
    const DWORD dwPos = ::SetFilePointer(m_hFile, 0, nullptr, FILE_CURRENT);
    if (dwPos == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
        ThrowLastError();
    return dwPos;
}

DWORD CFile::GetLength() const
{
    ASSERT(IsOpen());
    const DWORD dwLength = ::GetFileSize(m_hFile, nullptr);
    if (dwLength == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR)
        ThrowLastError();
    return dwLength;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    ASSERT(IsOpen());
    if (nCount == 0)
        return 0;
    ASSERT(lpBuf != nullptr);
    DWORD dwRead = 0;
    if (!::ReadFile(m_hFile, lpBuf, nCount, &dwRead, nullptr))
        ThrowLastError();
    return dwRead;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    ASSERT(IsOpen());
    if (nCount == 0)
        return;
    ASSERT(lpBuf != nullptr);
    DWORD dwWritten = 0;
    if (!::WriteFile(m_hFile, lpBuf, nCount, &dwWritten, nullptr))
        ThrowLastError();
    // A short write without an error means the volume filled up.
    if (dwWritten < nCount)
        AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
}

LONG CFile::Seek(LONG lOff, UINT nFrom)
{
    ASSERT(IsOpen());
    ASSERT(nFrom == begin || nFrom == current || nFrom == end);
    const DWORD dwPos = ::SetFilePointer(m_hFile, lOff, nullptr, nFrom);
    if (dwPos == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
        ThrowLastError();
    return static_cast<LONG>(dwPos);
}

void CFile::SetLength(DWORD dwNewLen)
{
    ASSERT(IsOpen());
    Seek(static_cast<LONG>(dwNewLen), begin);
    if (!::SetEndOfFile(m_hFile))
        ThrowLastError();
}

void CFile::Flush()
{
    if (IsOpen() && !::FlushFileBuffers(m_hFile))
        ThrowLastError();
}

void CFile::Close()
{
    BOOL bError = FALSE;
    DWORD dwError = NO_ERROR;
    if (IsOpen() && m_bCloseOnDelete && !::CloseHandle(m_hFile)) {
        bError = TRUE;
        dwError = ::GetLastError();
    }
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
    if (bError)
        CFileException::ThrowOsError(static_cast<LONG>(dwError), m_strFileName);
}

void CFile::Abort()
{
    if (IsOpen() && m_bCloseOnDelete)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = FALSE;
}

void CFile::ThrowLastError() const
{
    CFileException::ThrowOsError(static_cast<LONG>(::GetLastError()), m_strFileName);
}
