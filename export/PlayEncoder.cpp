// cPlayEncoder: the scan, the handler's stream into memory, and the frames.
#include "PlayEncoder.h"

#include "AnimationExport.h"
#include "ExportScopes.h"
#include "IGifStreamOptions.h"
#include "TestNode.h"

namespace {

const char kNoFrames[] = "the project has no image the GIF writer can take.";
const char kNoHandler[] = "the GIF handler could not be opened.";
const char kTooOld[] = "the GIF handler installed is too old for it.";
const char kWriteFailed[] = "the GIF handler could not write an image.";

} // namespace

cPlayEncoder::cPlayEncoder(cTestNode* pRoot, const cExportSettings& settings)
    : m_settings(settings), m_scan(pRoot), m_frames(pRoot), m_bScanned(FALSE), m_pszError(nullptr)
{
}

cPlayEncoder::cPlayEncoder(cTestNode* pRoot, const cExportSettings& settings, const cDrawDib& canvas)
    : cPlayEncoder(pRoot, settings)
{
    m_bScanned = TRUE;
    if (canvas.GetInfo() != nullptr && m_canvas.Create(canvas.GetWidth(), canvas.GetHeight(), canvas.GetBitCount()))
        m_canvas.CopyColorTable(canvas);
}

cPlayEncoder::~cPlayEncoder()
{
    m_stream.Release();
}

BOOL cPlayEncoder::Fail(LPCSTR pszError)
{
    if (m_pszError == nullptr)
        m_pszError = pszError;
    m_stream.Release();
    return FALSE;
}

BOOL cPlayEncoder::ScanStep()
{
    if (m_bScanned)
        return FALSE;
    cTestNode* pNode = m_scan.NextNode();
    if (pNode == nullptr) {
        m_bScanned = TRUE;
        return FALSE;
    }
    ScanNodeFrames(pNode, m_canvas);
    return TRUE;
}

BOOL cPlayEncoder::Start(ISequentialStream* pSink)
{
    while (ScanStep()) {
    }
    if (m_canvas.GetInfo() == nullptr)
        return Fail(kNoFrames);
    // The null device as the file: AVIFile opens it with the handler named
    // by its class, and the handler writes none of it.
    CLSID clsid = CLSID_GifHandler;
    if (m_stream.Open("NUL", &clsid, static_cast<DWORD>(m_settings.nFrameRate), 1, m_canvas.GetWidth(),
                      m_canvas.GetHeight()) != cGifAviStream::opened)
        return Fail(kNoHandler);
    cGifStreamWriter& writer = m_stream.Writer();
    if (FAILED(writer.SetOutputStream(pSink)))
        return Fail(kTooOld);
    if (StartAnimation(writer, m_settings, m_canvas) != S_OK)
        return Fail(kWriteFailed);
    return TRUE;
}

cPlayEncoder::Result cPlayEncoder::WriteNext(cTestNode*& pNode, int& nFrame)
{
    if (m_pszError != nullptr || !m_stream.IsOpen())
        return failed;
    if (!m_frames.NextFrame(pNode, nFrame))
        return ended;
    cNodeSkips skips;       // the export tells these; a preview just leaves them out
    FramePtr pFrame = WritableFrame(pNode, nFrame, skips);
    if (pFrame == nullptr)
        return skipped;
    const HRESULT hr = m_stream.Writer().WriteFrame(*pFrame);
    if (hr == S_FALSE)
        return skipped;
    if (hr != S_OK) {
        Fail(kWriteFailed);
        return failed;
    }
    return wrote;
}

BOOL cPlayEncoder::Finish()
{
    if (m_pszError != nullptr || !m_stream.IsOpen())
        return FALSE;
    if (m_stream.Writer().FinishImages() != S_OK)
        return Fail(kWriteFailed);
    m_stream.Release();
    return TRUE;
}
