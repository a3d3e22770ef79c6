// "Batch Convert": the walk over the project and the two writers, one
// output file per writer call with its own AVIFile session.
#include "BatchExport.h"

#include "AVIFile.h"
#include "AVIHandles.h"
#include "Exception.h"
#include "ExportScopes.h"
#include "FrameRecord.h"
#include "FrameWalk.h"

#include <io.h>
#include <cstring>

namespace {

const char kFatal[] = "Fatal error occurred writing GIF file.";

// The still image's file, from the open to the write; the handles are the
// caller's so that they are released in order on every way out.
BOOL WriteImageFile(LPCSTR pszName, cDrawDib* pFrame, BOOL bTransparent, cAVIFileHandle& file,
                    cAVIStreamHandle& stream, cExportProgress* pProgress)
{
    if (file.OpenForWriting(pszName) != S_OK) {
        pProgress->ReportFailure("Unable to Open File", pszName);
        return FALSE;
    }
    AVISTREAMINFOA info;
    MakeVideoHeader(info, 1, 1, pFrame->GetWidth(), pFrame->GetHeight());
    if (stream.Create(file.Get(), &info) != S_OK) {
        pProgress->ReportFailure("Unable to Create Stream", pszName);
        return FALSE;
    }
    if (::AVIStreamSetFormat(stream.Get(), 0, pFrame->GetInfo(), pFrame->GetInfoSize()) != S_OK) {
        pProgress->ReportFailure("Unable to Set Format", pszName);
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
        pProgress->ReportFailure("Unable to Write to Stream", pszName);
        return FALSE;
    }
    return TRUE;
}

// The movie's file, from the open to the last frame; *pnWritten counts the
// images sent.
BOOL WriteMovieFile(LPCSTR pszName, cTestNode* pMovie, BOOL bTransparent, cAVIFileHandle& file,
                    cAVIStreamHandle& stream, int* pnWritten, cExportProgress* pProgress)
{
    if (file.OpenForWriting(pszName) != S_OK) {
        pProgress->ReportFailure("Unable to Open File", pszName);
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
        pProgress->ReportFailure("Unable to Create Stream", pszName);
        return FALSE;
    }
    const int nFrames = pMovie->GetFrameCount();
    for (int i = 0; i < nFrames; ++i) {
        pProgress->StepIt();
        FramePtr pFrame(pMovie->GetFrame(i));
        if (pFrame == nullptr)
            break;      // the file ends with the frames so far
        if (i == 0 && ::AVIStreamSetFormat(stream.Get(), 0, pFrame->GetInfo(), pFrame->GetInfoSize()) != S_OK) {
            pProgress->ReportFailure("Unable to Set Format", pszName);
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
            pProgress->ReportFailure("Unable to Write to Stream", pszName);
            return FALSE;
        }
        pFrame->FreeBits();
        ++*pnWritten;
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
    try {
        cAVIFileSession session;
        ::_unlink(strName);
        cAVIFileHandle file;
        cAVIStreamHandle stream;
        return WriteImageFile(strName, pFrame, bTransparent, file, stream, pProgress);
    } catch (CException* e) {
        e->Delete();
        pProgress->ReportFailure(kFatal, strName);
        return FALSE;
    }
}

BOOL WriteMovieGif(cTestNode* pMovie, BOOL bTransparent, cExportProgress* pProgress)
{
    // Converting a GIF movie would replace its own source: skipped, which
    // is not a failure.
    if (IsGifName(pMovie->GetName(-1)))
        return TRUE;
    const CString strName = GifOutputName(pMovie->GetName(-1));
    int nWritten = 0;
    BOOL bResult;
    try {
        cAVIFileSession session;
        ::_unlink(strName);
        cAVIFileHandle file;
        cAVIStreamHandle stream;
        bResult = WriteMovieFile(strName, pMovie, bTransparent, file, stream, &nWritten, pProgress);
    } catch (CException* e) {
        e->Delete();
        pProgress->ReportFailure(kFatal, strName);
        bResult = FALSE;
    }
    // A movie that gave no frame leaves no header-only file behind (the
    // handles are released by now, so the file is closed).
    if (nWritten == 0)
        ::_unlink(strName);
    return bResult;
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
            const int nFrames = pNode->GetFrameCount();
            for (int i = 0; i < nFrames; ++i) {
                pProgress->SetStatus(pNode->GetName(-1));
                pProgress->StepIt();
                FramePtr pFrame(pNode->GetFrame(i));
                // Frames that are not 8-bit have no file of their own.
                if (pFrame != nullptr && pFrame->GetBitCount() == 8) {
                    const BOOL bTransparent = pOptions->bEnabled && (*pnPosition == 0 || pOptions->bEachImage);
                    // GetName(i) of a movie is a buffer the next call reuses: copy it.
                    const CString strSource(pNode->GetName(i));
                    if (!WriteImageGif(strSource, pFrame.get(), bTransparent, pProgress))
                        bAllWritten = FALSE;
                }
                ++*pnPosition;
            }
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
    cWait wait(pProgress);
    const int nTotal = CountFrames(pRoot);
    LONG nPosition = 0;
    cShown shown(pProgress);
    pProgress->SetRange(nTotal);
    return BatchConvertNode(pRoot, bExpand, &transparency, &nPosition, pProgress);
}
