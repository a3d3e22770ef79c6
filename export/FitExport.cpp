// The fit-under-size search's tries, and the one file it writes.
#include "FitExport.h"

#include "AnimationExport.h"
#include "ByteSize.h"
#include "DrawDib.h"
#include "ExportScopes.h"
#include "FitSearch.h"
#include "GifFileWriter.h"
#include "MemoryStream.h"
#include "OutputFile.h"
#include "TryProgress.h"

#include <cstdio>

namespace {

// A held memory stream, released on every way out.
class cHeldMemory
{
public:
    cHeldMemory() : m_p(nullptr) {}
    ~cHeldMemory() { Reset(nullptr); }
    cHeldMemory(const cHeldMemory&) = delete;
    cHeldMemory& operator=(const cHeldMemory&) = delete;
    // Takes over the creator's count.
    void Reset(cMemoryStream* p)
    {
        if (m_p != nullptr)
            m_p->Release();
        m_p = p;
    }
    cMemoryStream* Get() const { return m_p; }

private:
    cMemoryStream* m_p;
};

// The bytes into the target, through a temporary file beside it (which the
// output holds open, sharing it); the system's reason when that fails.
BOOL WriteBytes(LPCSTR pszTarget, const BYTE* pData, DWORD nSize, CString& strReason)
{
    cOutputFile output(pszTarget);
    if (!output.Create()) {
        strReason = output.GetFailureReason();
        return FALSE;
    }
    HANDLE hFile = ::CreateFileA(output.GetTempName(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    DWORD nWritten = 0;
    const BOOL bWritten = ::WriteFile(hFile, pData, nSize, &nWritten, nullptr) && nWritten == nSize;
    const BOOL bClosed = ::CloseHandle(hFile);
    if (!bWritten || !bClosed)
        return FALSE;
    if (!output.Commit()) {
        strReason = output.GetFailureReason();
        return FALSE;
    }
    return TRUE;
}

} // namespace

CString DescribeFitChoices(const cExportSettings& s, LONG nScreenWidth, LONG nScreenHeight)
{
    char szText[96];
    std::snprintf(szText, sizeof szText, "lossy %d, %d colours, ", s.nLossiness, s.nColours);
    CString strText(szText);
    if (s.nOutputWidth > 0 && s.nOutputHeight > 0)
        std::snprintf(szText, sizeof szText, "%d x %d", s.nOutputWidth, s.nOutputHeight);
    else if (s.nOutputWidth > 0)
        std::snprintf(szText, sizeof szText, "%d wide", s.nOutputWidth);
    else if (s.nOutputHeight > 0)
        std::snprintf(szText, sizeof szText, "%d high", s.nOutputHeight);
    else
        std::snprintf(szText, sizeof szText, "%ld x %ld", static_cast<long>(nScreenWidth),
                      static_cast<long>(nScreenHeight));
    return strText + szText;
}

BOOL ExportAnimationUnderSize(cTestNode* pRoot, const cExportSettings& settings, const cDrawDib& canvas,
                              cExportProgress* pProgress)
{
    const LONG nWidth = canvas.GetWidth(), nHeight = canvas.GetHeight();
    const CString strLimit = FormatByteSize(settings.dwMaxSize);
    cFitSearch search(settings, nWidth, nHeight);
    cHeldMemory best;
    cExportReport bestReport;
    LONG nBestImages = 0;
    cExportSettings trial;
    cShown shown(pProgress);
    while (search.Next(trial)) {
        char szTry[48];
        std::snprintf(szTry, sizeof szTry, "Fitting under %s, try %d: ", static_cast<LPCSTR>(strLimit),
                      search.GetTries());
        cTryProgress tryProgress(pProgress, CString(szTry) + DescribeFitChoices(trial, nWidth, nHeight));
        tryProgress.SetDefaultFile(settings.strOutput);
        cHeldMemory memory;
        memory.Reset(new cMemoryStream(settings.dwMaxSize));
        cGifFileWriter file(settings.strOutput, &tryProgress);
        file.WriteIntoMemory(memory.Get());
        const BOOL bWalked = WriteAnimationFile(pRoot, trial, canvas, file, &tryProgress);
        const cGifFileWriter::Result result = file.Finish(bWalked);
        if (pProgress->IsCancelled())
            return FALSE;
        // A try that failed for any reason but the size fails the export.
        const BOOL bOver = memory.Get()->IsOverLimit();
        if (result == cGifFileWriter::empty) {
            pProgress->ReportFailure(kNothingWritten, settings.strOutput);
            return FALSE;
        }
        if (result != cGifFileWriter::written && !bOver) {
            pProgress->ReportFailure(tryProgress.GetFirstFailure(), nullptr);
            return FALSE;
        }
        const bool bFits = result == cGifFileWriter::written;
        search.Tell(bFits);
        if (bFits) {
            memory.Get()->AddRef();
            best.Reset(memory.Get());
            bestReport = tryProgress.GetReport();
            nBestImages = file.GetImagesWritten();
        }
    }
    cExportSettings chosen;
    if (!search.Best(chosen) || best.Get() == nullptr) {
        pProgress->ReportFailure(
            CString("Nothing fits under ") + strLimit + ", not even with "
                + DescribeFitChoices(trial, nWidth, nHeight) + "; nothing was written.",
            settings.strOutput);
        return FALSE;
    }
    for (const cExportReport::SkippedFile& skipped : bestReport.m_skipped)
        pProgress->FileSkipped(skipped.strFile, skipped.strReason);
    CString strReason;
    if (!WriteBytes(settings.strOutput, best.Get()->GetData(), best.Get()->GetSize(), strReason)) {
        pProgress->ReportFailure(kUnableToOpen, settings.strOutput, strReason.IsEmpty() ? nullptr : strReason);
        return FALSE;
    }
    pProgress->FileWritten(settings.strOutput, nBestImages, best.Get()->GetSize());
    char szSize[64];
    std::snprintf(szSize, sizeof szSize, ": %lu bytes, under %s, with ", static_cast<unsigned long>(best.Get()->GetSize()),
                  static_cast<LPCSTR>(strLimit));
    pProgress->Note(CString(settings.strOutput) + szSize + DescribeFitChoices(chosen, nWidth, nHeight));
    return TRUE;
}
