// CGifHandler, the stream side: formats and samples become GIF blocks through
// the encoder (IAVIStream); the editing, frame and streaming interfaces that a
// write-only GIF stream cannot serve answer AVIERR_UNSUPPORTED.
#include <windows.h>
#include <vfw.h>

#include "DibGeometry.h"
#include "DibPixels.h"
#include "GifHandler.h"
#include "GifImageBlocks.h"

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

// Bytes after the header that frames of this format are read with: the
// colour table of a palette format, the masks of a 40-byte BI_BITFIELDS one.
DWORD FormatTrailerBytes(const BITMAPINFOHEADER& bmih)
{
    if (bmih.biCompression == BI_RGB && bmih.biBitCount <= 8) {
        const DWORD nMax = 1u << bmih.biBitCount;
        return (bmih.biClrUsed == 0 || bmih.biClrUsed > nMax ? nMax : bmih.biClrUsed) * sizeof(RGBQUAD);
    }
    if (bmih.biCompression == BI_BITFIELDS && bmih.biSize == sizeof(BITMAPINFOHEADER))
        return 3 * sizeof(DWORD);
    return 0;
}

// Bytes of rows a frame of this accepted format has.
ULONGLONG FrameRowBytes(const BITMAPINFOHEADER& bmih)
{
    const ULONGLONG width = static_cast<ULONGLONG>(bmih.biWidth);
    const ULONGLONG height = static_cast<ULONGLONG>(bmih.biHeight < 0 ? -static_cast<LONGLONG>(bmih.biHeight)
                                                                       : bmih.biHeight);
    return (bmih.biBitCount * width + 31) / 32 * 4 * height;
}

