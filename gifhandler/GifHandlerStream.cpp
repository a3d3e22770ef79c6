// CGifHandler, the stream side: formats and samples become GIF blocks through
// the encoder (IAVIStream); the editing, frame and streaming interfaces that a
// write-only GIF stream cannot serve answer AVIERR_UNSUPPORTED.
#include <windows.h>
#include <vfw.h>

#include "DibGeometry.h"
#include "GifHandler.h"

namespace {

const WORD kShortestDelay = 2;  // browsers slow 0 and 1 down to 10
const WORD kLongestDelay = 0xFFFF;
const DWORD kColourTableEntries = 256;

// round(100 * n * scale / rate), modulo 2^64. For absurd streams the whole
// part may wrap, but the difference between neighbouring times stays exact.
ULONGLONG HundredthsAt(ULONGLONG n, DWORD rate, DWORD scale)
{
    const ULONGLONG ticks = n * scale;      // both factors are below 2^32
    const ULONGLONG whole = ticks / rate;
    const ULONGLONG part = ticks % rate;    // below 2^32: 200 * part cannot overflow
    return whole * 100 + (part * 200 + rate) / (2 * static_cast<ULONGLONG>(rate));
}

// Bytes of colour table the encoder reads after the header of an 8-bit format.
DWORD ColourTableBytes(const BITMAPINFOHEADER& bmih)
{
    const DWORD used = bmih.biClrUsed == 0 || bmih.biClrUsed > kColourTableEntries
                           ? kColourTableEntries : bmih.biClrUsed;
    return used * sizeof(RGBQUAD);
}

} // namespace

/////////////////////////////////////////////////////////////////////////////
// IAVIStream

HRESULT STDMETHODCALLTYPE CGifHandler::Create(LPARAM, LPARAM)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::Info(AVISTREAMINFOW* psi, LONG lSize)
{
    return CopyInfo(psi, lSize, &m_gifStreamInfo, sizeof m_gifStreamInfo);
}

LONG STDMETHODCALLTYPE CGifHandler::FindSample(LONG, LONG)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::ReadFormat(LONG, LPVOID, LONG*)
{
    return AVIERR_UNSUPPORTED;
}

// Every format becomes the size of the images that follow; the first 8-bit
// one also becomes the file header: logical screen, global colour table and
// loop count. Formats of other depths are kept so that their samples are
// skipped, but they cannot start the file.
HRESULT STDMETHODCALLTYPE CGifHandler::SetFormat(LONG, LPVOID lpFormat, LONG cbFormat)
{
    if (lpFormat == nullptr || cbFormat < static_cast<LONG>(sizeof(BITMAPINFOHEADER)))
        return AVIERR_BADFORMAT;
    BITMAPINFOHEADER bmih;
    ::CopyMemory(&bmih, lpFormat, sizeof bmih);
    if (bmih.biSize < sizeof bmih)
        return AVIERR_BADFORMAT;
    if (m_hFile == nullptr)
        return E_UNEXPECTED;    // no Load yet: nowhere to write

    if (bmih.biBitCount == 8) {
        DibGeometry geometry;
        if (!geometry.Read(&bmih) || bmih.biCompression != BI_RGB)
            return AVIERR_BADFORMAT;
        // The encoder reads the colour table of the first format: it must be
        // inside the block the client gave.
        if (!m_bHeaderWritten
            && static_cast<ULONGLONG>(bmih.biSize) + ColourTableBytes(bmih)
                   > static_cast<ULONGLONG>(cbFormat))
            return AVIERR_BADFORMAT;
    }

    m_bmih = bmih;
    if (m_bHeaderWritten)
        return S_OK;
    if (bmih.biBitCount != 8)
        return AVIERR_COMPRESSOR;
    return WriteFileHeader(static_cast<const BITMAPINFO*>(lpFormat));
}

HRESULT STDMETHODCALLTYPE CGifHandler::Read(LONG, LONG, LPVOID, LONG, LONG* plBytes,
                                            LONG* plSamples)
{
    if (plBytes != nullptr)
        *plBytes = 0;
    if (plSamples != nullptr)
        *plSamples = 0;
    return AVIERR_UNSUPPORTED;
}

