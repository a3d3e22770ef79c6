// The fit-under-size search's tries, and the one file it writes.
#include "FitExport.h"

#include "AnimationExport.h"
#include "ByteSize.h"
#include "DrawDib.h"
#include "ExportScopes.h"
#include "FitSearch.h"
#include "GifFileWriter.h"
#include "GifMemoryStream.h"
#include "OutputFile.h"
#include "TryProgress.h"

#include <cstdio>
#include <vector>

namespace {

// A held memory stream, released on every way out.
class cHeldMemory
{
public:
    explicit cHeldMemory(cGifMemoryStream* p) : m_p(p) {}
    ~cHeldMemory()
    {
        if (m_p != nullptr)
            m_p->Release();
    }
    cHeldMemory(const cHeldMemory&) = delete;
    cHeldMemory& operator=(const cHeldMemory&) = delete;
    cGifMemoryStream* Get() const { return m_p; }

private:
    cGifMemoryStream* m_p;
};

// Whether the bytes end as a whole GIF does, with its trailer.
bool IsWholeGif(const std::vector<BYTE>& bytes)
{
    return bytes.size() > 13 && bytes.back() == 0x3B;
}

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
    std::vector<BYTE> best;
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
        cHeldMemory memory(cGifMemoryStream::Create(settings.dwMaxSize));
        if (memory.Get() == nullptr) {
            pProgress->ReportFailure(kFatalWriteError, settings.strOutput, "out of memory");
            return FALSE;
        }
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
        std::vector<BYTE> bytes;
        const bool bFits = result == cGifFileWriter::written && !bOver && memory.Get()->TakeInto(bytes)
                           && IsWholeGif(bytes);
        search.Tell(bFits);
        if (bFits) {
            best.swap(bytes);
            bestReport = tryProgress.GetReport();
            nBestImages = file.GetImagesWritten();
        }
    }
    cExportSettings chosen;
    if (!search.Best(chosen) || best.empty()) {
        pProgress->ReportFailure(
            CString("Nothing fits under ") + strLimit + ", not even with "
                + DescribeFitChoices(trial, nWidth, nHeight) + "; nothing was written.",
            settings.strOutput);
        return FALSE;
    }
    for (const cExportReport::SkippedFile& skipped : bestReport.m_skipped)
        pProgress->FileSkipped(skipped.strFile, skipped.strReason);
    CString strReason;
    if (!WriteBytes(settings.strOutput, best.data(), static_cast<DWORD>(best.size()), strReason)) {
        pProgress->ReportFailure(kUnableToOpen, settings.strOutput, strReason.IsEmpty() ? nullptr : strReason);
        return FALSE;
    }
    pProgress->FileWritten(settings.strOutput, nBestImages, best.size());
    char szSize[64];
    std::snprintf(szSize, sizeof szSize, ": %lu bytes, under %s, with ", static_cast<unsigned long>(best.size()),
                  static_cast<LPCSTR>(strLimit));
    pProgress->Note(CString(settings.strOutput) + szSize + DescribeFitChoices(chosen, nWidth, nHeight));
    return TRUE;
}
