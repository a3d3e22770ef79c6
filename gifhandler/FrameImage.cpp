// CFrameImage: palette frames kept or widened, other frames reduced.
//
// The buffers grow to the largest frame seen and are kept for the next one,
// so that memory depends on the frame size and not on the number of frames.
// A reduced frame's source pixels, indices and table stay as the "previous"
// of the next one, so that nothing shimmers where nothing moves:
//  * When the pixels that changed can be shown with the previous frame's
//    table about as well as a table of their own would show them, the table
//    is kept: unchanged pixels keep their indices exactly, and only the
//    changed ones are mapped (and dithered, among themselves).
//  * Otherwise (a new scene, new colours) the frame gets a table of its own,
//    and the quantizer still keeps unchanged pixels in their old colours
//    where the new table has them.
// A key colour (the one to become transparent) is taken from the source
// pixels before anything is reduced. A kept table serves only a frame of
// the same key colour, and only while that colour has its entry there:
// then the key's pixels take that entry and nothing else is mapped onto it,
// as the quantizer does for a table of the frame's own.
#include "FrameImage.h"

#include <vfw.h>

#include "ColorQuantizer.h"
#include "DibPixels.h"

#include <new>

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

bool HasColour(const DWORD* pixels, DWORD nPixels, DWORD colour)
{
    for (DWORD i = 0; i < nPixels; ++i)
        if ((pixels[i] & 0xFFFFFF) == colour)
            return true;
    return false;
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

// The kept table serves while the changed pixels lie this close to its
// colours, measured against how close a table of the frame's own brings
// them (mean squared error per channel): the eye does not tell a slightly
// coarser table, and it does tell shimmer. Measured on a pan across a
// photograph, keeping the table while it serves gave a higher SSIM than a
// table for every frame, and on a ball over a still gradient a file a tenth
// the size.
const double kKeepTableFactor = 3.0;
const double kKeepTableSlack = 8.0;
// Where most of the picture changed (a pan, a new scene) there is little
// still to keep, and the table has to serve nearly as well as a new one.
const double kMovingShare = 0.5;
const double kMovingFactor = 1.2;

// Whether the frame has at most 256 colours: then it is written exactly,
// whatever table the previous frame had.
bool HasFewColours(const DWORD* pixels, DWORD nPixels)
{
    DWORD slots[1024];
    ::memset(slots, 0xFF, sizeof slots);
    DWORD nColours = 0;
    for (DWORD i = 0; i < nPixels; ++i) {
        const DWORD colour = pixels[i] & 0xFFFFFF;
        DWORD slot = (colour * 2654435761u) >> 22;
        while (slots[slot] != colour && slots[slot] != 0xFFFFFFFF)
            slot = (slot + 1) & 1023;
        if (slots[slot] == colour)
            continue;
        if (++nColours > 256)
            return false;
        slots[slot] = colour;
    }
    return true;
}

int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// The nearest colour of a table but the excluded entry (-1: none),
// remembered per colour for the frame: the changed pixels of an animation
// repeat few colours.
class cNearest
{
public:
    cNearest(const RGBQUAD* table, DWORD count, int excluded)
        : m_table(table), m_count(count), m_excluded(excluded)
    {
        ::memset(m_keys, 0xFF, sizeof m_keys);
    }
    BYTE Find(int r, int g, int b)
    {
        const DWORD key = static_cast<DWORD>(r << 16 | g << 8 | b);
        const DWORD slot = (key ^ (key >> 11) ^ (key >> 19)) & (kSlots - 1);
        if (m_keys[slot] == key)
            return m_values[slot];
        DWORD best = 0, bestDistance = 0xFFFFFFFF;
        for (DWORD i = 0; i < m_count; ++i) {
            if (static_cast<int>(i) == m_excluded)
                continue;
            const int dr = r - m_table[i].rgbRed, dg = g - m_table[i].rgbGreen, db = b - m_table[i].rgbBlue;
            const DWORD d = static_cast<DWORD>(dr * dr + dg * dg + db * db);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        m_keys[slot] = key;
        m_values[slot] = static_cast<BYTE>(best);
        return static_cast<BYTE>(best);
    }

private:
    static const DWORD kSlots = 1u << 14;
    const RGBQUAD* m_table;
    DWORD m_count;
    int m_excluded;
    DWORD m_keys[kSlots];
    BYTE m_values[kSlots];
};

// Shows the frame with the previous frame's table: unchanged pixels keep
// their indices, changed ones get the nearest colour, with their rounding
// error spread over their changed neighbours when dithering. The mean
// squared error per channel between the changed pixels and their nearest
// table colours (0 when none changed), and in *pbExact whether every one
// has its exact colour there. errors holds 6 * (width + 2) ints. The pixels
// of the key colour take keyIndex (which the caller has found in the table)
// and count as unchanged; no other pixel is mapped onto it.
double MapOntoPrevious(DWORD width, DWORD height, const DWORD* pixels, const QuantizePrevious& previous,
                       DWORD keyColour, int keyIndex, bool dither, int* errors, BYTE* indices, bool* pbExact)
{
    cNearest* pNearest = new (std::nothrow) cNearest(previous.table, previous.count, keyIndex);
    if (pNearest == nullptr)
        return -1.0;
    ::memset(errors, 0, 6 * (width + 2) * sizeof(int));
    int* current = errors;
    int* next = errors + 3 * (width + 2);
    double sum = 0;
    DWORD changed = 0;
    for (DWORD y = 0; y < height; ++y) {
        const bool leftToRight = (y & 1) == 0;
        for (DWORD n = 0; n < width; ++n) {
            const DWORD x = leftToRight ? n : width - 1 - n;
            const size_t i = static_cast<size_t>(y) * width + x;
            if ((pixels[i] & 0xFFFFFF) == keyColour) {
                indices[i] = static_cast<BYTE>(keyIndex);
                continue;
            }
            if (((pixels[i] ^ previous.pixels[i]) & 0xFFFFFF) == 0) {
                indices[i] = previous.indices[i];
                continue;
            }
            const int r0 = (pixels[i] >> 16) & 0xFF, g0 = (pixels[i] >> 8) & 0xFF, b0 = pixels[i] & 0xFF;
            int* e = &current[3 * (x + 1)];
            const int r = Clamp(r0 + e[0] / 16), g = Clamp(g0 + e[1] / 16), b = Clamp(b0 + e[2] / 16);
            const BYTE index = pNearest->Find(r, g, b);
            indices[i] = index;
            const RGBQUAD& c = previous.table[index];
            // How well the table holds this colour: its nearest entry, not
            // the dithered choice, whose error is the dither's own noise.
            const RGBQUAD& nearest = dither ? previous.table[pNearest->Find(r0, g0, b0)] : c;
            const int dr = r0 - nearest.rgbRed, dg = g0 - nearest.rgbGreen, db = b0 - nearest.rgbBlue;
            sum += dr * dr + dg * dg + db * db;
            ++changed;
            if (!dither)
                continue;
            // Floyd-Steinberg in sixteenths, to changed neighbours only
            // (unchanged ones skip what they are given).
            const int er = r - c.rgbRed, eg = g - c.rgbGreen, eb = b - c.rgbBlue;
            const int ahead = leftToRight ? 1 : -1;
            int* aheadSame = &current[3 * (x + 1 + ahead)];
            int* below = &next[3 * (x + 1)];
            int* belowAhead = &next[3 * (x + 1 + ahead)];
            int* belowBehind = &next[3 * (x + 1 - ahead)];
            const int channel[3] = {er, eg, eb};
            for (int k = 0; k < 3; ++k) {
                aheadSame[k] += channel[k] * 7;
                belowBehind[k] += channel[k] * 3;
                below[k] += channel[k] * 5;
                belowAhead[k] += channel[k];
            }
        }
        int* done = current;
        current = next;
        next = done;
        ::memset(next, 0, 3 * (width + 2) * sizeof(int));
    }
    delete pNearest;
    *pbExact = sum == 0;
    return changed == 0 ? 0.0 : sum / (3.0 * changed);
}

// The mean squared error per channel between the pixels that differ from
// the previous frame's and their nearest colours in table, those of the key
// colour left out, as MapOntoPrevious leaves them out.
double ChangedPixelsError(DWORD nPixels, const DWORD* pixels, const DWORD* previous, DWORD keyColour,
                          const RGBQUAD* table, DWORD count, double* pdShare)
{
    cNearest* pNearest = new (std::nothrow) cNearest(table, count, TableEntryOf(table, count, keyColour));
    if (pNearest == nullptr)
        return -1.0;
    double sum = 0;
    DWORD changed = 0;
    for (DWORD i = 0; i < nPixels; ++i) {
        if (((pixels[i] ^ previous[i]) & 0xFFFFFF) == 0 || (pixels[i] & 0xFFFFFF) == keyColour)
            continue;
        const int r = (pixels[i] >> 16) & 0xFF, g = (pixels[i] >> 8) & 0xFF, b = pixels[i] & 0xFF;
        const RGBQUAD& c = table[pNearest->Find(r, g, b)];
        sum += (r - c.rgbRed) * (r - c.rgbRed) + (g - c.rgbGreen) * (g - c.rgbGreen) + (b - c.rgbBlue) * (b - c.rgbBlue);
        ++changed;
    }
    delete pNearest;
    *pdShare = nPixels == 0 ? 0.0 : static_cast<double>(changed) / nPixels;
    return changed == 0 ? 0.0 : sum / (3.0 * changed);
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
    : m_nPrevCount(0), m_nPrevWidth(0), m_nPrevHeight(0), m_nPrevKeyColour(kNoKeyColour)
{
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

bool CFrameImage::Reserve(DWORD nPixels, bool trueColour)
{
    // A buffer that grows loses what it held: the previous frame goes with it.
    if (m_pIndices.Capacity() < nPixels || m_pPrevIndices.Capacity() < nPixels
        || (trueColour && (m_pPixels.Capacity() < nPixels || m_pPrevPixels.Capacity() < nPixels
                           || m_pOwnIndices.Capacity() < nPixels)))
        m_nPrevCount = 0;
    return m_pIndices.Reserve(nPixels) && m_pPrevIndices.Reserve(nPixels)
           && (!trueColour
               || (m_pPixels.Reserve(nPixels) && m_pPrevPixels.Reserve(nPixels) && m_pOwnIndices.Reserve(nPixels)));
}

HRESULT CFrameImage::Convert(const BITMAPINFOHEADER* format, const BYTE* bits, bool dither, DWORD keyColour,
                             GifImage& image)
{
    if (!Accepts(format) || bits == nullptr)
        return AVIERR_BADFORMAT;

    // 8-bit rows go to the encoder as they are, with their own table.
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
        const bool indexed = format->biCompression == BI_RGB && format->biBitCount < 8;
        if (!Reserve(width * height, !indexed))
            return E_OUTOFMEMORY;
        image.geometry.width = width;
        image.geometry.height = height;
        image.geometry.stride = width;
        image.geometry.topDown = true;
        image.clientRows = false;
        if (indexed) {
            Widen(format, bits, width, height, image);
        } else {
            if (!DibToPixels(format, bits, m_pPixels))
                return AVIERR_BADFORMAT;
            if (keyColour == kTopLeftKeyColour)
                keyColour = m_pPixels[0] & 0xFFFFFF;
            const HRESULT hr = Reduce(width, height, dither, keyColour);
            if (FAILED(hr))
                return hr;
            image.indices = m_pPrevIndices;
            image.table = m_prevTable;
            image.count = m_nPrevCount;
            image.topLeft = m_pPrevIndices[0];
        }
    }
    if (keyColour == kTopLeftKeyColour)
        keyColour = ColourOf(image.table[image.topLeft]);
    image.keyColour = keyColour;
    image.keyIndex = keyColour == kNoKeyColour ? -1 : TableEntryOf(image.table, image.count, keyColour);
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

// Reduces m_pPixels; the result becomes the previous frame: m_pPrevIndices,
// m_prevTable, m_nPrevCount.
HRESULT CFrameImage::Reduce(DWORD width, DWORD height, bool dither, DWORD keyColour)
{
    const DWORD nPixels = width * height;
    QuantizePrevious previous = {m_pPrevPixels, m_pPrevIndices, m_prevTable, m_nPrevCount};
    const bool bSameSize = m_nPrevCount != 0 && m_nPrevWidth == width && m_nPrevHeight == height;
    // The previous table serves a frame of the same key colour only, and
    // only when the key's pixels find their entry there.
    const int prevKey = keyColour == kNoKeyColour ? -1 : TableEntryOf(m_prevTable, m_nPrevCount, keyColour);
    const bool bMayKeep = bSameSize && m_nPrevKeyColour == keyColour
                          && (prevKey >= 0 || !HasColour(m_pPixels, nPixels, keyColour));
    DWORD nCount = 0;
    bool bKept = false;
    if (bMayKeep) {
        CHeapArray<int> errors;
        if (!errors.Reserve(6 * (width + 2)))
            return E_OUTOFMEMORY;
        bool bExact = false;
        const double error = MapOntoPrevious(width, height, m_pPixels, previous, keyColour, prevKey, dither, errors,
                                             m_pIndices, &bExact);
        if (error < 0)
            return E_OUTOFMEMORY;
        // A frame of at most 256 colours is always written exactly.
        bKept = bExact;
        if (!bKept && !HasFewColours(m_pPixels, nPixels)) {
            const HRESULT hr = QuantizeFrame(width, height, m_pPixels, dither, &previous, keyColour, m_table, &nCount,
                                             m_pOwnIndices);
            if (FAILED(hr))
                return hr;
            double dShare = 0;
            const double own =
                ChangedPixelsError(nPixels, m_pPixels, m_pPrevPixels, keyColour, m_table, nCount, &dShare);
            if (own < 0)
                return E_OUTOFMEMORY;
            bKept = dShare > kMovingShare ? error <= kMovingFactor * own
                                          : error <= kKeepTableFactor * own + kKeepTableSlack;
            if (!bKept) {
                // The frame's own table: its indices take the place of the kept ones.
                m_pOwnIndices.Swap(m_pIndices);
            }
        } else if (!bKept) {
            const HRESULT hr = QuantizeFrame(width, height, m_pPixels, dither, &previous, keyColour, m_table, &nCount,
                                             m_pIndices);
            if (FAILED(hr))
                return hr;
        }
    } else {
        const HRESULT hr = QuantizeFrame(width, height, m_pPixels, dither, bSameSize ? &previous : nullptr,
                                         keyColour, m_table, &nCount, m_pIndices);
        if (FAILED(hr))
            return hr;
    }
    if (bKept) {
        ::memcpy(m_table, m_prevTable, sizeof m_table);
        nCount = m_nPrevCount;
    }
    // This frame is the next one's previous: the buffers change places, and
    // the image points at the ones that stay untouched until then.
    m_pPixels.Swap(m_pPrevPixels);
    m_pIndices.Swap(m_pPrevIndices);
    ::memcpy(m_prevTable, m_table, sizeof m_table);
    m_nPrevCount = nCount;
    m_nPrevWidth = width;
    m_nPrevHeight = height;
    m_nPrevKeyColour = keyColour;
    return S_OK;
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
