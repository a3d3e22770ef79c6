// cGifFileWriter: the temporary file, the AVIFile objects, the replacement.
#include "GifFileWriter.h"

#include "FrameRecord.h"

const char kUnableToOpen[] = "Unable to Open File";
const char kFatalWriteError[] = "Fatal error occurred writing GIF file.";

cGifFileWriter::cGifFileWriter(LPCSTR pszTarget, cExportProgress* pProgress)
    : m_strTarget(pszTarget), m_pProgress(pProgress), m_output(pszTarget), m_bSession(FALSE), m_pFile(nullptr),
      m_pStream(nullptr)
{
}

cGifFileWriter::~cGifFileWriter()
{
    Release();
}

BOOL cGifFileWriter::Open(DWORD dwRate, DWORD dwScale, LONG nWidth, LONG nHeight)
{
    if (!m_output.Create()) {
        m_pProgress->ReportFailure(kUnableToOpen, m_strTarget, m_output.GetFailureReason());
        return FALSE;
    }
    // Without the library nothing can be written; the user hears it as the
    // file that could not be opened.
    if (!m_lib.Load()) {
        m_pProgress->ReportFailure(kUnableToOpen, m_strTarget, "AVIFile could not be loaded");
        return FALSE;
    }
    m_lib.FileInit();
    m_bSession = TRUE;
    // AVIFile picks the handler by the name's extension: the temporary
    // name ends in .gif too.
    const HRESULT hr = m_lib.FileOpen(&m_pFile, m_output.GetTempName(), OF_CREATE | OF_SHARE_EXCLUSIVE | OF_READWRITE,
                                      nullptr);
    if (hr != S_OK || m_pFile == nullptr) {
        m_pFile = nullptr;
        char szReason[80];
        ::wsprintfA(szReason, "AVIFile's GIF writer could not open it, error 0x%08lX", static_cast<unsigned long>(hr));
        m_pProgress->ReportFailure(kUnableToOpen, m_strTarget, szReason);
        return FALSE;
    }
    AVISTREAMINFOA info;
    MakeVideoHeader(info, dwRate, dwScale, nWidth, nHeight);
    if (m_lib.FileCreateStream(m_pFile, &m_pStream, &info) != S_OK || m_pStream == nullptr) {
        m_pStream = nullptr;
        m_pProgress->ReportFailure("Unable to Create Stream", m_strTarget);
        return FALSE;
    }
    m_pWriter.reset(new cGifStreamWriter(m_pStream));
    return TRUE;
}

void cGifFileWriter::Release()
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

cGifFileWriter::Result cGifFileWriter::Finish(BOOL bKeep)
{
    // Images still being encoded go into the file first; one that could
    // not be written fails the file.
    const BOOL bImagesIn = bKeep && m_pWriter != nullptr ? m_pWriter->FinishImages() == S_OK : bKeep;
    const LONG nImages = m_pWriter != nullptr ? m_pWriter->GetImageCount() : 0;
    Release();
    if (!bKeep)
        return failed;
    if (!bImagesIn) {
        m_pProgress->ReportFailure("Unable to Write to Stream", m_strTarget);
        return failed;
    }
    if (nImages == 0)
        return empty;
    // A handler that could not write its last bytes does not say so to
    // AVIFile's release; the file's end does.
    if (!m_output.IsFinished()) {
        m_pProgress->ReportFailure("Unable to Write to Stream", m_strTarget);
        return failed;
    }
    if (!m_output.Commit()) {
        m_pProgress->ReportFailure(kUnableToOpen, m_strTarget, m_output.GetFailureReason());
        return failed;
    }
    m_pProgress->FileWritten(m_strTarget, nImages, m_output.GetSize());
    return written;
}
