// cGifOptions: initial settings and the settings record.
#include "GifOptions.h"

cGifOptions::cGifOptions()
    : m_nTransparency(transparencyFirstImage), m_bExpand(FALSE), m_nFrameRate(5), m_nLoopCount(0),
      m_wReserved(0), m_nOutputWidth(0), m_nOutputHeight(0), m_nColours(kMaxColours), m_nLossiness(0),
      m_dwMaxSize(0)
{
}

BOOL cGifOptions::HasSizeChoices() const
{
    return m_nOutputWidth != 0 || m_nOutputHeight != 0 || m_nColours != kMaxColours || m_nLossiness != 0
           || m_dwMaxSize != 0;
}

void cGifOptions::SerializeSizeChoices(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(0) << m_nOutputWidth << m_nOutputHeight << m_nColours << m_nLossiness
           << m_dwMaxSize;
        return;
    }
    DWORD dwVersion, nWidth, nHeight, nColours, nLossiness, dwMaxSize;
    ar >> dwVersion;
    if (dwVersion != 0)
        AfxThrowArchiveException(CArchiveException::badSchema);
    ar >> nWidth >> nHeight >> nColours >> nLossiness >> dwMaxSize;
    if (nWidth > kMaxSide || nHeight > kMaxSide || nColours < kMinColours || nColours > kMaxColours
        || nLossiness > kMaxLossiness)
        AfxThrowArchiveException(CArchiveException::generic);
    m_nOutputWidth = nWidth;
    m_nOutputHeight = nHeight;
    m_nColours = nColours;
    m_nLossiness = nLossiness;
    m_dwMaxSize = dwMaxSize;
}

void cGifOptions::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << static_cast<DWORD>(0) << m_strOutput << static_cast<DWORD>(m_nTransparency)
           << static_cast<DWORD>(m_bExpand) << m_nFrameRate << m_nLoopCount << m_wReserved;
        return;
    }
    DWORD dwVersion;
    ar >> dwVersion;
    if (dwVersion != 0)
        return;
    CString strOutput;
    DWORD dwTransparency, dwExpand;
    WORD nFrameRate, nLoopCount, wReserved;
    ar >> strOutput >> dwTransparency >> dwExpand >> nFrameRate >> nLoopCount >> wReserved;
    m_strOutput = strOutput;
    m_nTransparency = static_cast<int>(dwTransparency);
    m_bExpand = static_cast<BOOL>(dwExpand);
    m_nFrameRate = nFrameRate;
    m_nLoopCount = nLoopCount;
    m_wReserved = wReserved;
}
