// "Create animation": the scan that builds the canvas, the walk that writes
// the frames, and the command's work between the dialog and the end.
#include "AnimationExport.h"

#include "AVIHandles.h"
#include "Exception.h"
#include "ExportScopes.h"
#include "FrameWalk.h"
#include "FrameRecord.h"
#include "GifOptions.h"
#include "OutputGuard.h"
#include "OutputWrite.h"
#include "TestNode.h"


BOOL ScanFrames(cTestNode* pNode, cDrawDib& canvas)
{
    {
        cNodeOpen open(pNode);
        int nFrames = pNode->GetFrameCount();
        // A movie that reports no frames still has its first format probed.
        if (nFrames == 0 && pNode->m_nType == cTestNode::typeMovie)
            nFrames = 1;
        for (int i = 0; i < nFrames; ++i) {
            FramePtr pFormat(pNode->GetFrameFormat(i));
            if (pFormat == nullptr || pFormat->GetBitCount() != 8)
                continue;
            if (canvas.GetInfo() == nullptr
                && !(canvas.Create(pFormat->GetWidth(), pFormat->GetHeight(), 8) && canvas.CopyColorTable(*pFormat)))
                continue;
            // Only the size grows; biSizeImage stays the first frame's, as
            // the canvas never carries rows.
            BITMAPINFOHEADER& header = canvas.GetInfo()->bmiHeader;
            if (pFormat->GetWidth() > header.biWidth)
                header.biWidth = pFormat->GetWidth();
            if (header.biHeight < pFormat->GetHeight())
                header.biHeight = pFormat->GetHeight();
        }
    }
    for (int j = 0; j < pNode->GetChildCount(); ++j)
        ScanFrames(pNode->GetChild(j), canvas);
    return canvas.GetInfo() != nullptr;
}

BOOL WriteNodeFrames(cTestNode* pNode, PAVISTREAM pStream, const TransparencyOptions* pOptions,
                     LONG* pnSample, cExportProgress* pProgress)
{
    CString strStatus("Writing image ");
    strStatus += pNode->GetName(-1);
    pProgress->SetStatus(strStatus);
    {
        cNodeOpen open(pNode);
        cNodeSkips skips;
        const int nFrames = pNode->GetFrameCount();
        if (nFrames == 0 && pNode->m_nType == cTestNode::typeMovie)
            skips.Note(kSkipUnreadable);
        for (int i = 0; i < nFrames; ++i) {
            pProgress->StepIt();
            FramePtr pFrame(pNode->GetFrame(i));
            if (pFrame == nullptr) {
                skips.Note(kSkipUnreadable);
                continue;
            }
            // A frame the handler would take and drop is not sent: it would
            // count as the first image and lend it its transparent colour.
            if (!IsWritableFrame(*pFrame)) {
                skips.Note(kSkipNotWritable);
                continue;
            }
            {
                cGifStreamOptions gif(pStream);
                if (gif.IsPresent()) {
                    // Each image carries its own size; the GIF handler keeps the
                    // colour table of the first format for all of them.
                    ::AVIStreamSetFormat(pStream, 0, pFrame->GetInfo(), pFrame->GetInfoSize());
                    if (pOptions->bEnabled && (pOptions->bEachImage || *pnSample == 0))
                        gif->SetTransparency(1, TopLeftPixel(*pFrame));
                }
            }
            if (::AVIStreamWrite(pStream, *pnSample, 1, pFrame->LockBits(), static_cast<LONG>(pFrame->GetBitsSize()),
                                 AVIIF_KEYFRAME, nullptr, nullptr) != S_OK) {
                pFrame->FreeBits();
                pProgress->ReportFailure("Unable to Write to Stream", nullptr);
                skips.Tell(pNode, pProgress);
                return FALSE;
            }
            ++*pnSample;
            pFrame->FreeBits();
        }
        skips.Tell(pNode, pProgress);
    }
    for (int j = 0; j < pNode->GetChildCount(); ++j)
        if (!WriteNodeFrames(pNode->GetChild(j), pStream, pOptions, pnSample, pProgress))
            return FALSE;
    return TRUE;
}

