// "Batch Convert": the walk over the project and the two writers, one
// output file per writer call with its own AVIFile session.
#include "BatchExport.h"

#include "AVIFile.h"
#include "AVIHandles.h"
#include "Exception.h"
#include "ExportScopes.h"
#include "FrameRecord.h"
#include "FrameWalk.h"
#include "OutputWrite.h"

#include <cstring>

namespace {

// The still image's file, from the open to the write; pszName is the
// temporary file, pszTarget the name failures are reported under.
BOOL WriteImageFile(LPCSTR pszName, LPCSTR pszTarget, cDrawDib* pFrame, BOOL bTransparent, cAVIFileHandle& file,
                    cAVIStreamHandle& stream, int* pnImages, cExportProgress* pProgress)
{
    if (file.OpenForWriting(pszName) != S_OK) {
        pProgress->ReportFailure(kUnableToOpen, pszTarget);
        return FALSE;
    }
    AVISTREAMINFOA info;
    MakeVideoHeader(info, 1, 1, pFrame->GetWidth(), pFrame->GetHeight());
    if (stream.Create(file.Get(), &info) != S_OK) {
        pProgress->ReportFailure("Unable to Create Stream", pszTarget);
        return FALSE;
    }
    if (::AVIStreamSetFormat(stream.Get(), 0, pFrame->GetInfo(), pFrame->GetInfoSize()) != S_OK) {
        pProgress->ReportFailure("Unable to Set Format", pszTarget);
        return FALSE;
    }
    {
        cGifStreamOptions gif(stream.Get());
        if (gif.IsPresent()) {
            // After the first format the loop count no longer reaches the
            // file, which keeps the handler's own setting (also 0).
            gif->SetLoopCount(0);
            if (bTransparent)
                gif->SetTransparency(bTransparent, TopLeftPixel(*pFrame));
        }
    }
    if (::AVIStreamWrite(stream.Get(), 1, 1, pFrame->LockBits(), static_cast<LONG>(pFrame->GetBitsSize()),
                         AVIIF_KEYFRAME, nullptr, nullptr) != S_OK) {
        pProgress->ReportFailure("Unable to Write to Stream", pszTarget);
        return FALSE;
    }
    ++*pnImages;
    return TRUE;
}

// The movie's file, from the open to the last frame; *pnImages counts the
// images written. Why frames were left out goes to skips.
BOOL WriteMovieFile(LPCSTR pszName, LPCSTR pszTarget, cTestNode* pMovie, BOOL bTransparent, cAVIFileHandle& file,
                    cAVIStreamHandle& stream, int* pnImages, cNodeSkips& skips, cExportProgress* pProgress)
{
    if (file.OpenForWriting(pszName) != S_OK) {
        pProgress->ReportFailure(kUnableToOpen, pszTarget);
        return FALSE;
    }
    AVIFILEINFOA movieInfo;
    ::ZeroMemory(&movieInfo, sizeof movieInfo);
    if (pMovie->IsKindOf(RUNTIME_CLASS(cAVIFile)))
        static_cast<cAVIFile*>(pMovie)->GetFileInfo(&movieInfo);
    // The movie's own clock, rate over scale, so that the images last as
    // long as the movie's frames do.
    AVISTREAMINFOA info;
    MakeVideoHeader(info, movieInfo.dwRate, movieInfo.dwScale, static_cast<LONG>(movieInfo.dwWidth),
                    static_cast<LONG>(movieInfo.dwHeight));
    if (stream.Create(file.Get(), &info) != S_OK) {
        pProgress->ReportFailure("Unable to Create Stream", pszTarget);
        return FALSE;
    }
    const int nFrames = pMovie->GetFrameCount();
    if (nFrames == 0)
        skips.Note(kSkipUnreadable);
    for (int i = 0; i < nFrames; ++i) {
        pProgress->StepIt();
        FramePtr pFrame(pMovie->GetFrame(i));
        if (pFrame == nullptr) {
            skips.Note(kSkipUnreadable);
            break;      // the file ends with the frames so far
        }
        if (!IsWritableFrame(*pFrame)) {
            skips.Note(kSkipNotWritable);
            continue;
        }
        // The first image's format is the file's screen and colour table.
        if (*pnImages == 0
            && ::AVIStreamSetFormat(stream.Get(), 0, pFrame->GetInfo(), pFrame->GetInfoSize()) != S_OK) {
            pProgress->ReportFailure("Unable to Set Format", pszTarget);
            return FALSE;
        }
        {
            cGifStreamOptions gif(stream.Get());
            if (gif.IsPresent()) {
                ::AVIStreamSetFormat(stream.Get(), 0, pFrame->GetInfo(), pFrame->GetInfoSize());
                // Every frame of a movie file carries its own colour, in both modes.
                if (bTransparent)
                    gif->SetTransparency(bTransparent, TopLeftPixel(*pFrame));
            }
        }
        if (::AVIStreamWrite(stream.Get(), i, 1, pFrame->LockBits(), static_cast<LONG>(pFrame->GetBitsSize()),
                             AVIIF_KEYFRAME, nullptr, nullptr) != S_OK) {
            pProgress->ReportFailure("Unable to Write to Stream", pszTarget);
            return FALSE;
        }
        pFrame->FreeBits();
        ++*pnImages;
    }
    return TRUE;
}

BOOL IsGifName(LPCSTR pszName)
{
    char szExt[_MAX_EXT];
    ::_splitpath(pszName, nullptr, nullptr, nullptr, szExt);
    return ::_stricmp(szExt, ".gif") == 0;
}

} // namespace

