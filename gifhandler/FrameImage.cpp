// CFrameImage: palette frames kept or widened, other frames reduced.
//
// The buffers grow to the largest frame seen and are kept for the next one,
// so that memory depends on the frame size and not on the number of frames.
// Reduced frames go through the colour stage: each one's table is chosen
// in order, here, and its pixels mapped here or, when the stream has
// workers, on one of them, while the client makes the next frame. The stage
// keeps what the screen shows, so that still areas stay still (see
// ColourStage.cpp); a frame the stage does not make comes between as a new
// start. A key colour (the one to become transparent) is taken from the
// source pixels before anything is reduced.
#include "FrameImage.h"

#include <vfw.h>

#include "DibPixels.h"

#include <string.h>

namespace {

const RGBQUAD* ColourTable(const BITMAPINFOHEADER* format)
{
    return reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(format) + format->biSize);
}

// Entries of an indexed format's colour table, as the encoder counts them.
DWORD TableEntries(const BITMAPINFOHEADER* format)
{
    const DWORD nMax = 1u << format->biBitCount;
    return format->biClrUsed == 0 || format->biClrUsed > nMax ? nMax : format->biClrUsed;
}

// The highest index the rows of an 8-bit frame use.
BYTE HighestIndex(const DibGeometry& g, const BYTE* rows)
{
    BYTE highest = 0;
    for (DWORD y = 0; y < g.height && highest != 0xFF; ++y) {
        const BYTE* row = rows + static_cast<SIZE_T>(y) * g.stride;
        for (DWORD x = 0; x < g.width; ++x)
            highest = row[x] > highest ? row[x] : highest;
    }
    return highest;
}

} // namespace

int TableEntryOf(const RGBQUAD* table, DWORD count, DWORD colour)
{
    for (DWORD i = 0; i < count; ++i)
        if (ColourOf(table[i]) == colour)
            return static_cast<int>(i);
    return -1;
}

CFrameImage::CFrameImage()
    : m_nChosen(0), m_nMapped(0), m_bMapped(false)
{
    ::ZeroMemory(m_frames, sizeof m_frames);
    m_keyColours[0] = m_keyColours[1] = kNoKeyColour;
    ::ZeroMemory(m_extendedTable, sizeof m_extendedTable);
    ::ZeroMemory(m_table, sizeof m_table);
}

bool CFrameImage::Accepts(const BITMAPINFOHEADER* format)
{
    if (format == nullptr)
        return false;
    if (format->biBitCount == 8) {
        DibGeometry geometry;
        return format->biCompression == BI_RGB && geometry.Read(format);
    }
    DWORD width = 0, height = 0;
    return DibPixelSize(format, &width, &height);
}

HRESULT CFrameImage::Convert(const BITMAPINFOHEADER* format, const BYTE* bits, const FrameColours& colours,
                             GifImage& image, bool* pbPending)
{
    *pbPending = false;
    if (!Accepts(format) || bits == nullptr)
        return AVIERR_BADFORMAT;
    image.stayIndex = -1;
    // Palette frames whose tables fit in the limit keep their colours: 8-bit
    // rows go to the encoder as they are, with their own table.
    const bool indexed = format->biCompression == BI_RGB && format->biBitCount <= 8;
    if (indexed && TableEntries(format) <= colours.limit) {
        // What the screen shows is no longer what the colour stage made.
        m_stage.Forget();
        if (format->biBitCount == 8) {
            image.geometry.Read(format);
            image.indices = bits;
            image.table = ColourTable(format);
            image.count = TableEntries(format);
            const DibGeometry& g = image.geometry;
            ExtendTable(image, image.count < 256 ? HighestIndex(g, bits) + 1u : 0);
            image.topLeft = bits[g.topDown ? 0 : static_cast<SIZE_T>(g.height - 1) * g.stride];
            image.clientRows = true;
        } else {
            DWORD width = 0, height = 0;
            DibPixelSize(format, &width, &height);
            if (!m_pIndices.Reserve(static_cast<ULONGLONG>(width) * height))
                return E_OUTOFMEMORY;
            image.geometry.width = width;
            image.geometry.height = height;
            image.geometry.stride = width;
            image.geometry.topDown = true;
            image.clientRows = false;
            Widen(format, bits, width, height, image);
        }
        DWORD keyColour = colours.keyColour;
        if (keyColour == kTopLeftKeyColour)
            keyColour = ColourOf(image.table[image.topLeft]);
        image.keyColour = keyColour;
        image.keyIndex = keyColour == kNoKeyColour ? -1 : TableEntryOf(image.table, image.count, keyColour);
        return S_OK;
    }
    const HRESULT hr = Reduce(format, bits, colours);
    if (FAILED(hr))
        return hr;
    if (colours.defer) {
        *pbPending = true;
        return S_OK;
    }
    StartMapping();
    Run();
    return TakeMapped(image);
}

