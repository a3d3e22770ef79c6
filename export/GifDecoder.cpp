// cGifDecoder: blocks, images and disposal.
//
// A block is read only once all of it has arrived: the header with the
// screen and its global table, an extension with all of its sub-blocks, an
// image with its descriptor, local table and every sub-block of its data.
// Until then nothing is taken, so the caller can hand over bytes as they
// come. Sizes are checked before anything is allocated: the screen is
// bounded by kMaxScreenPixels, an image by its own sides, and whatever of an
// image lies off the screen is not drawn.
//
// The screen starts transparent. Disposal as web browsers do it: 0 and 1
// leave the image, 2 clears its rectangle to transparent, 3 puts back what
// was under it (for the first image, the empty screen; ImageMagick keeps
// that image instead).
#include "GifDecoder.h"

#include "Exception.h"
#include "LzwDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

const BYTE kExtension = 0x21;
const BYTE kImage = 0x2C;
const BYTE kTrailer = 0x3B;
const BYTE kControlLabel = 0xF9;
const BYTE kApplicationLabel = 0xFF;
const size_t kHeaderSize = 13;          // signature, version and screen descriptor
const size_t kDescriptorSize = 10;      // separator and image descriptor
const char kNoMemory[] = "there is not enough memory to show it";

WORD WordAt(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

// Finds the end of a run of sub-blocks starting at pos (a length byte, that
// many bytes, ..., a zero length). FALSE while it has not all arrived; pos
// is then past the terminator, and cbData (when given) the bytes inside.
BOOL SkipSubBlocks(const BYTE* p, size_t n, size_t& pos, size_t* pcbData = nullptr)
{
    size_t cbData = 0;
    for (;;) {
        if (pos >= n)
            return FALSE;
        const size_t cb = p[pos];
        if (cb == 0) {
            ++pos;
            if (pcbData != nullptr)
                *pcbData = cbData;
            return TRUE;
        }
        if (pos + 1 + cb > n)
            return FALSE;
        pos += 1 + cb;
        cbData += cb;
    }
}

// A colour table of 2 << (packed & 7) entries as opaque 0xAARRGGBB.
void ReadTable(const BYTE* p, int nColours, DWORD* pTable)
{
    for (int i = 0; i < nColours; ++i, p += 3)
        pTable[i] = 0xFF000000u | (static_cast<DWORD>(p[0]) << 16) | (static_cast<DWORD>(p[1]) << 8) | p[2];
}

} // namespace

cGifDecoder::cGifDecoder()
{
    Reset();
}

void cGifDecoder::Reset()
{
    m_bHeader = FALSE;
    m_bDone = FALSE;
    m_nWidth = m_nHeight = 0;
    m_nGlobalColours = 0;
    m_control = Control();
    m_nLastDisposal = 0;
    m_lastRect = Rect();
    m_nDelay = 0;
    m_nFrames = 0;
    m_nLoopCount = -1;
    m_pszError = nullptr;
    m_screen.clear();
    m_saved.clear();
}

cGifDecoder::Result cGifDecoder::Refuse(LPCSTR pszError)
{
    m_pszError = pszError;
    m_bDone = TRUE;
    return damaged;
}

cGifDecoder::Result cGifDecoder::Decode(const BYTE* pData, size_t cbData, size_t& cbUsed)
{
    cbUsed = 0;
    if (m_bDone)
        return m_pszError != nullptr ? damaged : finished;
    if (!m_bHeader) {
        size_t cb = 0;
        const Result result = ReadHeader(pData, cbData, cb);
        cbUsed += cb;
        if (result != frameReady)
            return result;
    }
    for (;;) {
        const BYTE* p = pData + cbUsed;
        const size_t n = cbData - cbUsed;
        if (n == 0)
            return needMore;
        size_t cb = 0;
        Result result;
        switch (p[0]) {
        case kExtension:
            result = ReadExtension(p, n, cb);
            break;
        case kImage:
            result = ReadImage(p, n, cb);
            break;
        case kTrailer:
            m_bDone = TRUE;
            cbUsed += 1;
            return finished;
        default:
            return Refuse("an unknown block follows");
        }
        cbUsed += cb;
        if (result != frameReady || p[0] == kImage)
            return result;
    }
}

