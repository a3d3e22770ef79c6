// cGifFileWriter: the temporary file, the AVIFile objects, the replacement.
#include "GifFileWriter.h"

#include <objidl.h>

const char kUnableToOpen[] = "Unable to Open File";
const char kFatalWriteError[] = "Fatal error occurred writing GIF file.";
const char kNoSizeChoices[] =
    "The GIF handler installed cannot make the file smaller as asked (scale, colours, lossy, largest size). "
    "Install this version's loomcast.dll.";

cGifFileWriter::cGifFileWriter(LPCSTR pszTarget, cExportProgress* pProgress)
    : m_strTarget(pszTarget), m_pProgress(pProgress), m_output(pszTarget), m_pMemory(nullptr), m_nImagesWritten(0)
{
}

cGifFileWriter::~cGifFileWriter()
{
    m_stream.Release();     // before the temporary file goes
    if (m_pMemory != nullptr)
        m_pMemory->Release();
}

void cGifFileWriter::WriteIntoMemory(ISequentialStream* pMemory)
{
    pMemory->AddRef();
    if (m_pMemory != nullptr)
        m_pMemory->Release();
    m_pMemory = pMemory;
}

BOOL cGifFileWriter::Open(DWORD dwRate, DWORD dwScale, LONG nWidth, LONG nHeight)
{
    if (!m_output.Create()) {
        m_pProgress->ReportFailure(kUnableToOpen, m_strTarget, m_output.GetFailureReason());
        return FALSE;
    }
    // Without the library nothing can be written; the user hears it as the
    // file that could not be opened. AVIFile picks the handler by the
    // name's extension: the temporary name ends in .gif too.
    switch (m_stream.Open(m_output.GetTempName(), nullptr, dwRate, dwScale, nWidth, nHeight)) {
    case cGifAviStream::opened:
        if (m_pMemory != nullptr && FAILED(m_stream.Writer().SetOutputStream(m_pMemory))) {
            m_pProgress->ReportFailure(kNoSizeChoices, m_strTarget);
            return FALSE;
        }
        return TRUE;
    case cGifAviStream::libraryFailed:
        m_pProgress->ReportFailure(kUnableToOpen, m_strTarget, "AVIFile could not be loaded");
        return FALSE;
    case cGifAviStream::fileFailed: {
        char szReason[80];
        ::wsprintfA(szReason, "AVIFile's GIF writer could not open it, error 0x%08lX",
                    static_cast<unsigned long>(m_stream.GetOpenError()));
        m_pProgress->ReportFailure(kUnableToOpen, m_strTarget, szReason);
        return FALSE;
    }
    default:
        m_pProgress->ReportFailure("Unable to Create Stream", m_strTarget);
        return FALSE;
    }
}

cGifFileWriter::Result cGifFileWriter::Finish(BOOL bKeep)
{
    // Images still being encoded go into the file first; one that could
    // not be written fails the file.
    const BOOL bOpen = m_stream.IsOpen();
    const BOOL bImagesIn = bKeep && bOpen ? m_stream.Writer().FinishImages() == S_OK : bKeep;
    const LONG nImages = bOpen ? m_stream.Writer().GetImageCount() : 0;
    m_stream.Release();
    if (!bKeep)
        return failed;
    if (!bImagesIn) {
        m_pProgress->ReportFailure("Unable to Write to Stream", m_strTarget);
        return failed;
    }
    if (nImages == 0)
        return empty;
    m_nImagesWritten = nImages;
    if (m_pMemory != nullptr)
        return written;
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
