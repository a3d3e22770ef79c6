// Opening a movie through the run-time AVIFile library, and its 8.3 path.
// Short names keep AVIFile's handlers that only know 8.3 names working.
#include "AVIReader.h"

#include "MemoryException.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

const int kShortPathChars = MAX_PATH;           // 260, terminator included
// Far beyond any real video format (a header, 256 colours and codec data);
// a larger claim comes from a damaged file.
const LONG kMaxFormatSize = 1024 * 1024;

BOOL IsSeparator(char ch)
{
    return ch == '\\' || ch == '/' || ch == ':';
}

} // namespace

cAVIReader::cAVIReader(LPCSTR pszPath, BITMAPINFOHEADER* pWantedFormat, LONG lStream)
    : m_pFile(nullptr), m_pStream(nullptr), m_pGetFrame(nullptr),
      m_pFormat(nullptr), m_cbFormat(0), m_pFieldFrame(nullptr), m_cbFieldRows(0), m_bFileInit(FALSE)
{
    if (!Open(pszPath, pWantedFormat, lStream)) {
        Close();
        AfxThrowMemoryException();
    }
}

cAVIReader::~cAVIReader()
{
    Close();
}

HRESULT cAVIReader::GetFileInfo(AVIFILEINFOA* pInfo)
{
    if (pInfo == nullptr || m_pFile == nullptr)
        return AVIERR_BADPARAM;
    return m_lib.FileInfo(m_pFile, pInfo, sizeof(AVIFILEINFOA));
}

const BITMAPINFOHEADER* cAVIReader::GetFrame(LONG lPos)
{
    if (lPos < 0)
        return nullptr;
    if (m_pFieldFrame != nullptr)
        return ReadFieldRows(lPos);
    if (m_pGetFrame == nullptr)
        return nullptr;
    return static_cast<const BITMAPINFOHEADER*>(m_lib.StreamGetFrame(m_pGetFrame, lPos));
}

BOOL cAVIReader::OpenFieldRows()
{
    const BITMAPINFOHEADER* pFormat = GetFormat();
    const LONG cbMasks = 3 * sizeof(DWORD);
    // The masks follow a 40-byte header, or are the first fields of a larger one.
    if (static_cast<LONG>(sizeof(BITMAPINFOHEADER)) + cbMasks > m_cbFormat)
        return FALSE;
    const ULONGLONG nWidth = pFormat->biWidth > 0 ? static_cast<ULONGLONG>(pFormat->biWidth) : 0;
    const ULONGLONG nHeight = static_cast<ULONGLONG>(pFormat->biHeight < 0 ? -static_cast<LONGLONG>(pFormat->biHeight)
                                                                             : pFormat->biHeight);
    const ULONGLONG cbRows = (nWidth * pFormat->biBitCount + 31) / 32 * 4 * nHeight;
    if (cbRows == 0 || cbRows > 0x7FFFFFF0ULL - sizeof(BITMAPINFOHEADER) - cbMasks)
        return FALSE;
    m_cbFieldRows = static_cast<DWORD>(cbRows);
    m_pFieldFrame = new (std::nothrow) BYTE[sizeof(BITMAPINFOHEADER) + cbMasks + m_cbFieldRows];
    if (m_pFieldFrame == nullptr)
        return FALSE;
    BITMAPINFOHEADER header = *pFormat;
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biSizeImage = m_cbFieldRows;
    header.biClrUsed = 0;
    std::memcpy(m_pFieldFrame, &header, sizeof header);
    std::memcpy(m_pFieldFrame + sizeof header, m_pFormat + sizeof header, cbMasks);
    return TRUE;
}

// A sample shorter than the rows is damage; padding after them is not.
const BITMAPINFOHEADER* cAVIReader::ReadFieldRows(LONG lPos)
{
    BYTE* pRows = m_pFieldFrame + sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD);
    LONG cbSample = 0;
    if (m_lib.StreamRead(m_pStream, lPos, nullptr, 0, &cbSample) != 0
        || cbSample < static_cast<LONG>(m_cbFieldRows))
        return nullptr;
    if (cbSample == static_cast<LONG>(m_cbFieldRows))
        return m_lib.StreamRead(m_pStream, lPos, pRows, cbSample, &cbSample) == 0
                   ? reinterpret_cast<const BITMAPINFOHEADER*>(m_pFieldFrame) : nullptr;
    std::unique_ptr<BYTE[]> pSample(new (std::nothrow) BYTE[cbSample]);
    if (pSample == nullptr || m_lib.StreamRead(m_pStream, lPos, pSample.get(), cbSample, &cbSample) != 0)
        return nullptr;
    std::memcpy(pRows, pSample.get(), m_cbFieldRows);
    return reinterpret_cast<const BITMAPINFOHEADER*>(m_pFieldFrame);
}

