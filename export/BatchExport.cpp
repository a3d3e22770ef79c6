// "Batch Convert": the walk over the project and the two writers, one
// output file per writer call with its own AVIFile session.
#include "BatchExport.h"

#include "BatchPlan.h"
#include "Exception.h"
#include "ExportScopes.h"
#include "FrameRecord.h"
#include "GifFileWriter.h"
#include "OutputFile.h"
#include "OutputGuard.h"

#include <cstring>

namespace {

// The size choices that apply to every file of a batch; FALSE after
// telling that the handler cannot take them.
BOOL SetSizeChoices(cGifStreamWriter& writer, const cExportSettings& settings, cExportProgress* pProgress)
{
    if (SUCCEEDED(writer.SetSizeChoices(settings.nOutputWidth, settings.nOutputHeight, settings.nColours,
                                        settings.nLossiness)))
        return TRUE;
    pProgress->ReportFailure(kNoSizeChoices, nullptr);
    return FALSE;
}

// The still image's file, from the open to the write.
BOOL WriteImageFile(cDrawDib* pFrame, BOOL bTransparent, const cExportSettings& settings, cGifFileWriter& file,
                    cExportProgress* pProgress)
{
    if (!file.Open(1, 1, pFrame->GetWidth(), pFrame->GetHeight()))
        return FALSE;
    cGifStreamWriter& writer = file.Stream();
    writer.SetDithering(settings.bDither);
    writer.SetTransparency(bTransparent ? 2 : 0);
    if (!SetSizeChoices(writer, settings, pProgress))
        return FALSE;
    // No loop count: the file keeps the handler's own, 0.
    if (writer.SetFormat(*pFrame) != S_OK) {
        pProgress->ReportFailure("Unable to Set Format", nullptr);
        return FALSE;
    }
    const HRESULT hr = writer.WriteFrame(*pFrame);
    if (hr != S_OK && hr != S_FALSE) {
        pProgress->ReportFailure("Unable to Write to Stream", nullptr);
        return FALSE;
    }
    return TRUE;
}

// The movie's file, from the open to the last frame. Why frames were left
// out goes to skips.
BOOL WriteMovieFile(cTestNode* pMovie, BOOL bTransparent, const cExportSettings& settings, cGifFileWriter& file,
                    cNodeSkips& skips, cExportProgress* pProgress)
{
    // The movie's own clock, rate over scale, so that the images last as
    // long as the movie's frames do.
    DWORD dwRate = 0, dwScale = 0;
    LONG nWidth = 0, nHeight = 0;
    pMovie->GetFrameClock(dwRate, dwScale, nWidth, nHeight);
    if (!file.Open(dwRate, dwScale, nWidth, nHeight))
        return FALSE;
    cGifStreamWriter& writer = file.Stream();
    writer.SetDithering(settings.bDither);
    writer.SetFrameDifferencing(settings.bDifferencing);
    writer.SetParallelEncoding(TRUE);
    // Every frame of a movie file carries its own colour, in both modes.
    writer.SetTransparency(bTransparent ? 2 : 0);
    if (!SetSizeChoices(writer, settings, pProgress))
        return FALSE;
    const int nFrames = pMovie->GetFrameCount();
    if (nFrames == 0)
        skips.Note(kSkipUnreadable);
    for (int i = 0; i < nFrames; ++i) {
        pProgress->StepIt();
        if (pProgress->IsCancelled())
            return FALSE;
        bool bMissing = false;
        FramePtr pFrame = WritableFrame(pMovie, i, skips, &bMissing);
        if (bMissing)
            break;      // the file ends with the frames so far
        if (pFrame == nullptr)
            continue;
        if (!writer.CanWrite(*pFrame)) {
            skips.Note(kSkipNotWritable);
            continue;
        }
        // The first image's format is the file's screen and colour table.
        if (writer.GetImageCount() == 0 && writer.SetFormat(*pFrame) != S_OK) {
            pProgress->ReportFailure("Unable to Set Format", nullptr);
            return FALSE;
        }
        const HRESULT hr = writer.WriteFrame(*pFrame);
        if (hr == S_FALSE)
            skips.Note(kSkipNotWritable);
        else if (hr != S_OK) {
            pProgress->ReportFailure("Unable to Write to Stream", nullptr);
            return FALSE;
        }
    }
    return TRUE;
}

// What became of one file: the writer's result, or left out by the plan.
enum Outcome
{
    written = cGifFileWriter::written,
    failed = cGifFileWriter::failed,
    empty = cGifFileWriter::empty,
    leftOut             // not begun, and said so
};

// Runs one file's writing, with a framework exception inside it reported
// against that file, so that the batch goes on with the next one. A file
// the plan does not let it write is not begun: its source is left out.
template <typename Write>
Outcome WriteOneFile(LPCSTR pszSource, const CString& strName, cBatchPlan& plan, cExportProgress* pProgress,
                     Write write)
{
    const CString strWhyNot = plan.WhyNotWrite(strName);
    if (!strWhyNot.IsEmpty()) {
        pProgress->FileSkipped(pszSource, strWhyNot);
        return leftOut;
    }
    pProgress->SetDefaultFile(strName);
    cGifFileWriter::Result result;
    try {
        cGifFileWriter file(strName, pProgress);
        const BOOL bWritten = write(file);
        result = file.Finish(bWritten);
    } catch (CException* e) {
        // The writer has released everything on the way here.
        e->Delete();
        pProgress->ReportFailure(kFatalWriteError, strName);
        result = cGifFileWriter::failed;
    }
    if (result == cGifFileWriter::written)
        plan.NoteWritten(strName);
    return static_cast<Outcome>(result);
}

} // namespace

