// cAVIFile: the movie's record, its open count around one shared reader, its
// frames and format, and the per-frame file names of batch conversion.
#include "AVIFile.h"

#include "AVIReader.h"
#include "DrawDib.h"

#include <climits>
#include <cstring>

IMPLEMENT_SERIAL(cAVIFile, cImageList, 0)

namespace {

// The frame-name buffer that every movie node shares.
CString& FrameNameBuffer()
{
    static CString s_strFrameName;
    return s_strFrameName;
}

} // namespace

cAVIFile::cAVIFile()
    : m_nOpenCount(0), m_pReader(nullptr), m_pszRefusal(nullptr)
{
    m_nType = typeMovie;
}

cAVIFile::cAVIFile(LPCSTR lpszPath) : cAVIFile()
{
    m_strPath = lpszPath;
    cTestNode::SetName(lpszPath);
}

cAVIFile::~cAVIFile()
{
    // Every Open should have been closed by now; a node destroyed open must
    // still let go of its movie and library.
    ASSERT(m_nOpenCount == 0);
    delete m_pReader;
}

BOOL cAVIFile::GetFileInfo(AVIFILEINFOA* pInfo)
{
    if (m_pReader == nullptr || pInfo == nullptr)
        return FALSE;
    AVIFILEINFOA info;
    if (m_pReader->GetFileInfo(&info) != 0)
        return FALSE;
    *pInfo = info;
    return TRUE;
}

BOOL cAVIFile::GetFrameClock(DWORD& dwRate, DWORD& dwScale, LONG& nWidth, LONG& nHeight)
{
    AVIFILEINFOA info;
    if (!GetFileInfo(&info))
        return FALSE;
    dwRate = info.dwRate;
    dwScale = info.dwScale;
    nWidth = static_cast<LONG>(info.dwWidth);
    nHeight = static_cast<LONG>(info.dwHeight);
    return TRUE;
}

void cAVIFile::Serialize(CArchive& ar)
{
    cImageList::Serialize(ar);
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(0) << m_strPath;
    } else {
        DWORD dwVersion;
        ar >> dwVersion;
        // Other versions end the record here.
        if (dwVersion == 0)
            ar >> m_strPath;
    }
}

LPCSTR cAVIFile::GetName(int nFrame)
{
    if (nFrame == -1)
        return m_strName;
    // Folder, file name, frame number, then the extension: the part of the
    // file name from its last dot on (a dot in a folder name is no extension).
    int nNameStart = m_strName.GetLength();
    while (nNameStart > 0 && std::strchr("\\/:", m_strName[nNameStart - 1]) == nullptr)
        --nNameStart;
    int nExtension = m_strName.ReverseFind('.');
    if (nExtension < nNameStart)
        nExtension = m_strName.GetLength();
    CString strNumber;
    strNumber.Format("%03d", nFrame);
    CString& strFrameName = FrameNameBuffer();
    strFrameName = m_strName.Left(nExtension) + strNumber + m_strName.Mid(nExtension);
    return strFrameName;
}

int cAVIFile::GetFrameCount()
{
    AVIFILEINFOA info;
    if (!GetFileInfo(&info))
        return 0;
    // The file's length in frames of its main rate, not the stream's own.
    return info.dwLength > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(info.dwLength);
}

cDrawDib* cAVIFile::GetFrame(int nFrame)
{
    m_pszRefusal = nullptr;
    if (m_pReader == nullptr)
        return nullptr;
    const BITMAPINFOHEADER* pPacked = m_pReader->GetFrame(nFrame);
    if (pPacked == nullptr)
        return nullptr;
    // Copied at once: the decoder reuses its frame at the next request.
    cDrawDib* pDib = new cDrawDib;
    if (!pDib->SetFromPackedDib(pPacked)) {
        m_pszRefusal = pDib->GetRefusal();
        delete pDib;            // a header with zeroed rows is not the frame
        return nullptr;
    }
    return pDib;
}

LPCSTR cAVIFile::GetFrameRefusal()
{
    return m_pszRefusal;
}

cDrawDib* cAVIFile::GetFrameFormat(int nFrame)
{
    (void)nFrame;               // a movie keeps one format for all its frames
    if (m_pReader == nullptr)
        return nullptr;
    const BITMAPINFOHEADER* pFormat = m_pReader->GetFormat();
    cDrawDib* pDib = new cDrawDib;
    if (!pDib->Create(pFormat->biWidth, pFormat->biHeight, pFormat->biBitCount)) {
        delete pDib;
        return nullptr;
    }
    const DWORD nTable = pDib->GetColorCount();
    if (nTable == 0)
        return pDib;

    // The colours follow the header; never more than this table holds or
    // than the format block brought.
    DWORD nColors = pFormat->biClrUsed != 0 ? pFormat->biClrUsed : nTable;
    if (nColors > nTable)
        nColors = nTable;
    const DWORD nAvailable = (static_cast<DWORD>(m_pReader->GetFormatSize()) - pFormat->biSize) / sizeof(RGBQUAD);
    if (nColors > nAvailable)
        nColors = nAvailable;
    std::memcpy(pDib->GetColorTable(), reinterpret_cast<const BYTE*>(pFormat) + pFormat->biSize,
                nColors * sizeof(RGBQUAD));
    return pDib;
}

int cAVIFile::GetChildCount()
{
    return 0;
}

cTestNode* cAVIFile::GetChild(int i)
{
    (void)i;
    return nullptr;
}

BOOL cAVIFile::Open()
{
    if (m_nOpenCount == 0) {
        try {
            m_pReader = new cAVIReader(m_strPath);
            ++m_nOpenCount;
        } catch (CException* e) {
            // Any failure to open is the same to the walker: no frames.
            e->Delete();
            m_pReader = nullptr;
        }
    } else {
        ++m_nOpenCount;
    }
    return m_nOpenCount > 0;
}

void cAVIFile::Close()
{
    if (m_nOpenCount == 0)
        return;                 // the matching Open failed
    if (--m_nOpenCount == 0) {
        delete m_pReader;
        m_pReader = nullptr;
    }
}
