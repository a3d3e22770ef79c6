// cGifAviStream: AVIFile's objects for one GIF, taken and given back in order.
#include "GifAviStream.h"

#include "FrameRecord.h"

cGifAviStream::cGifAviStream() : m_bSession(FALSE), m_pFile(nullptr), m_pStream(nullptr), m_hrOpen(S_OK)
{
}

cGifAviStream::~cGifAviStream()
{
    Release();
}

cGifAviStream::OpenResult cGifAviStream::Open(LPCSTR pszFile, CLSID* pHandler, DWORD dwRate, DWORD dwScale,
                                              LONG nWidth, LONG nHeight)
{
    if (!m_lib.Load())
        return libraryFailed;
    m_lib.FileInit();
    m_bSession = TRUE;
    m_hrOpen = m_lib.FileOpen(&m_pFile, pszFile, OF_CREATE | OF_SHARE_EXCLUSIVE | OF_READWRITE, pHandler);
    if (m_hrOpen != S_OK || m_pFile == nullptr) {
        m_pFile = nullptr;
        return fileFailed;
    }
    AVISTREAMINFOA info;
    MakeVideoHeader(info, dwRate, dwScale, nWidth, nHeight);
    if (m_lib.FileCreateStream(m_pFile, &m_pStream, &info) != S_OK || m_pStream == nullptr) {
        m_pStream = nullptr;
        return streamFailed;
    }
    m_pWriter.reset(new cGifStreamWriter(m_pStream));
    return opened;
}

void cGifAviStream::Release()
{
    // The handler finishes its file only when the stream and then the file
    // are released: the stream goes first.
    m_pWriter.reset();
    if (m_pStream != nullptr)
        m_lib.StreamRelease(m_pStream);
    m_pStream = nullptr;
    if (m_pFile != nullptr)
        m_lib.FileRelease(m_pFile);
    m_pFile = nullptr;
    if (m_bSession)
        m_lib.FileExit();
    m_bSession = FALSE;
    m_lib.Unload();
}