// One sample is one image: a control extension with this image's delay and
// the current transparency, an image descriptor of the current format's size,
// and the LZW data of its rows.
HRESULT STDMETHODCALLTYPE CGifHandler::Write(LONG, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                                             DWORD, LONG* plSampWritten, LONG* plBytesWritten)
{
    if (plSampWritten != nullptr)
        *plSampWritten = 0;
    if (plBytesWritten != nullptr)
        *plBytesWritten = 0;
    if (lSamples != 1)
        return AVIERR_UNSUPPORTED;
    if (m_hFile == nullptr)
        return E_UNEXPECTED;
    // Frames of other depths cannot be shown with the file's colour table:
    // they are left out, and the client goes on with the next frame.
    if (m_bmih.biBitCount != 8)
        return S_OK;

    DibGeometry geometry;
    if (!geometry.Read(&m_bmih) || m_bmih.biCompression != BI_RGB)
        return AVIERR_BADFORMAT;
    if (lpBuffer == nullptr)
        return AVIERR_BADPARAM;
    // The encoder reads every row the format describes, whatever the client says.
    const ULONGLONG cbRows = static_cast<ULONGLONG>(geometry.stride) * geometry.height;
    if (cbBuffer < 0 || static_cast<ULONGLONG>(cbBuffer) < cbRows)
        return AVIERR_BADSIZE;

    GifWriteOptions options = m_options;
    options.wDelay = ImageDelay(m_nImagesWritten);
    ++m_nImagesWritten;
    if (!::GifWriteImageHeader(m_hFile, &m_bmih, &options)
        || !::GifWriteImage(m_hFile, &m_bmih, static_cast<const BYTE*>(lpBuffer)))
        return AVIERR_FILEWRITE;

    if (plSampWritten != nullptr)
        *plSampWritten = 1;
    if (plBytesWritten != nullptr)
        *plBytesWritten = static_cast<LONG>(cbRows);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::Delete(LONG, LONG)
{
    return AVIERR_UNSUPPORTED;
}

// Copies the whole record only: a shorter block would be read past its end.
// The record comes from the client, so from now on its rate sets the delays,
// as a rate given to CreateStream does.
HRESULT STDMETHODCALLTYPE CGifHandler::SetInfo(AVISTREAMINFOW* lpInfo, LONG cbInfo)
{
    if (lpInfo == nullptr)
        return AVIERR_BADPARAM;
    if (cbInfo < static_cast<LONG>(sizeof m_gifStreamInfo))
        return AVIERR_BADSIZE;
    m_gifStreamInfo = *lpInfo;
    m_bClientRate = TRUE;
    return S_OK;
}

/////////////////////////////////////////////////////////////////////////////
// IGetFrame, IAVIStreaming: a write-only stream has no frames to give

LPVOID STDMETHODCALLTYPE CGifHandler::GetFrame(LONG)
{
    return nullptr;
}

HRESULT STDMETHODCALLTYPE CGifHandler::Begin(LONG, LONG, LONG)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::End()
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetFormat(LPBITMAPINFOHEADER, LPVOID, int, int, int, int)
{
    return AVIERR_UNSUPPORTED;
}

/////////////////////////////////////////////////////////////////////////////
// IAVIEditStream

HRESULT STDMETHODCALLTYPE CGifHandler::Cut(LONG*, LONG*, PAVISTREAM* ppResult)
{
    if (ppResult != nullptr)
        *ppResult = nullptr;
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::Copy(LONG*, LONG*, PAVISTREAM* ppResult)
{
    if (ppResult != nullptr)
        *ppResult = nullptr;
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::Paste(LONG*, LONG*, PAVISTREAM, LONG, LONG)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::Clone(PAVISTREAM* ppResult)
{
    if (ppResult != nullptr)
        *ppResult = nullptr;
    return AVIERR_UNSUPPORTED;
}

/////////////////////////////////////////////////////////////////////////////
// Implementation

HRESULT CGifHandler::CopyInfo(void* pDest, LONG lSize, const void* pRecord, DWORD cbRecord)
{
    if (pDest == nullptr)
        return E_POINTER;
    if (lSize < 0)
        return AVIERR_BADSIZE;
    ::CopyMemory(pDest, pRecord, static_cast<DWORD>(lSize) < cbRecord ? static_cast<DWORD>(lSize) : cbRecord);
    return S_OK;
}

// The header is tried once: after a failed write the file is damaged, and a
// second header further on would not repair it.
HRESULT CGifHandler::WriteFileHeader(const BITMAPINFO* pFormat)
{
    m_bHeaderWritten = TRUE;
    return ::GifWriteFileHeader(m_hFile, pFormat, &m_options) ? S_OK : AVIERR_FILEWRITE;
}

// Images follow the stream's clock: image n ends at round(100 (n + 1) scale /
// rate) hundredths, so rounding never adds up over a long animation and the
// file lasts as long as the movie (30 per second gives 3, 4, 3, 3, 4, 3, ...).
// A stream whose client never gave a rate has no clock to follow.
WORD CGifHandler::ImageDelay(DWORD nImage) const
{
    const DWORD rate = m_gifStreamInfo.dwRate;
    const DWORD scale = m_gifStreamInfo.dwScale;
    if (!m_bClientRate || rate == 0 || scale == 0)
        return kDefaultDelay;
    const ULONGLONG delay = HundredthsAt(static_cast<ULONGLONG>(nImage) + 1, rate, scale)
                            - HundredthsAt(nImage, rate, scale);
    if (delay < kShortestDelay)
        return kShortestDelay;
    if (delay > kLongestDelay)
        return kLongestDelay;
    return static_cast<WORD>(delay);
}