namespace {

// Steps from the open to the end of the walk, into pszName (the temporary
// file); failures are reported naming the output. *pnImages counts the
// images written.
BOOL WriteAnimationFile(cTestNode* pRoot, const cGifOptions& options, LPCSTR pszName, cDrawDib& canvas,
                        cAVIFileHandle& file, cAVIStreamHandle& stream, int* pnImages, cExportProgress* pProgress)
{
    LPCSTR pszOutput = options.m_strOutput;
    if (file.OpenForWriting(pszName) != S_OK) {
        pProgress->ReportFailure(kUnableToOpen, pszOutput);
        return FALSE;
    }
    AVISTREAMINFOA info;
    MakeVideoHeader(info, options.m_nFrameRate, 1, canvas.GetWidth(), canvas.GetHeight());
    if (stream.Create(file.Get(), &info) != S_OK) {
        pProgress->ReportFailure("Unable to Create Stream", pszOutput);
        return FALSE;
    }
    {
        // Before the first format: the GIF handler writes the loop count
        // into the file header at that moment and never again.
        cGifStreamOptions gif(stream.Get());
        if (gif.IsPresent())
            gif->SetLoopCount(options.m_nLoopCount);
    }
    if (::AVIStreamSetFormat(stream.Get(), 0, canvas.GetInfo(), canvas.GetInfoSize()) != S_OK) {
        pProgress->ReportFailure("Unable to Set Format", pszOutput);
        return FALSE;
    }

    cWait wait(pProgress);
    const int nTotal = CountFrames(pRoot);
    LONG nSample = 0;
    const TransparencyOptions transparency = TransparencyOptions::FromMode(options.m_nTransparency);
    cShown shown(pProgress);
    pProgress->SetRange(nTotal);
    const BOOL bWalked = WriteNodeFrames(pRoot, stream.Get(), &transparency, &nSample, pProgress);
    *pnImages = static_cast<int>(nSample);
    return bWalked;
}

BOOL ExportAnimationUnguarded(cTestNode* pRoot, const cGifOptions& options, LPCSTR pszProject,
                              cExportProgress* pProgress)
{
    LPCSTR pszOutput = options.m_strOutput;
    if (!IsGifOutputName(pszOutput)) {
        pProgress->ReportFailure(kOutputNotGif, pszOutput);
        return FALSE;
    }
    // Never a file the project reads, whatever name it goes by.
    if (IsProjectFile(pRoot, pszOutput, pszProject)) {
        pProgress->ReportFailure(kOutputIsProjectFile, pszOutput);
        return FALSE;
    }
    cDrawDib canvas;
    BOOL bScanned;
    {
        cWait wait(pProgress);
        bScanned = ScanFrames(pRoot, canvas);
    }
    if (!bScanned) {
        pProgress->ReportFailure("No valid images", nullptr);
        return FALSE;
    }
    pProgress->SetDefaultFile(pszOutput);
    const OutputResult result = WriteOutputFile(
        pszOutput,
        [&](LPCSTR pszTemp, cAVIFileHandle& file, cAVIStreamHandle& stream, int* pnImages) {
            return WriteAnimationFile(pRoot, options, pszTemp, canvas, file, stream, pnImages, pProgress);
        },
        pProgress);
    if (result == outputEmpty)
        pProgress->ReportFailure(kNothingWritten, pszOutput);
    return result == outputWritten;
}

} // namespace

BOOL ExportAnimation(cTestNode* pRoot, const cGifOptions& options, cExportProgress* pProgress, LPCSTR pszProject)
{
    BOOL bWritten;
    try {
        bWritten = ExportAnimationUnguarded(pRoot, options, pszProject, pProgress);
    } catch (CException* e) {
        // Everything acquired has been released on the way here.
        e->Delete();
        pProgress->ReportFailure(kFatalWriteError, options.m_strOutput);
        bWritten = FALSE;
    }
    pProgress->ReportSkippedFiles();
    return bWritten;
}