// frameReady here only says the header was read.
cGifDecoder::Result cGifDecoder::ReadHeader(const BYTE* p, size_t n, size_t& cbUsed)
{
    if (n < kHeaderSize)
        return needMore;
    if (std::memcmp(p, "GIF87a", 6) != 0 && std::memcmp(p, "GIF89a", 6) != 0)
        return Refuse("it is not a GIF file");
    const LONG nWidth = WordAt(p + 6), nHeight = WordAt(p + 8);
    const BYTE packed = p[10];
    const int nColours = (packed & 0x80) != 0 ? 2 << (packed & 7) : 0;
    const size_t cbTotal = kHeaderSize + 3 * static_cast<size_t>(nColours);
    if (n < cbTotal)
        return needMore;
    if (nWidth == 0 || nHeight == 0)
        return Refuse("its screen is empty");
    if (static_cast<DWORD>(nWidth) * static_cast<DWORD>(nHeight) > kMaxScreenPixels)
        return Refuse("its screen is too large to show");
    try {
        m_screen.assign(static_cast<size_t>(nWidth) * nHeight, 0);
    } catch (CException* e) {
        e->Delete();
        return Refuse(kNoMemory);
    }
    m_nWidth = nWidth;
    m_nHeight = nHeight;
    m_nGlobalColours = nColours;
    ReadTable(p + kHeaderSize, nColours, m_globalTable);
    m_bHeader = TRUE;
    cbUsed = cbTotal;
    return frameReady;
}

// frameReady here only says the extension was read.
cGifDecoder::Result cGifDecoder::ReadExtension(const BYTE* p, size_t n, size_t& cbUsed)
{
    if (n < 2)
        return needMore;
    size_t pos = 2;
    if (!SkipSubBlocks(p, n, pos))
        return needMore;
    const BYTE label = p[1];
    if (label == kControlLabel) {
        if (p[2] < 4)
            return Refuse("a graphic control extension is short");
        m_control.nDisposal = (p[3] >> 2) & 7;
        m_control.bTransparent = (p[3] & 1) != 0;
        m_control.nDelay = WordAt(p + 4);
        m_control.nTransparent = p[6];
    } else if (label == kApplicationLabel && p[2] == 11
               && (std::memcmp(p + 3, "NETSCAPE2.0", 11) == 0 || std::memcmp(p + 3, "ANIMEXTS1.0", 11) == 0)
               && pos >= 18 && p[14] >= 3 && p[15] == 1) {
        m_nLoopCount = WordAt(p + 16);
    }
    cbUsed = pos;
    return frameReady;
}

