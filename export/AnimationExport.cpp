// "Create animation": the scan that builds the canvas, the walk that writes
// the frames, and the command's work between the dialog and the end.
#include "AnimationExport.h"

#include "Exception.h"
#include "ExportScopes.h"
#include "FitExport.h"
#include "FrameWalk.h"
#include "FrameRecord.h"
#include "GifFileWriter.h"
#include "OutputFile.h"
#include "OutputGuard.h"
#include "TestNode.h"

void ScanNodeFrames(cTestNode* pNode, cDrawDib& canvas)
{
    cNodeOpen open(pNode);
    int nFrames = pNode->GetFrameCount();
    // A movie that reports no frames still has its first format probed.
    if (nFrames == 0 && pNode->m_nType == cTestNode::typeMovie)
        nFrames = 1;
    for (int i = 0; i < nFrames; ++i) {
        FramePtr pFormat(pNode->GetFrameFormat(i));
        if (pFormat == nullptr || !IsWritableFrame(*pFormat))
            continue;
        // An 8-bit first frame gives the file its colour table, as ever;
        // any other gives only the screen, and the handler takes the
        // colours of the first image it writes.
        if (canvas.GetInfo() == nullptr
            && !(pFormat->GetBitCount() == 8
                     ? canvas.Create(pFormat->GetWidth(), pFormat->GetHeight(), 8) && canvas.CopyColorTable(*pFormat)
                     : canvas.Create(pFormat->GetWidth(), pFormat->GetHeight(), 24)))
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

BOOL ScanFrames(cTestNode* pNode, cDrawDib& canvas)
{
    ScanNodeFrames(pNode, canvas);
    for (int j = 0; j < pNode->GetChildCount(); ++j)
        ScanFrames(pNode->GetChild(j), canvas);
    return canvas.GetInfo() != nullptr;
}

BOOL WriteNodeFrames(cTestNode* pNode, cGifStreamWriter& writer, cExportProgress* pProgress)
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
            if (pProgress->IsCancelled()) {
                skips.Tell(pNode, pProgress);
                return FALSE;
            }
            FramePtr pFrame = WritableFrame(pNode, i, skips);
            if (pFrame == nullptr)
                continue;
            const HRESULT hr = writer.WriteFrame(*pFrame);
            if (hr == S_FALSE) {
                skips.Note(kSkipNotWritable);
                continue;
            }
            if (hr != S_OK) {
                pProgress->ReportFailure("Unable to Write to Stream", nullptr);
                skips.Tell(pNode, pProgress);
                return FALSE;
            }
        }
        skips.Tell(pNode, pProgress);
    }
    for (int j = 0; j < pNode->GetChildCount(); ++j)
        if (!WriteNodeFrames(pNode->GetChild(j), writer, pProgress))
            return FALSE;
    return TRUE;
}

HRESULT StartAnimation(cGifStreamWriter& writer, const cExportSettings& settings, const cDrawDib& canvas,
                       bool* pbSizeRefused)
{
    // Before the first format: the GIF handler writes the loop count into
    // the file header at that moment and never again.
    writer.SetLoopCount(LOWORD(static_cast<DWORD>(settings.nLoopCount)));
    writer.SetDithering(settings.bDither);
    writer.SetFrameDifferencing(settings.bDifferencing);
    writer.SetParallelEncoding(TRUE);
    writer.SetTransparency(settings.nTransparency);
    const HRESULT hr = writer.SetSizeChoices(settings.nOutputWidth, settings.nOutputHeight, settings.nColours,
                                             settings.nLossiness);
    if (pbSizeRefused != nullptr)
        *pbSizeRefused = FAILED(hr);
    if (FAILED(hr))
        return hr;
    return writer.SetFormat(canvas);
}

const char kNoValidImages[] = "No valid images";

namespace {

// Every file of the subtree, each with why it gave no image the GIF
// handler writes: after a scan that found none, the user learns which
// files were looked at.
void TellUnusableFiles(cTestNode* pNode, cExportProgress* pProgress)
{
    if (pNode->m_nType == cTestNode::typeImage || pNode->m_nType == cTestNode::typeMovie) {
        cNodeOpen open(pNode);
        cNodeSkips skips;
        if (pNode->GetFrameCount() == 0)
            skips.Note(kSkipUnreadable);
        else
            WritableFrame(pNode, 0, skips);
        skips.Tell(pNode, pProgress);
    }
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        if (cTestNode* pChild = pNode->GetChild(i))
            TellUnusableFiles(pChild, pProgress);
}

} // namespace

// From the open to the end of the walk; the writer releases everything on
// every way out. TRUE when the file holds what the walk sent.
BOOL WriteAnimationFile(cTestNode* pRoot, const cExportSettings& settings, const cDrawDib& canvas,
                        cGifFileWriter& file, cExportProgress* pProgress)
{
    if (!file.Open(static_cast<DWORD>(settings.nFrameRate), 1, canvas.GetWidth(), canvas.GetHeight()))
        return FALSE;
    cGifStreamWriter& writer = file.Stream();
    bool bSizeRefused = false;
    if (StartAnimation(writer, settings, canvas, &bSizeRefused) != S_OK) {
        pProgress->ReportFailure(bSizeRefused ? kNoSizeChoices : "Unable to Set Format", nullptr);
        return FALSE;
    }
    cWait wait(pProgress);
    const int nTotal = CountFrames(pRoot);
    cShown shown(pProgress);
    pProgress->SetRange(nTotal);
    return WriteNodeFrames(pRoot, writer, pProgress);
}

namespace {

BOOL ExportAnimationUnguarded(cTestNode* pRoot, const cExportSettings& settings, LPCSTR pszProject,
                              cExportProgress* pProgress)
{
    LPCSTR pszOutput = settings.strOutput;
    if (LPCSTR pszWhy = WhyBadOutputName(pszOutput)) {
        pProgress->ReportFailure(pszWhy, pszOutput);
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
        pProgress->ReportFailure(kNoValidImages, pszOutput);
        TellUnusableFiles(pRoot, pProgress);
        return FALSE;
    }
    cOutputFile::RemoveOrphans(cOutputFile::FolderOf(pszOutput));
    pProgress->SetDefaultFile(pszOutput);
    if (settings.dwMaxSize != 0)
        return ExportAnimationUnderSize(pRoot, settings, canvas, pProgress);
    cGifFileWriter file(pszOutput, pProgress);
    const BOOL bWalked = WriteAnimationFile(pRoot, settings, canvas, file, pProgress);
    switch (file.Finish(bWalked)) {
    case cGifFileWriter::written:
        return TRUE;
    case cGifFileWriter::empty:
        pProgress->ReportFailure(kNothingWritten, pszOutput);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

BOOL ExportAnimation(cTestNode* pRoot, const cExportSettings& settings, cExportProgress* pProgress,
                     LPCSTR pszProject)
{
    try {
        return ExportAnimationUnguarded(pRoot, settings, pszProject, pProgress);
    } catch (CException* e) {
        // Everything acquired has been released on the way here.
        e->Delete();
        pProgress->ReportFailure(kFatalWriteError, settings.strOutput);
        return FALSE;
    }
}
