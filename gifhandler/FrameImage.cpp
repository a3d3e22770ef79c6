// CFrameImage: palette frames kept or widened, other frames reduced.
//
// The buffers grow to the largest frame seen and are kept for the next one,
// so that memory depends on the frame size and not on the number of frames.
// A reduced frame's source pixels, indices and table stay as the "previous"
// of the next one: the quantizer keeps unchanged areas in the colours they
// were shown in, so that nothing shimmers where nothing moves.
#include "FrameImage.h"

#include <vfw.h>

#include "ColorQuantizer.h"
#include "DibPixels.h"

#include <string.h>

namespace {

template <typename T>
T* Allocate(DWORD nCount)
{
    return static_cast<T*>(::HeapAlloc(::GetProcessHeap(), 0, static_cast<SIZE_T>(nCount) * sizeof(T)));
}

template <typename T>
void Release(T*& p)
{
    if (p != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, p);
    p = nullptr;
}

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

} // namespace

CFrameImage::CFrameImage()
    : m_nCapacity(0), m_pPixels(nullptr), m_pPrevPixels(nullptr), m_pIndices(nullptr), m_pPrevIndices(nullptr),
      m_nPrevCount(0), m_nPrevWidth(0), m_nPrevHeight(0)
{
}

CFrameImage::~CFrameImage()
{
    Free();
}

void CFrameImage::Free()
{
    Release(m_pPrevIndices);
    Release(m_pIndices);
    Release(m_pPrevPixels);
    Release(m_pPixels);
    m_nCapacity = 0;
    m_nPrevCount = 0;
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
    if (nPixels <= m_nCapacity && (!trueColour || m_pPixels != nullptr))
        return true;
    const DWORD nWanted = nPixels > m_nCapacity ? nPixels : m_nCapacity;
    Free();
    m_pIndices = Allocate<BYTE>(nWanted);
    m_pPrevIndices = Allocate<BYTE>(nWanted);
    if (trueColour) {
        m_pPixels = Allocate<DWORD>(nWanted);
        m_pPrevPixels = Allocate<DWORD>(nWanted);
    }
    if (m_pIndices == nullptr || m_pPrevIndices == nullptr
        || (trueColour && (m_pPixels == nullptr || m_pPrevPixels == nullptr))) {
        Free();
        return false;
    }
    m_nCapacity = nWanted;
    return true;
}

HRESULT CFrameImage::Convert(const BITMAPINFOHEADER* format, const BYTE* bits, bool dither, GifImage& image)
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
        image.topLeft = bits[g.topDown ? 0 : static_cast<SIZE_T>(g.height - 1) * g.stride];
        image.clientRows = true;
        return S_OK;
    }

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
        // Each pixel's index, a byte wide, with the frame's own table: nothing
        // is reduced, so nothing is lost.
        const DWORD nBits = format->biBitCount;
        const DWORD stride = ((nBits * width + 31) / 32) * 4;
        const bool topDown = format->biHeight < 0;
        const DWORD nColours = TableEntries(format);
        for (DWORD y = 0; y < height; ++y) {
            const BYTE* row = bits + static_cast<SIZE_T>(topDown ? y : height - 1 - y) * stride;
            BYTE* out = m_pIndices + static_cast<SIZE_T>(y) * width;
            for (DWORD x = 0; x < width; ++x) {
                const DWORD bit = x * nBits;
                const DWORD index = (row[bit / 8] >> (8 - nBits - bit % 8)) & ((1u << nBits) - 1);
                out[x] = static_cast<BYTE>(index < nColours ? index : 0);
            }
        }
        image.indices = m_pIndices;
        image.table = ColourTable(format);
        image.count = nColours;
        image.topLeft = m_pIndices[0];
        return S_OK;
    }

    if (!DibToPixels(format, bits, m_pPixels))
        return AVIERR_BADFORMAT;
    QuantizePrevious previous = {m_pPrevPixels, m_pPrevIndices, m_prevTable, m_nPrevCount};
    const bool bSameSize = m_nPrevCount != 0 && m_nPrevWidth == width && m_nPrevHeight == height;
    DWORD nCount = 0;
    const HRESULT hr = QuantizeFrame(width, height, m_pPixels, dither, bSameSize ? &previous : nullptr, m_table,
                                     &nCount, m_pIndices);
    if (FAILED(hr))
        return hr;
    image.indices = m_pIndices;
    image.table = m_table;
    image.count = nCount;
    image.topLeft = m_pIndices[0];
    // This frame is the next one's previous: the buffers change places, and
    // the image points at the ones that stay untouched until then.
    DWORD* pPixels = m_pPixels;
    m_pPixels = m_pPrevPixels;
    m_pPrevPixels = pPixels;
    BYTE* pIndices = m_pIndices;
    m_pIndices = m_pPrevIndices;
    m_pPrevIndices = pIndices;
    ::memcpy(m_prevTable, m_table, sizeof m_table);
    image.table = m_prevTable;
    m_nPrevCount = nCount;
    m_nPrevWidth = width;
    m_nPrevHeight = height;
    return S_OK;
}