cGifDecoder::Result cGifDecoder::ReadImage(const BYTE* p, size_t n, size_t& cbUsed)
{
    if (n < kDescriptorSize)
        return needMore;
    Rect rect;
    rect.x = WordAt(p + 1);
    rect.y = WordAt(p + 3);
    rect.cx = WordAt(p + 5);
    rect.cy = WordAt(p + 7);
    const BYTE packed = p[9];
    const int nLocal = (packed & 0x80) != 0 ? 2 << (packed & 7) : 0;
    const BOOL bInterlaced = (packed & 0x40) != 0;
    size_t pos = kDescriptorSize + 3 * static_cast<size_t>(nLocal);
    if (n < pos + 1)
        return needMore;
    const int nMinCodeSize = p[pos++];
    const size_t nDataStart = pos;
    size_t cbData = 0;
    if (!SkipSubBlocks(p, n, pos, &cbData))
        return needMore;
    cbUsed = pos;

    if (nLocal == 0 && m_nGlobalColours == 0)
        return Refuse("an image has no colour table");
    if (!cLzwDecoder::IsValidMinCodeSize(nMinCodeSize))
        return Refuse("an image's code size is out of range");
    DWORD localTable[256];
    const DWORD* pColours = m_globalTable;
    int nColours = m_nGlobalColours;
    if (nLocal != 0) {
        ReadTable(p + kDescriptorSize, nLocal, localTable);
        pColours = localTable;
        nColours = nLocal;
    }
    const size_t nPixels = static_cast<size_t>(rect.cx) * rect.cy;
    try {
        m_data.resize(cbData);
        m_indices.assign(nPixels, 0);
    } catch (CException* e) {
        e->Delete();
        return Refuse(kNoMemory);
    }
    // The sub-blocks joined, without their lengths.
    BYTE* pOut = m_data.data();
    for (size_t at = nDataStart; p[at] != 0; at += 1 + p[at]) {
        std::memcpy(pOut, p + at + 1, p[at]);
        pOut += p[at];
    }
    cLzwDecoder lzw(nMinCodeSize);
    // Pixels the data leaves out keep index 0, as viewers show them.
    if (nPixels > 0 && lzw.Decode(m_data.data(), cbData, m_indices.data(), nPixels) < 0)
        return Refuse("an image's data is damaged");

    Dispose();
    const Control control = m_control;
    m_control = Control();
    if (control.nDisposal == 3)
        m_saved = m_screen;
    // Every index has a colour: beyond the table black, as viewers show it;
    // the transparent one none at all, so that it is not drawn.
    DWORD colours[256];
    std::copy(pColours, pColours + nColours, colours);
    std::fill(colours + nColours, colours + 256, 0xFF000000u);
    if (control.bTransparent)
        colours[control.nTransparent] = 0;
    DrawIndices(rect, bInterlaced, colours);
    m_nLastDisposal = control.nDisposal;
    m_lastRect = rect;
    m_nDelay = control.nDelay;
    ++m_nFrames;
    return frameReady;
}

void cGifDecoder::DrawIndices(const Rect& rect, BOOL bInterlaced, const DWORD* pColours)
{
    const LONG cxDrawn = std::max<LONG>(0, std::min(rect.cx, m_nWidth - rect.x));
    // Interlaced rows come in four passes: every 8th from 0, every 8th from
    // 4, every 4th from 2, every 2nd from 1.
    static const LONG passStart[4] = {0, 4, 2, 1};
    static const LONG passStep[4] = {8, 8, 4, 2};
    LONG nRow = 0;
    for (int nPass = 0; nPass < (bInterlaced ? 4 : 1); ++nPass) {
        const LONG nStart = bInterlaced ? passStart[nPass] : 0;
        const LONG nStep = bInterlaced ? passStep[nPass] : 1;
        for (LONG y = nStart; y < rect.cy; y += nStep, ++nRow) {
            const LONG yScreen = rect.y + y;
            if (yScreen >= m_nHeight || cxDrawn == 0)
                continue;
            const BYTE* pIndex = &m_indices[static_cast<size_t>(nRow) * rect.cx];
            DWORD* pPixel = &m_screen[static_cast<size_t>(yScreen) * m_nWidth + rect.x];
            for (LONG x = 0; x < cxDrawn; ++x) {
                const DWORD colour = pColours[pIndex[x]];
                if (colour != 0)
                    pPixel[x] = colour;
            }
        }
    }
}

void cGifDecoder::Dispose()
{
    const Rect& r = m_lastRect;
    switch (m_nLastDisposal) {
    case 2:
        for (LONG y = r.y; y < std::min(r.y + r.cy, m_nHeight); ++y)
            for (LONG x = r.x; x < std::min(r.x + r.cx, m_nWidth); ++x)
                m_screen[static_cast<size_t>(y) * m_nWidth + x] = 0;
        break;
    case 3:
        if (m_saved.size() == m_screen.size())
            m_screen.swap(m_saved);
        else
            std::fill(m_screen.begin(), m_screen.end(), 0);
        break;
    default:
        break;
    }
    m_nLastDisposal = 0;
}
