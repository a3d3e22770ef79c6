// Frame and stream helpers shared by the two export commands.
#include "FrameRecord.h"

#include "Dib.h"

#include <cstdlib>

BYTE TopLeftPixel(cDib& frame)
{
    const BYTE* pRows = static_cast<const BYTE*>(frame.LockBits());
    if (pRows == nullptr || frame.GetHeight() <= 0)
        return 0;
    return pRows[static_cast<size_t>(frame.GetStride()) * static_cast<size_t>(frame.GetHeight() - 1)];
}

void MakeVideoHeader(AVISTREAMINFOA& info, DWORD dwRate, DWORD dwScale, LONG nWidth, LONG nHeight)
{
    ::ZeroMemory(&info, sizeof info);
    info.fccType = streamtypeVIDEO;
    info.dwScale = dwScale;
    info.dwRate = dwRate;
    info.dwQuality = static_cast<DWORD>(-1);
    ::SetRect(&info.rcFrame, 0, 0, nWidth, nHeight);
}

CString GifOutputName(LPCSTR pszSourceName)
{
    char szDrive[_MAX_DRIVE], szDir[_MAX_DIR], szName[_MAX_FNAME], szExt[_MAX_EXT];
    ::_splitpath(pszSourceName, szDrive, szDir, szName, szExt);
    CString strName(szDrive);
    strName += szDir;
    strName += szName;
    strName += ".gif";
    return strName;
}

BOOL IsWritableFrame(const cDib& frame)
{
    const BITMAPINFO* pInfo = frame.GetInfo();
    if (pInfo == nullptr || pInfo->bmiHeader.biCompression != BI_RGB)
        return FALSE;
    const LONG nWidth = frame.GetWidth();
    const LONG nHeight = frame.GetHeight() < 0 ? -frame.GetHeight() : frame.GetHeight();
    // A GIF's sides are 16-bit; a frame to reduce must also fit the
    // reducer's 4096 x 4096 pixels.
    if (nWidth <= 0 || nWidth > 0xFFFF || nHeight <= 0 || nHeight > 0xFFFF)
        return FALSE;
    switch (frame.GetBitCount()) {
    case 8:
        return TRUE;
    case 1: case 4: case 16: case 24: case 32:
        return static_cast<ULONGLONG>(nWidth) * static_cast<ULONGLONG>(nHeight) <= (1ULL << 24);
    default:
        return FALSE;
    }
}

const char kSkipUnreadable[] = "could not be read";
const char kSkipNotWritable[] = "is in a format the GIF writer cannot take";
const char kNothingWritten[] = "No image could be written; the file was left as it was.";
