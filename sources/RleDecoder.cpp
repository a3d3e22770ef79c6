// cRleDecoder: BI_RLE8 and BI_RLE4 rows into plain rows.
//
// The data is a sequence of two-byte codes read from the bottom row up. A
// first byte n above 0 is a run of n pixels of one index (for 4 bits, the two
// nibbles of the second byte in turn). A first byte 0 is an escape: 0 ends
// the row, 1 ends the bitmap, 2 jumps right and up by the next two bytes,
// and 3 to 255 give that many pixels as they are (padded to a 16-bit word).
//
// Nothing in the data is trusted. A run or a literal that passes the end of
// its row is cut there, and a jump past the last row ends the picture: no
// code writes outside the picture, whatever it says. Pixels no code reaches
// stay index 0, as the format intends for jumped-over pixels. Every code
// consumes at least two bytes, so a walk never takes longer than its data.
//
// How large a picture a block of runs may claim (CanFill): one code of two
// bytes gives at most 255 pixels, so a picture whose every pixel is coded
// needs at least one byte of data per 127.5 pixels, plus two bytes for each
// row's end; 128 bytes of plain rows per byte of data therefore holds every
// such picture, row padding included. Only pictures that lean on jumps and
// early row ends to leave large areas at index 0 can claim more, and they are
// allowed a fixed 1 MiB beyond that. So a few kilobytes of hostile data that
// claim 65535 x 65535 pixels are refused before anything is allocated, and
// reading a file costs at most 1 MiB plus 128 times what the file holds.
#include "RleDecoder.h"

namespace {

const ULONGLONG nPlainBytesPerByte = 128;
const ULONGLONG nFreePlainBytes = 1u << 20;

const BYTE bEscape = 0;
const BYTE bEndOfLine = 0;
const BYTE bEndOfBitmap = 1;
const BYTE bDelta = 2;

} // namespace

cRleDecoder::cRleDecoder(DWORD dwCompression, DWORD nWidth, DWORD nHeight, DWORD nStride)
    : m_bFourBits(dwCompression == BI_RLE4), m_nWidth(nWidth), m_nHeight(nHeight),
      m_nStride(nStride), m_nRowsReached(0), m_bReachedEnd(FALSE)
{
}

BOOL cRleDecoder::CanFill(ULONGLONG cbData, ULONGLONG cbRows)
{
    return cbRows <= nFreePlainBytes + nPlainBytesPerByte * cbData;
}

BOOL cRleDecoder::Decode(const BYTE* pData, DWORD cbData, BYTE* pRows)
{
    DWORD x = 0;
    DWORD y = 0;
    DWORD p = 0;
    m_bReachedEnd = FALSE;
    while (y < m_nHeight && cbData - p >= 2) {
        const BYTE nCount = pData[p];
        const BYTE nValue = pData[p + 1];
        p += 2;
        if (nCount != bEscape) {
            for (DWORD i = 0; i < nCount && x < m_nWidth; ++i, ++x) {
                const BYTE nNibble = (i & 1) != 0 ? (nValue & 0x0F) : (nValue >> 4);
                Put(pRows, x, y, m_bFourBits ? nNibble : nValue);
            }
        } else if (nValue == bEndOfLine) {
            x = 0;
            ++y;
        } else if (nValue == bEndOfBitmap) {
            m_bReachedEnd = TRUE;
            break;
        } else if (nValue == bDelta) {
            if (cbData - p < 2)
                break;
            // Kept at the row's end at most, so that no sum can wrap.
            x += pData[p];
            if (x > m_nWidth)
                x = m_nWidth;
            y += pData[p + 1];
            p += 2;
        } else {
            const DWORD cbLiteral = m_bFourBits ? (nValue + 1u) / 2 : nValue;
            const DWORD cbPresent = cbData - p < cbLiteral ? cbData - p : cbLiteral;
            const DWORD nPresent = m_bFourBits ? cbPresent * 2 : cbPresent;
            for (DWORD i = 0; i < nValue && i < nPresent && x < m_nWidth; ++i, ++x) {
                const BYTE nByte = pData[p + (m_bFourBits ? i / 2 : i)];
                const BYTE nNibble = (i & 1) != 0 ? (nByte & 0x0F) : (nByte >> 4);
                Put(pRows, x, y, m_bFourBits ? nNibble : nByte);
            }
            if (cbPresent < cbLiteral)
                break;              // the data ends inside the literal
            // Each literal keeps the codes on 16-bit boundaries.
            const DWORD cbPadded = (cbLiteral + 1) & ~1u;
            p += cbData - p < cbPadded ? cbData - p : cbPadded;
        }
    }
    m_nRowsReached = y < m_nHeight ? y : m_nHeight;
    return m_bReachedEnd || m_nRowsReached > 0;
}

void cRleDecoder::Put(BYTE* pRows, DWORD x, DWORD y, BYTE nIndex) const
{
    if (pRows == nullptr || x >= m_nWidth || y >= m_nHeight)
        return;
    BYTE* pRow = pRows + static_cast<size_t>(y) * m_nStride;
    if (!m_bFourBits) {
        pRow[x] = nIndex;
        return;
    }
    BYTE& b = pRow[x / 2];
    b = (x & 1) != 0 ? static_cast<BYTE>((b & 0xF0) | nIndex) : static_cast<BYTE>((b & 0x0F) | (nIndex << 4));
}