BOOL WriteImageGif(LPCSTR pszSourceName, cDrawDib* pFrame, BOOL bTransparent, cExportProgress* pProgress)
{
    const CString strName = GifOutputName(pszSourceName);
    const OutputResult result = WriteOutputFile(
        strName,
        [&](LPCSTR pszTemp, cAVIFileHandle& file, cAVIStreamHandle& stream, int* pnImages) {
            return WriteImageFile(pszTemp, strName, pFrame, bTransparent, file, stream, pnImages, pProgress);
        },
        pProgress);
    return result != outputFailed;
}

BOOL WriteMovieGif(cTestNode* pMovie, BOOL bTransparent, cExportProgress* pProgress)
{
    // Converting a GIF movie would replace its own source: skipped, which
    // is not a failure.
    if (IsGifName(pMovie->GetName(-1)))
        return TRUE;
    const CString strName = GifOutputName(pMovie->GetName(-1));
    cNodeSkips skips;
    const OutputResult result = WriteOutputFile(
        strName,
        [&](LPCSTR pszTemp, cAVIFileHandle& file, cAVIStreamHandle& stream, int* pnImages) {
            return WriteMovieFile(pszTemp, strName, pMovie, bTransparent, file, stream, pnImages, skips, pProgress);
        },
        pProgress);
    // A movie that gave no image replaces nothing: an earlier run's GIF stays.
    skips.Tell(pMovie, pProgress);
    return result != outputFailed;
}

BOOL BatchConvertNode(cTestNode* pNode, BOOL bExpand, const TransparencyOptions* pOptions, LONG* pnPosition,
                      cExportProgress* pProgress)
{
    BOOL bAllWritten = TRUE;
    {
        cNodeOpen open(pNode);
        if (pNode->m_nType == cTestNode::typeMovie && !bExpand) {
            pProgress->SetStatus(pNode->GetName(-1));
            if (!WriteMovieGif(pNode, pOptions->bEnabled, pProgress))
                bAllWritten = FALSE;
        } else {
            cNodeSkips skips;
            const int nFrames = pNode->GetFrameCount();
            if (nFrames == 0 && pNode->m_nType == cTestNode::typeMovie)
                skips.Note(kSkipUnreadable);
            for (int i = 0; i < nFrames; ++i) {
                pProgress->SetStatus(pNode->GetName(-1));
                pProgress->StepIt();
                FramePtr pFrame(pNode->GetFrame(i));
                if (pFrame == nullptr) {
                    skips.Note(kSkipUnreadable);
                    continue;
                }
                // Frames the handler does not write have no file of their own,
                // and do not take the "first image" colour from the next one.
                if (!IsWritableFrame(*pFrame)) {
                    skips.Note(kSkipNotWritable);
                    continue;
                }
                const BOOL bTransparent = pOptions->bEnabled && (*pnPosition == 0 || pOptions->bEachImage);
                // GetName(i) of a movie is a buffer the next call reuses: copy it.
                const CString strSource(pNode->GetName(i));
                if (!WriteImageGif(strSource, pFrame.get(), bTransparent, pProgress))
                    bAllWritten = FALSE;
                ++*pnPosition;
            }
            skips.Tell(pNode, pProgress);
        }
    }
    for (int j = 0; j < pNode->GetChildCount(); ++j)
        if (!BatchConvertNode(pNode->GetChild(j), bExpand, pOptions, pnPosition, pProgress))
            bAllWritten = FALSE;
    return bAllWritten;
}

BOOL ExportBatch(cTestNode* pRoot, BOOL bExpand, int nTransparency, cExportProgress* pProgress)
{
    const TransparencyOptions transparency = TransparencyOptions::FromMode(nTransparency);
    BOOL bWritten;
    {
        cWait wait(pProgress);
        const int nTotal = CountFrames(pRoot);
        LONG nPosition = 0;
        cShown shown(pProgress);
        pProgress->SetRange(nTotal);
        bWritten = BatchConvertNode(pRoot, bExpand, &transparency, &nPosition, pProgress);
    }
    pProgress->ReportSkippedFiles();
    return bWritten;
}