// Widens the frame and chooses its table, into the frame that is not being
// mapped; it waits there for its mapping.
HRESULT CFrameImage::Reduce(const BITMAPINFOHEADER* format, const BYTE* bits, const FrameColours& colours)
{
    m_nChosen = m_nMapped ^ 1;
    DWORD width = 0, height = 0;
    DibPixelSize(format, &width, &height);
    DWORD* pixels = m_stage.NextPixels(width, height);
    if (pixels == nullptr)
        return E_OUTOFMEMORY;
    if (!DibToPixels(format, bits, pixels)) {
        m_stage.Forget();
        return AVIERR_BADFORMAT;
    }
    DWORD& key = m_keyColours[m_nChosen];
    key = colours.keyColour == kTopLeftKeyColour ? pixels[0] & 0xFFFFFF : colours.keyColour;
    const ColourOptions options = { colours.limit, colours.dither, key != kNoKeyColour, key };
    const HRESULT hr = m_stage.ChooseTable(options, colours.differenced, m_frames[m_nChosen]);
    if (FAILED(hr))
        m_stage.Forget();
    return hr;
}

void CFrameImage::StartMapping()
{
    m_nMapped = m_nChosen;
    m_bMapped = false;
}

void CFrameImage::Run()
{
    m_bMapped = CColourStage::Map(m_frames[m_nMapped], m_lookup, m_mapper);
}

HRESULT CFrameImage::TakeMapped(GifImage& image)
{
    if (!m_bMapped) {
        // What the screen shows is not known after a frame half made.
        m_stage.Forget();
        return E_OUTOFMEMORY;
    }
    const ColourFrame& frame = m_frames[m_nMapped];
    const ColourPlan& plan = frame.plan;
    ::ZeroMemory(m_table, sizeof m_table);
    for (DWORD k = 0; k < plan.count; ++k)
        m_table[k] = QuadOf(plan.colours[k]);
    image.geometry.width = frame.width;
    image.geometry.height = frame.height;
    image.geometry.stride = frame.width;
    image.geometry.topDown = true;
    image.indices = frame.indices;
    image.table = m_table;
    image.count = plan.count;
    image.topLeft = frame.indices[0];
    image.clientRows = false;
    image.keyColour = m_keyColours[m_nMapped];
    image.keyIndex = plan.keyIndex;
    image.stayIndex = plan.stayIndex;
    return S_OK;
}

// An index past the table shows black: the table grows with black entries
// to the highest index the pixels use.
void CFrameImage::ExtendTable(GifImage& image, DWORD nUsed)
{
    if (nUsed <= image.count)
        return;
    ::ZeroMemory(m_extendedTable, sizeof m_extendedTable);
    ::CopyMemory(m_extendedTable, image.table, image.count * sizeof(RGBQUAD));
    image.table = m_extendedTable;
    image.count = nUsed;
}

// Each pixel's index, a byte wide, with the frame's own table: nothing is
// reduced, so nothing is lost.
void CFrameImage::Widen(const BITMAPINFOHEADER* format, const BYTE* bits, DWORD width, DWORD height, GifImage& image)
{
    const DWORD nBits = format->biBitCount;
    const DWORD stride = ((nBits * width + 31) / 32) * 4;
    const bool topDown = format->biHeight < 0;
    DWORD highest = 0;
    for (DWORD y = 0; y < height; ++y) {
        const BYTE* row = bits + static_cast<SIZE_T>(topDown ? y : height - 1 - y) * stride;
        BYTE* out = m_pIndices + static_cast<SIZE_T>(y) * width;
        for (DWORD x = 0; x < width; ++x) {
            const DWORD bit = x * nBits;
            const DWORD index = (row[bit / 8] >> (8 - nBits - bit % 8)) & ((1u << nBits) - 1);
            out[x] = static_cast<BYTE>(index);
            highest = index > highest ? index : highest;
        }
    }
    image.indices = m_pIndices;
    image.table = ColourTable(format);
    image.count = TableEntries(format);
    ExtendTable(image, highest + 1);
    image.topLeft = m_pIndices[0];
}

bool CFrameImage::MergeEntries(GifImage& image, BYTE index)
{
    bool same[256] = {};
    bool bAny = false;
    const DWORD colour = ColourOf(image.table[index]);
    for (DWORD i = 0; i < image.count; ++i) {
        same[i] = i != index && ColourOf(image.table[i]) == colour;
        bAny = bAny || same[i];
    }
    if (!bAny)
        return true;
    const DibGeometry& g = image.geometry;
    const DWORD nBytes = g.stride * g.height;
    BYTE* rows;
    if (image.clientRows) {
        if (!m_pMerged.Reserve(nBytes))
            return false;
        ::memcpy(m_pMerged, image.indices, nBytes);
        rows = m_pMerged;
        image.clientRows = false;
    } else {
        rows = const_cast<BYTE*>(image.indices);    // one of this object's own buffers
    }
    for (DWORD i = 0; i < nBytes; ++i)
        if (same[rows[i]])
            rows[i] = index;
    image.indices = rows;
    return true;
}