BOOL WriteImageGif(LPCSTR pszSourceName, cDrawDib* pFrame, BOOL bTransparent, const cExportSettings& settings,
                   cBatchPlan& plan, cExportProgress* pProgress)
{
    const CString strName = GifOutputName(pszSourceName);
    const Outcome result = WriteOneFile(pszSourceName, strName, plan, pProgress, [&](cGifFileWriter& file) {
        return WriteImageFile(pFrame, bTransparent, settings, file, pProgress);
    });
    // Only an older handler takes a frame and writes no image.
    if (result == empty)
        pProgress->FileSkipped(pszSourceName, kSkipNotWritable);
    return result != failed;
}

BOOL WriteMovieGif(cTestNode* pMovie, BOOL bTransparent, const cExportSettings& settings, cBatchPlan& plan,
                   cExportProgress* pProgress)
{
    // Converting a GIF movie would replace its own source: left out, which
    // is not a failure.
    if (IsGifOutputName(pMovie->GetName(-1))) {
        pProgress->FileSkipped(pMovie->GetName(-1), kSkipGifMovie);
        return TRUE;
    }
    const CString strName = GifOutputName(pMovie->GetName(-1));
    cNodeSkips skips;
    const Outcome result = WriteOneFile(pMovie->GetName(-1), strName, plan, pProgress, [&](cGifFileWriter& file) {
        return WriteMovieFile(pMovie, bTransparent, settings, file, skips, pProgress);
    });
    // A movie that gave no image replaces nothing: an earlier run's GIF stays.
    skips.Tell(pMovie, pProgress);
    return result != failed;
}

BOOL BatchConvertNode(cTestNode* pNode, const cExportSettings& settings, cBatchPlan& plan, LONG* pnPosition,
                      cExportProgress* pProgress)
{
    const BOOL bTransparentAll = settings.nTransparency != 0;
    const BOOL bEachImage = settings.nTransparency == 2;
    BOOL bAllWritten = TRUE;
    {
        cNodeOpen open(pNode);
        if (pNode->m_nType == cTestNode::typeMovie && !settings.bExpand) {
            pProgress->SetStatus(pNode->GetName(-1));
            if (!WriteMovieGif(pNode, bTransparentAll, settings, plan, pProgress))
                bAllWritten = FALSE;
        } else {
            cNodeSkips skips;
            const int nFrames = pNode->GetFrameCount();
            if (nFrames == 0 && pNode->m_nType == cTestNode::typeMovie)
                skips.Note(kSkipUnreadable);
            for (int i = 0; i < nFrames; ++i) {
                pProgress->SetStatus(pNode->GetName(-1));
                pProgress->StepIt();
                if (pProgress->IsCancelled())
                    break;
                // Frames the handler does not write have no file of their own.
                FramePtr pFrame = WritableFrame(pNode, i, skips);
                if (pFrame == nullptr)
                    continue;
                const BOOL bTransparent = bTransparentAll && (*pnPosition == 0 || bEachImage);
                // GetName(i) of a movie is a buffer the next call reuses: copy it.
                const CString strSource(pNode->GetName(i));
                if (!WriteImageGif(strSource, pFrame.get(), bTransparent, settings, plan, pProgress))
                    bAllWritten = FALSE;
                ++*pnPosition;
            }
            skips.Tell(pNode, pProgress);
        }
    }
    for (int j = 0; j < pNode->GetChildCount() && !pProgress->IsCancelled(); ++j)
        if (!BatchConvertNode(pNode->GetChild(j), settings, plan, pnPosition, pProgress))
            bAllWritten = FALSE;
    return bAllWritten && !pProgress->IsCancelled();
}

BOOL ExportBatch(cTestNode* pRoot, const cExportSettings& settings, cExportProgress* pProgress, LPCSTR pszProject)
{
    cBatchPlan plan;
    {
        cWait wait(pProgress);
        plan.Build(pRoot, settings, pszProject);
    }
    // Asked once, before anything is written.
    if (!plan.GetExisting().empty()) {
        const cExportProgress::ReplaceAnswer answer = pProgress->AskReplace(plan.GetExisting());
        if (answer == cExportProgress::stopExport) {
            pProgress->Stop();
            return FALSE;
        }
        plan.SetReplaceExisting(answer == cExportProgress::replaceExisting);
    }
    cWait wait(pProgress);
    for (const CString& strFolder : plan.GetFolders())
        cOutputFile::RemoveOrphans(strFolder);
    LONG nPosition = 0;
    cShown shown(pProgress);
    pProgress->SetRange(plan.GetFrameCount());
    return BatchConvertNode(pRoot, settings, plan, &nPosition, pProgress);
}