bool SameColour(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
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

// Every format becomes the format of the images that follow. The first
// 8-bit one also becomes the file header: logical screen, global colour
// table and loop count. A first format of another depth that the handler can
// reduce gives the screen, and the first image written from it the global
// table. A format the handler cannot write is refused, and so are the
// frames that follow it until one it can write comes; so is one larger than
// the screen, which the first format fixed.
HRESULT STDMETHODCALLTYPE CGifHandler::SetFormat(LONG, LPVOID lpFormat, LONG cbFormat)
{
    // The image given before goes in as its format said (and its buffers
    // are not grown while a worker maps it).
    CompletePending();
    if (lpFormat == nullptr || cbFormat < static_cast<LONG>(sizeof(BITMAPINFOHEADER)))
        return RefuseFormat(AVIERR_BADFORMAT);
    BITMAPINFOHEADER bmih;
    ::CopyMemory(&bmih, lpFormat, sizeof bmih);
    if (bmih.biSize < sizeof bmih)
        return RefuseFormat(AVIERR_BADFORMAT);
    if (!m_output.IsOpen())
        return E_UNEXPECTED;    // no Load yet: nowhere to write
    if (FAILED(m_output.Error()))
        return m_output.Error();

    const ULONGLONG cbNeeded = static_cast<ULONGLONG>(bmih.biSize) + FormatTrailerBytes(bmih);
    if (bmih.biBitCount == 8) {
        DibGeometry geometry;
        // The table is read from the copy of the block, which holds the
        // largest header of the family.
        if (!geometry.Read(&bmih) || bmih.biCompression != BI_RGB || bmih.biSize > sizeof(BITMAPV5HEADER))
            return RefuseFormat(AVIERR_BADFORMAT);
        // The encoder reads the colour table of the first format: it must be
        // inside the block the client gave.
        if (!m_bHeaderWritten && !m_bHeaderDeferred
            && static_cast<ULONGLONG>(bmih.biSize) + ColourTableBytes(bmih)
                   > static_cast<ULONGLONG>(cbFormat))
            return RefuseFormat(AVIERR_BADFORMAT);
    } else if (cbNeeded > static_cast<ULONGLONG>(cbFormat)) {
        return RefuseFormat(AVIERR_BADFORMAT);      // its masks or colour table are missing
    }

    ::ZeroMemory(m_format, sizeof m_format);
    ::CopyMemory(m_format, lpFormat,
                 static_cast<ULONGLONG>(cbFormat) < sizeof m_format ? static_cast<DWORD>(cbFormat) : sizeof m_format);
    // Read from the copy of the whole block: the masks of BI_BITFIELDS follow the header.
    if (!CFrameImage::Accepts(reinterpret_cast<const BITMAPINFOHEADER*>(m_format))
        || (bmih.biBitCount != 8 && cbNeeded > sizeof m_format))
        return RefuseFormat(AVIERR_COMPRESSOR);
    const LONGLONG height = bmih.biHeight < 0 ? -static_cast<LONGLONG>(bmih.biHeight) : bmih.biHeight;
    if (FormatTaken() && (bmih.biWidth > m_nScreenWidth || height > m_nScreenHeight))
        return RefuseFormat(AVIERR_BADFORMAT);

    m_bmih = bmih;
    // A later 8-bit format without its table is shown with the global one,
    // as it always was; other formats are read with what follows the header.
    m_bTableGiven = cbNeeded <= static_cast<ULONGLONG>(cbFormat) && cbNeeded <= sizeof m_format;
    m_bFormatUsable = TRUE;
    if (m_bHeaderWritten || m_bHeaderDeferred)
        return S_OK;
    // Frames scaled or limited in colours become true colour: then the first
    // format gives only the screen, as a format of another depth does.
    const bool bReshaped = m_nAskWidth != 0 || m_nAskHeight != 0 || m_nColourLimit < kColourTableEntries;
    if (bmih.biBitCount == 8 && !bReshaped && Differencing())
        return DeferFileHeader(static_cast<const BITMAPINFO*>(lpFormat));
    if (bmih.biBitCount == 8 && !bReshaped)
        return WriteFileHeader(static_cast<const BITMAPINFO*>(lpFormat));
    // The first such format is the screen, as an 8-bit one would have been.
    if (!FormatTaken()) {
        m_nScreenWidth = bmih.biWidth;
        m_nScreenHeight = static_cast<LONG>(height);
        m_scaler.SetScreen(m_nScreenWidth, m_nScreenHeight, m_nAskWidth, m_nAskHeight,
                           m_nColourLimit < kColourTableEntries);
    }
    return S_OK;
}

HRESULT CGifHandler::RefuseFormat(HRESULT hr)
{
    m_bFormatUsable = FALSE;
    return hr;
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
// a local colour table when the image's colours are not the global ones,
// and the LZW data of its indices. 8-bit rows on the global table go to the
// encoder as they are, so such files keep the bytes they always had.
HRESULT STDMETHODCALLTYPE CGifHandler::Write(LONG, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                                             DWORD, LONG* plSampWritten, LONG* plBytesWritten)
{
    if (plSampWritten != nullptr)
        *plSampWritten = 0;
    if (plBytesWritten != nullptr)
        *plBytesWritten = 0;
    if (lSamples != 1)
        return AVIERR_UNSUPPORTED;
    if (!m_output.IsOpen())
        return E_UNEXPECTED;
    // After a failure the file can no longer be whole: nothing more goes in.
    if (FAILED(m_output.Error()))
        return m_output.Error();
    // No frame is taken without a format the handler can write.
    if (!m_bFormatUsable)
        return AVIERR_BADFORMAT;
    if (lpBuffer == nullptr)
        return AVIERR_BADPARAM;
    // The encoder reads every row the format describes, whatever the client says.
    const ULONGLONG cbRows = FrameRowBytes(m_bmih);
    if (cbBuffer < 0 || static_cast<ULONGLONG>(cbBuffer) < cbRows)
        return AVIERR_BADSIZE;

    // Without its workers the stream writes as it always did.
    if (m_bParallel && !m_pipeline.IsStarted() && !m_pipeline.Start(m_output))
        m_bParallel = FALSE;
    const FrameColours colours = NextFrameColours(m_pipeline.IsStarted() != FALSE);
    // Without differencing, a new table holds the colours still pixels show:
    // the frame before must be mapped first.
    if (!colours.differenced) {
        const HRESULT hrBefore = CompletePending();
        if (hrBefore != S_OK)
            return hrBefore;
    }
    // Stage 3: scaled (or widened for the colour limit) before any reduction.
    const BITMAPINFOHEADER* pFormat = reinterpret_cast<const BITMAPINFOHEADER*>(m_format);
    const BYTE* pBits = static_cast<const BYTE*>(lpBuffer);
    HRESULT hr = m_scaler.IsActive() ? m_scaler.Scale(pFormat, pBits, &pFormat, &pBits) : S_OK;
    GifImage image;
    bool bPending = false;
    if (SUCCEEDED(hr))
        hr = m_frames.Convert(pFormat, pBits, colours, image, &bPending);
    if (FAILED(hr))
        return hr == E_OUTOFMEMORY ? Fail(AVIERR_MEMORY) : AVIERR_BADFORMAT;
    if (m_nTopLeftMode == 1 && !m_bFirstKeyKnown) {
        m_bFirstKeyKnown = TRUE;
        m_nFirstKeyColour = bPending ? m_frames.PendingKeyColour() : image.keyColour;
    }
    // The image before goes in first; this one's pixels are mapped by a
    // worker meanwhile, or it goes in now.
    const HRESULT hrBefore = CompletePending();
    if (hrBefore != S_OK)
        return hrBefore;
    GifWriteOptions options = m_options;
    options.wDelay = ImageDelay(m_nImagesAccepted);
    ++m_nImagesAccepted;
    if (bPending) {
        m_pendingOptions = options;
        m_bPending = TRUE;
        m_frames.StartMapping();
        m_pipeline.SubmitTask(m_frames);
    } else {
        const HRESULT hrImage = PlaceImage(image, options, lpBuffer);
        if (hrImage != S_OK)
            return hrImage;
    }

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

FrameColours CGifHandler::NextFrameColours(bool bDefer) const
{
    FrameColours colours;
    colours.dither = m_bDither != FALSE;
    colours.keyColour = NextKeyColour();
    colours.limit = m_nColourLimit;
    // Differenced without a transparent colour of its own (the screen is as
    // large as any format's frames).
    colours.differenced = Differencing() && m_nTopLeftMode == 0 && !m_options.bTransparent;
    colours.defer = bDefer;
    return colours;
}

HRESULT CGifHandler::CompletePending()
{
    if (!m_bPending)
        return S_OK;
    m_bPending = FALSE;
    m_pipeline.WaitTask();
    GifImage image;
    if (FAILED(m_frames.TakeMapped(image)))
        return Fail(AVIERR_MEMORY);
    if (FAILED(m_output.Error()))
        return m_output.Error();
    return PlaceImage(image, m_pendingOptions, nullptr);
}

HRESULT CGifHandler::PlaceImage(GifImage& image, GifWriteOptions options, const void* pClientRows)
{
    if (!m_bHeaderWritten && WriteDeferredHeader(image) != S_OK)
        return m_output.Error();
    const bool bOnGlobal = UsesGlobalTable(image);
    if (Differencing() && !m_differ.IsStarted() && !m_differ.Begin(FileWidth(), FileHeight()))
        return Fail(AVIERR_MEMORY);
    if (ApplyTopLeftTransparency(image, bOnGlobal, options) != S_OK)
        return Fail(AVIERR_MEMORY);
    const bool bRestore = m_nTopLeftMode != 0 || options.bTransparent;
    return WriteImage(image, bOnGlobal, options, bRestore, pClientRows);
}

// A differenced image waits while it is held; one that came before it is
// sent first. Without differencing and workers, images go to the file as
// they always did.
HRESULT CGifHandler::WriteImage(const GifImage& image, bool bOnGlobal, const GifWriteOptions& options, bool bRestore,
                                const void* pClientRows)
{
    const bool bDifference = m_differ.IsStarted() && m_differ.Fits(image);
    const bool bHold = bDifference && options.bTransparent && m_differ.CanHold(image);
    const BYTE transparentIndex = static_cast<BYTE>(options.wTransparentIndex);
    if (m_differ.HasHeld()) {
        const HRESULT hr = SendHeldImage(bHold ? &image : nullptr, transparentIndex);
        if (hr != S_OK)
            return hr;
    }
    const RGBQUAD* shown = bOnGlobal ? m_globalTable : image.table;
    const RGBQUAD* localTable = bOnGlobal ? nullptr : image.table;
    if (bHold)
        return m_differ.Hold(image, shown, localTable, transparentIndex, options.wDelay) ? S_OK
                                                                                          : Fail(AVIERR_MEMORY);

    if (!bDifference && !m_pipeline.IsStarted()) {
        // The exported writers restore the background of transparent images only.
        const bool bExported = image.clientRows && bOnGlobal && bRestore == (options.bTransparent != FALSE);
        const bool bWritten =
            bExported ? GifWriteImageHeader(m_output, &m_bmih, &options)
                            && GifWriteImage(m_output, &m_bmih, static_cast<const BYTE*>(pClientRows))
                      : GifWriteImageBlocks(m_output,
                                            GifPlaceWholeImage(image.geometry, options, localTable, image.count,
                                                               bRestore),
                                            image.geometry, image.indices);
        if (!bWritten)
            return Fail(AVIERR_FILEWRITE);
        m_output.EndImage();
        m_differ.NotePlain(image, shown, bRestore);
        return S_OK;
    }

    CEncodeJob* job = NextJob();
    if (job == nullptr)
        return m_output.Error();
    if (bDifference) {
        const bool bPrepared =
            bRestore ? m_differ.PrepareTransparent(image, shown, localTable,
                                                   options.bTransparent ? transparentIndex : -1, options.wDelay, *job)
                     : m_differ.Prepare(image, shown, localTable, options.wDelay, *job);
        if (!bPrepared)
            return Fail(AVIERR_MEMORY);
    } else {
        if (!FillWholeImage(image, localTable, options, bRestore, *job))
            return Fail(AVIERR_MEMORY);
        m_differ.NotePlain(image, shown, bRestore);
    }
    return SendJob(*job);
}

HRESULT CGifHandler::SendHeldImage(const GifImage* pNext, BYTE nextTransparentIndex)
{
    CEncodeJob* job = NextJob();
    if (job == nullptr)
        return m_output.Error();
    const bool bFilled = pNext != nullptr ? m_differ.EmitHeldFor(*pNext, nextTransparentIndex, *job)
                                          : m_differ.EmitHeldLast(*job);
    return bFilled ? SendJob(*job) : Fail(AVIERR_MEMORY);
}

CEncodeJob* CGifHandler::NextJob()
{
    return m_pipeline.IsStarted() ? m_pipeline.NextJob() : &m_job;
}

HRESULT CGifHandler::SendJob(CEncodeJob& job)
{
    if (m_pipeline.IsStarted()) {
        m_pipeline.Submit();
        return S_OK;
    }
    if (!job.Encode())
        return Fail(AVIERR_MEMORY);
    if (!job.WriteTo(m_output))
        return Fail(AVIERR_FILEWRITE);
    m_output.EndImage();
    return S_OK;
}

HRESULT CGifHandler::Fail(HRESULT hr)
{
    m_output.Fail(hr);
    return m_output.Error();
}

// The blocks come out as GifWriteImageHeader and GifWriteImageBlocks write
// them.
bool CGifHandler::FillWholeImage(const GifImage& image, const RGBQUAD* localTable, const GifWriteOptions& options,
                                 bool bRestore, CEncodeJob& job)
{
    const DibGeometry& g = image.geometry;
    if (!job.Begin(GifPlaceWholeImage(g, options, nullptr, 0, bRestore)))
        return false;
    if (localTable != nullptr)
        job.SetLocalTable(localTable, image.count);
    BYTE* out = job.Pixels();
    for (DWORD y = 0; y < g.height; ++y, out += g.width) {
        const DWORD row = g.topDown ? y : g.height - 1 - y;
        ::CopyMemory(out, image.indices + static_cast<SIZE_T>(row) * g.stride, g.width);
    }
    return true;
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

// The first 8-bit format's size is the screen, its table the global one as
// the header writes it: unused entries black.
void CGifHandler::TakeScreenAndTable(const BITMAPINFO* pFormat)
{
    m_nScreenWidth = pFormat->bmiHeader.biWidth;
    m_nScreenHeight = pFormat->bmiHeader.biHeight < 0 ? -pFormat->bmiHeader.biHeight : pFormat->bmiHeader.biHeight;
    ::ZeroMemory(m_globalTable, sizeof m_globalTable);
    ::CopyMemory(m_globalTable, reinterpret_cast<const BYTE*>(pFormat) + pFormat->bmiHeader.biSize,
                 ColourTableBytes(pFormat->bmiHeader));
}

// The header is tried once: after a failed write the file is damaged, and a
// second header further on would not repair it.
HRESULT CGifHandler::WriteFileHeader(const BITMAPINFO* pFormat)
{
    m_bHeaderWritten = TRUE;
    TakeScreenAndTable(pFormat);
    m_global.SetIdentity(m_globalTable);
    if (!GifWriteFileHeader(m_output, pFormat, &m_options))
        return Fail(AVIERR_FILEWRITE);
    m_output.EndHeader();
    return S_OK;
}

// The differenced layout waits for the first image to order the global
// table; the screen, the source's table and the loop count are taken now,
// as the header would have taken them.
HRESULT CGifHandler::DeferFileHeader(const BITMAPINFO* pFormat)
{
    m_bHeaderDeferred = TRUE;
    TakeScreenAndTable(pFormat);
    m_nDeferredCount = ColourTableBytes(pFormat->bmiHeader) / sizeof(RGBQUAD);
    m_headerOptions = m_options;
    return S_OK;
}

// The global table in the file's order: the colours of the first image,
// most used first, so that images of few colours index only the first
// entries and take short codes; then the source's other colours.
void CGifHandler::OrderGlobalTable(const GifImage& first, DWORD count)
{
    DWORD uses[256] = {};
    const DibGeometry& g = first.geometry;
    for (DWORD y = 0; y < g.height; ++y) {
        const BYTE* row = first.indices + static_cast<SIZE_T>(y) * g.stride;
        for (DWORD x = 0; x < g.width; ++x)
            ++uses[row[x]];
    }
    BYTE order[256];
    for (DWORD i = 0; i < count; ++i) {
        // Insertion by uses, more first; equal uses keep the source's order.
        DWORD at = i;
        while (at > 0 && uses[order[at - 1]] < uses[i]) {
            order[at] = order[at - 1];
            --at;
        }
        order[at] = static_cast<BYTE>(i);
    }
    for (DWORD i = 0; i < 256; ++i)
        m_global.fileIndex[i] = -1;
    ::ZeroMemory(m_global.colours, sizeof m_global.colours);
    for (DWORD r = 0; r < count; ++r) {
        m_global.colours[r] = m_globalTable[order[r]];
        m_global.fileIndex[order[r]] = static_cast<short>(r);
    }
    m_global.count = count;
    m_differ.SetGlobalPalette(&m_global);
}

HRESULT CGifHandler::WriteDeferredHeader(const GifImage& image)
{
    // The differenced layout writes the global table in its own order, and
    // only the entries there are; an image on the global table that uses a
    // colour the file's lacks is given a table of its own (EncodeVersions.h).
    if (Differencing() || m_bHeaderDeferred) {
        m_bHeaderWritten = TRUE;
        DWORD count = m_nDeferredCount;
        if (!m_bHeaderDeferred) {
            ::ZeroMemory(m_globalTable, sizeof m_globalTable);
            ::CopyMemory(m_globalTable, image.table, image.count * sizeof(RGBQUAD));
            count = image.count;
            m_headerOptions = m_options;
        }
        m_bHeaderDeferred = FALSE;
        OrderGlobalTable(image, count == 0 ? 1 : count);
        if (!GifWriteScreen(m_output, FileWidth(), FileHeight(), m_global.colours, m_global.count,
                            m_headerOptions))
            return Fail(AVIERR_FILEWRITE);
        m_output.EndHeader();
        return S_OK;
    }
    // Frames reduced to a colour limit: the global table holds no more
    // entries than the limit lets the first image have, in its order.
    if (m_nColourLimit < kColourTableEntries) {
        m_bHeaderWritten = TRUE;
        ::ZeroMemory(m_globalTable, sizeof m_globalTable);
        ::CopyMemory(m_globalTable, image.table, image.count * sizeof(RGBQUAD));
        m_global.SetIdentity(m_globalTable);
        m_global.count = image.count;
        if (!GifWriteScreen(m_output, FileWidth(), FileHeight(), image.table, image.count, m_options))
            return Fail(AVIERR_FILEWRITE);
        m_output.EndHeader();
        return S_OK;
    }
    struct
    {
        BITMAPINFOHEADER header;
        RGBQUAD colours[kColourTableEntries];
    } format;
    ::ZeroMemory(&format, sizeof format);
    format.header.biSize = sizeof format.header;
    format.header.biWidth = FileWidth();
    format.header.biHeight = FileHeight();
    format.header.biPlanes = 1;
    format.header.biBitCount = 8;
    format.header.biClrUsed = image.count;
    ::CopyMemory(format.colours, image.table, image.count * sizeof(RGBQUAD));
    return WriteFileHeader(reinterpret_cast<const BITMAPINFO*>(&format));
}

bool CGifHandler::UsesGlobalTable(const GifImage& image) const
{
    // An 8-bit format given without its table has always meant the global one.
    if (image.clientRows && !m_bTableGiven)
        return true;
    // Written whole, an image may index only what the file's table has; the
    // differenced layout gives one that needs more a table of its own itself.
    if (!Differencing() && image.count > m_global.count)
        return false;
    for (DWORD i = 0; i < image.count; ++i)
        if (!SameColour(image.table[i], m_globalTable[i]))
            return false;
    return true;
}

DWORD CGifHandler::NextKeyColour() const
{
    if (m_nTopLeftMode == 0)
        return kNoKeyColour;
    return m_nTopLeftMode == 1 && m_bFirstKeyKnown ? m_nFirstKeyColour : kTopLeftKeyColour;
}

// The colour made transparent is a colour of the source: each image's own
// top-left colour (mode 2), or the first image's in every image (mode 1).
// The shared global table of 8-bit material keeps the index rule it always
// had: the top-left index (mode 2), or the first image's index when that
// image used the global table too (mode 1). An image of its own colours
// takes the entry Convert found for the colour, and every other entry of
// that colour is merged into it, so that every pixel of it is clear. An
// image without the colour has no transparent index; it still leaves the
// screen as the others do (WriteImage's bRestore).
HRESULT CGifHandler::ApplyTopLeftTransparency(GifImage& image, bool bOnGlobal, GifWriteOptions& options)
{
    if (m_nTopLeftMode == 0)
        return S_OK;
    const bool bFirst = m_nTopLeftMode == 2 || !m_bFirstTransparentKnown;
    int index = image.keyIndex;
    if (!bOnGlobal) {
        if (index >= 0 && !m_frames.MergeEntries(image, static_cast<BYTE>(index)))
            return AVIERR_MEMORY;
    } else if (bFirst) {
        index = image.topLeft;
    } else {
        index = m_bFirstOnGlobal ? m_nFirstTransparentIndex
                                 : TableEntryOf(m_globalTable, kColourTableEntries, m_nFirstKeyColour);
    }
    if (m_nTopLeftMode == 1 && !m_bFirstTransparentKnown) {
        m_bFirstTransparentKnown = TRUE;
        m_bFirstOnGlobal = bOnGlobal;
        m_nFirstTransparentIndex = index;
        // An 8-bit image on the global table has its colours there.
        m_nFirstKeyColour = bOnGlobal ? ColourOf(m_globalTable[image.topLeft]) : image.keyColour;
    }
    options.bTransparent = index >= 0;
    options.wTransparentIndex = static_cast<WORD>(index >= 0 ? index : 0);
    return S_OK;
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