BOOL cAVIReader::BuildShortPath(LPCSTR pszPath, LPSTR pszShort, int cchShort)
{
    if (pszShort == nullptr || cchShort <= 0)
        return FALSE;
    pszShort[0] = '\0';
    // Wildcards would let the directory search find some other file.
    if (pszPath == nullptr || std::strpbrk(pszPath, "*?") != nullptr)
        return FALSE;
    const size_t nPathLength = std::strlen(pszPath);
    if (nPathLength == 0 || nPathLength >= static_cast<size_t>(kShortPathChars))
        return FALSE;

    // Drive and folders with their trailing separator, then the file name.
    size_t nNameStart = nPathLength;
    while (nNameStart > 0 && !IsSeparator(pszPath[nNameStart - 1]))
        --nNameStart;
    if (nNameStart == nPathLength)
        return FALSE;

    char szFolder[kShortPathChars];
    std::memcpy(szFolder, pszPath, nNameStart);
    szFolder[nNameStart] = '\0';
    char szShort[kShortPathChars] = "";
    if (nNameStart > 0) {
        const DWORD cch = ::GetShortPathNameA(szFolder, szShort, kShortPathChars);
        if (cch == 0 || cch >= static_cast<DWORD>(kShortPathChars))
            return FALSE;
    }

    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(pszPath, &found);
    if (hFind == INVALID_HANDLE_VALUE)
        return FALSE;
    ::FindClose(hFind);
    const char* pszName = found.cAlternateFileName[0] != '\0' ? found.cAlternateFileName : found.cFileName;

    const size_t nFolder = std::strlen(szShort), nName = std::strlen(pszName);
    if (nFolder + nName >= static_cast<size_t>(kShortPathChars) || nFolder + nName >= static_cast<size_t>(cchShort))
        return FALSE;
    std::memcpy(pszShort, szShort, nFolder);
    std::memcpy(pszShort + nFolder, pszName, nName + 1);
    return TRUE;
}

BOOL cAVIReader::Open(LPCSTR pszPath, BITMAPINFOHEADER* pWantedFormat, LONG lStream)
{
    if (!m_lib.Load())
        return FALSE;
    char szShort[kShortPathChars];
    if (!BuildShortPath(pszPath, szShort, kShortPathChars))
        return FALSE;
    m_lib.FileInit();
    m_bFileInit = TRUE;
    if (m_lib.FileOpen(&m_pFile, szShort, OF_READ, nullptr) != 0 || m_pFile == nullptr) {
        m_pFile = nullptr;
        return FALSE;
    }
    if (m_lib.FileGetStream(m_pFile, &m_pStream, streamtypeVIDEO, lStream) != 0 || m_pStream == nullptr) {
        m_pStream = nullptr;
        return FALSE;
    }
    if (!ReadFormat())
        return FALSE;
    if (GetFormat()->biCompression == BI_BITFIELDS)
        return OpenFieldRows();
    m_pGetFrame = m_lib.StreamGetFrameOpen(m_pStream, pWantedFormat);
    return m_pGetFrame != nullptr;
}

// A frame format that cannot be read, or that is not at least a whole
// BITMAPINFOHEADER, leaves nothing to describe the frames: the movie does not open.
BOOL cAVIReader::ReadFormat()
{
    LONG cbFormat = 0;
    if (m_lib.StreamReadFormat(m_pStream, 0, nullptr, &cbFormat) != 0
        || cbFormat < static_cast<LONG>(sizeof(BITMAPINFOHEADER)) || cbFormat > kMaxFormatSize)
        return FALSE;
    m_pFormat = new (std::nothrow) BYTE[cbFormat];
    if (m_pFormat == nullptr)
        return FALSE;
    std::memset(m_pFormat, 0, cbFormat);
    LONG cbRead = cbFormat;
    if (m_lib.StreamReadFormat(m_pStream, 0, m_pFormat, &cbRead) != 0
        || cbRead < static_cast<LONG>(sizeof(BITMAPINFOHEADER)) || cbRead > cbFormat)
        return FALSE;
    m_cbFormat = cbRead;
    const BITMAPINFOHEADER* pHeader = GetFormat();
    return pHeader->biSize >= sizeof(BITMAPINFOHEADER) && pHeader->biSize <= static_cast<DWORD>(m_cbFormat);
}

// Releases, in the reverse order of Open, whatever Open acquired.
void cAVIReader::Close()
{
    if (m_pGetFrame != nullptr) {
        m_lib.StreamGetFrameClose(m_pGetFrame);
        m_pGetFrame = nullptr;
    }
    delete[] m_pFieldFrame;
    m_pFieldFrame = nullptr;
    m_cbFieldRows = 0;
    delete[] m_pFormat;
    m_pFormat = nullptr;
    m_cbFormat = 0;
    if (m_pStream != nullptr) {
        m_lib.StreamRelease(m_pStream);
        m_pStream = nullptr;
    }
    if (m_pFile != nullptr) {
        m_lib.FileRelease(m_pFile);
        m_pFile = nullptr;
    }
    if (m_bFileInit) {
        m_lib.FileExit();
        m_bFileInit = FALSE;
    }
    m_lib.Unload();
}
