// cDib: building headers, reading .bmp files and packed DIBs, and GDI drawing.
//
// Nothing from a file or a decoder is trusted: sizes are checked before they
// are used for allocation, colour counts are clamped to the table that was
// made, and top-down input is turned into the bottom-up rows the rest of the
// program expects. A .bmp file must hold every row its header describes
// before any pixel memory is taken, so reading a file never costs more than
// a small constant plus what the file holds (run-length rows: see
// RleDecoder.cpp). The buffer always keeps plain BI_RGB rows after a 40-byte
// header, whatever header and row coding the file used: bit-field rows
// whose masks BI_RGB cannot say become 24-bit rows.
#include "Dib.h"

#include "Palette.h"
#include "RleDecoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>

namespace {

const WORD wBmpSignature = 0x4D42;          // "BM"
const DWORD dwFileHeaderSize = 14;
const DWORD dwInfoHeaderSize = 40;
const DWORD dwCoreHeaderSize = 12;
const DWORD dwV4HeaderSize = 108;
const DWORD dwV5HeaderSize = 124;
const LONG nMaxDimension = 65535;
// No file header was read: the rows follow the colour table.
const ULONGLONG nRowsFollowTable = ~0ULL;

// Bytes in one row of pixels, padded to four bytes.
ULONGLONG StrideOf(ULONGLONG nWidth, WORD nBitCount)
{
    return (((nWidth * nBitCount + 7) >> 3) + 3) & ~3ULL;
}

BOOL IsSupportedBitCount(WORD nBitCount)
{
    switch (nBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
        return TRUE;
    default:
        return FALSE;
    }
}

// Reads and drops nCount bytes; FALSE when the file ends first.
BOOL SkipBytes(CFile& file, ULONGLONG nCount)
{
    BYTE scratch[512];
    while (nCount > 0) {
        const UINT nChunk = static_cast<UINT>(std::min<ULONGLONG>(nCount, sizeof(scratch)));
        if (file.Read(scratch, nChunk) != nChunk)
            return FALSE;
        nCount -= nChunk;
    }
    return TRUE;
}

BOOL SeekTo(CFile& file, ULONGLONG nPosition)
{
    if (nPosition > static_cast<ULONGLONG>(LONG_MAX))
        return FALSE;
    file.Seek(static_cast<LONG>(nPosition), CFile::begin);
    return TRUE;
}

// The row codings a file may use: plain rows of any depth, rows with bit
// fields (whose masks are checked on their own), or runs of the one depth
// each run-length coding is made for, stored bottom-up as the format requires.
BOOL IsReadableCoding(DWORD dwCompression, WORD nBitCount, LONG nHeight)
{
    switch (dwCompression) {
    case BI_RGB:
    case BI_BITFIELDS:
        return TRUE;
    case BI_RLE8:
        return nBitCount == 8 && nHeight > 0;
    case BI_RLE4:
        return nBitCount == 4 && nHeight > 0;
    default:
        return FALSE;
    }
}

static_assert(sizeof(RGBTRIPLE) == 3, "colour triples of core headers are packed");
static_assert(sizeof(BITMAPFILEHEADER) == 14, "the file header is packed");

// One freed pixel block is kept back for the next picture of the same size.
// The export walks free each frame and at once allocate the next; a block of
// this size that went back to the heap comes back as fresh pages from the
// system, every one of them faulted in again, which cost more per frame than
// reading the file. Slot access is atomic, so any thread may free or allocate.
// Small blocks gain nothing; a very large one is not worth holding on to.
HGLOBAL volatile g_hSpareBits = nullptr;
const SIZE_T nSmallestSpare = 64 * 1024;
const SIZE_T nLargestSpare = 32 * 1024 * 1024;

HGLOBAL TakeSpareBits(DWORD dwSize)
{
    HGLOBAL hSpare = static_cast<HGLOBAL>(::InterlockedExchangePointer(const_cast<PVOID*>(&g_hSpareBits), nullptr));
    if (hSpare == nullptr)
        return nullptr;
    if (::GlobalSize(hSpare) != dwSize) {
        ::GlobalFree(hSpare);
        return nullptr;
    }
    // As GMEM_ZEROINIT would give it.
    if (void* p = ::GlobalLock(hSpare)) {
        std::memset(p, 0, dwSize);
        ::GlobalUnlock(hSpare);
        return hSpare;
    }
    ::GlobalFree(hSpare);
    return nullptr;
}

void KeepSpareBits(HGLOBAL hBits)
{
    const SIZE_T nSize = ::GlobalSize(hBits);
    if (nSize < nSmallestSpare || nSize > nLargestSpare) {
        ::GlobalFree(hBits);
        return;
    }
    if (HGLOBAL hOld = static_cast<HGLOBAL>(::InterlockedExchangePointer(const_cast<PVOID*>(&g_hSpareBits), hBits)))
        ::GlobalFree(hOld);
}

} // namespace

cDib::cDib()
    : m_pInfo(nullptr), m_pBits(nullptr), m_hBits(nullptr), m_nColors(0), m_nStride(0),
      m_nInfoSize(0), m_nStretchMode(COLORONCOLOR), m_bTopDownSource(FALSE), m_nRowsOffset(nRowsFollowTable),
      m_dwRowsCompression(BI_RGB), m_cbRowsData(0), m_nSourceBitCount(0), m_pszRefusal(nullptr)
{
}

cDib::~cDib()
{
    cDib::FreeBits();
    DeleteInfo();
}

void cDib::DeleteInfo()
{
    delete[] reinterpret_cast<BYTE*>(m_pInfo);
    m_pInfo = nullptr;
    m_nColors = 0;
    m_nStride = 0;
    m_nInfoSize = 0;
    m_bTopDownSource = FALSE;
    m_nRowsOffset = nRowsFollowTable;
    m_dwRowsCompression = BI_RGB;
    m_cbRowsData = 0;
    m_nSourceBitCount = 0;
}

BOOL cDib::IsValidSize(LONG nWidth, LONG nHeight, WORD nBitCount)
{
    if (nHeight < 0 && nHeight != LONG_MIN)
        nHeight = -nHeight;
    if (nWidth <= 0 || nWidth > nMaxDimension || nHeight <= 0 || nHeight > nMaxDimension)
        return FALSE;
    if (!IsSupportedBitCount(nBitCount))
        return FALSE;
    return StrideOf(static_cast<ULONGLONG>(nWidth), nBitCount) * static_cast<ULONGLONG>(nHeight) <= 0xFFFFFFFFULL;
}

BOOL cDib::Create(LONG nWidth, LONG nHeight, WORD nBitCount)
{
    if (m_pInfo != nullptr || !IsValidSize(nWidth, nHeight, nBitCount))
        return FALSE;
    if (nHeight < 0)
        nHeight = -nHeight;
    const ULONGLONG nStride = StrideOf(static_cast<ULONGLONG>(nWidth), nBitCount);
    const ULONGLONG nSizeImage = nStride * static_cast<ULONGLONG>(nHeight);

    const UINT nColors = nBitCount <= 8 ? (1u << nBitCount) : 0;
    const WORD nInfoSize = static_cast<WORD>(dwInfoHeaderSize + 4 * nColors);
    BYTE* pBlock = new (std::nothrow) BYTE[nInfoSize];
    if (pBlock == nullptr)
        return FALSE;
    std::memset(pBlock, 0, nInfoSize);

    m_pInfo = reinterpret_cast<BITMAPINFO*>(pBlock);
    m_nColors = nColors;
    m_nInfoSize = nInfoSize;
    m_nStride = static_cast<DWORD>(nStride);
    m_bTopDownSource = FALSE;

    BITMAPINFOHEADER& bih = m_pInfo->bmiHeader;
    bih.biSize = dwInfoHeaderSize;
    bih.biWidth = nWidth;
    bih.biHeight = nHeight;
    bih.biPlanes = 1;
    bih.biBitCount = nBitCount;
    bih.biCompression = BI_RGB;
    bih.biSizeImage = static_cast<DWORD>(nSizeImage);
    bih.biClrUsed = nColors;
    return TRUE;
}

BOOL cDib::CopyColorTable(const cDib& source)
{
    if (m_pInfo == nullptr || source.m_pInfo == nullptr)
        return FALSE;
    if (m_nColors < source.m_nColors)
        return FALSE;
    // m_nColors never exceeds the table the header block was made with.
    std::memcpy(m_pInfo->bmiColors, source.m_pInfo->bmiColors, source.m_nColors * sizeof(RGBQUAD));
    return TRUE;
}

BOOL cDib::SetFromPackedDib(const BITMAPINFOHEADER* pPacked)
{
    m_pszRefusal = nullptr;
    if (pPacked == nullptr)
        return FALSE;
    // Check what the block says of itself before anything is replaced.
    if (pPacked->biSize != dwInfoHeaderSize || pPacked->biClrUsed > 256)
        return FALSE;
    // The buffer's rows are always BI_RGB: masks that mean anything else
    // (5-6-5 above all) are widened to 24-bit rows.
    cBitFields fields;
    DWORD dwMasks = 0;
    if (pPacked->biCompression == BI_BITFIELDS) {
        m_pszRefusal = fields.Read(reinterpret_cast<const DWORD*>(pPacked + 1), pPacked->biBitCount);
        if (m_pszRefusal != nullptr)
            return FALSE;
        dwMasks = 3 * sizeof(DWORD);
    } else if (pPacked->biCompression != BI_RGB) {
        return FALSE;
    }
    if (!IsValidSize(pPacked->biWidth, pPacked->biHeight, pPacked->biBitCount))
        return FALSE;
    const BOOL bTopDown = pPacked->biHeight < 0;
    const WORD nSourceBitCount = dwMasks != 0 && !fields.IsPlain() ? pPacked->biBitCount : 0;

    FreeBits();
    DeleteInfo();
    if (!Create(pPacked->biWidth, pPacked->biHeight, nSourceBitCount != 0 ? 24 : pPacked->biBitCount))
        return FALSE;
    m_nSourceBitCount = nSourceBitCount;
    m_fields = fields;

    const BYTE* pPackedColors = reinterpret_cast<const BYTE*>(pPacked) + dwInfoHeaderSize + dwMasks;
    if (m_nColors > 0) {
        const UINT nCopy = pPacked->biClrUsed != 0 ? std::min<UINT>(pPacked->biClrUsed, m_nColors) : m_nColors;
        std::memcpy(m_pInfo->bmiColors, pPackedColors, nCopy * sizeof(RGBQUAD));
    }
    if (!AllocBits(FALSE))
        return FALSE;

    const DWORD dwPackedTable = pPacked->biClrUsed != 0 ? pPacked->biClrUsed * sizeof(RGBQUAD)
                                                        : static_cast<DWORD>(m_nInfoSize - dwInfoHeaderSize);
    const BYTE* pPackedBits = pPackedColors + dwPackedTable;
    const DWORD dwSize = m_pInfo->bmiHeader.biSizeImage;
    // Some decoders record the rows' size without their padding although the
    // rows carry it; the layout of a DIB fixes the padded size either way.
    const WORD nPackedBitCount = pPacked->biBitCount;
    const DWORD dwUnpadded = static_cast<DWORD>(((static_cast<ULONGLONG>(GetWidth()) * nPackedBitCount + 7) >> 3) * GetHeight());
    const DWORD dwPackedSize = pPacked->biSizeImage;
    BOOL bCopied = FALSE;
    if (dwPackedSize == 0 || dwPackedSize == GetSourceBitsSize() || dwPackedSize == dwUnpadded) {
        BYTE* pBits = static_cast<BYTE*>(LockBits());
        if (pBits != nullptr) {
            if (m_nSourceBitCount == 0) {
                std::memcpy(pBits, pPackedBits, dwSize);
            } else {
                const DWORD dwSourceStride = static_cast<DWORD>(StrideOf(static_cast<ULONGLONG>(GetWidth()), m_nSourceBitCount));
                for (LONG y = 0; y < GetHeight(); ++y)
                    m_fields.WidenRow(pPackedBits + static_cast<size_t>(y) * dwSourceStride, GetWidth(),
                                      pBits + static_cast<size_t>(y) * m_nStride);
            }
            if (bTopDown) {
                m_bTopDownSource = TRUE;
                FlipRows();
            }
            bCopied = TRUE;
        }
    }
    UnlockBits();
    return bCopied;
}

BOOL cDib::LoadBmpFile(LPCSTR lpszPath)
{
    CFile file;
    if (lpszPath == nullptr || !file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary))
        return FALSE;
    return ReadBmp(file);
}

BOOL cDib::ReadBmp(CFile& file)
{
    const BOOL bRead = ReadFileHeader(file) && ReadInfo(file) && AllocBits(FALSE) && ReadBits(file);
    UnlockBits();
    return bRead;
}

BOOL cDib::ReadFileHeader(CFile& file)
{
    const ULONGLONG nStart = file.GetPosition();
    BITMAPFILEHEADER bfh;
    if (file.Read(&bfh, dwFileHeaderSize) != dwFileHeaderSize || bfh.bfType != wBmpSignature)
        return FALSE;
    m_nRowsOffset = nStart + bfh.bfOffBits;
    return TRUE;
}

BOOL cDib::ReadInfo(CFile& file)
{
    m_pszRefusal = nullptr;
    if (m_pInfo != nullptr)
        return FALSE;           // a header, once made, stays
    DWORD dwHeaderSize = 0;
    if (file.Read(&dwHeaderSize, sizeof(dwHeaderSize)) != sizeof(dwHeaderSize))
        return FALSE;
    BOOL bRead = FALSE;
    if (dwHeaderSize == dwInfoHeaderSize || dwHeaderSize == dwV4HeaderSize || dwHeaderSize == dwV5HeaderSize)
        bRead = ReadInfoHeader(file, dwHeaderSize);
    else if (dwHeaderSize == dwCoreHeaderSize)
        bRead = ReadCoreHeader(file);
    if (bRead)
        bRead = FindRows(file);
    if (!bRead)
        DeleteInfo();
    return bRead;
}

// The larger headers begin with the same 40 bytes; of what they add, only
// the bit-field masks (their first fields, where a 40-byte header has them
// after it) say anything about the rows: colour space and profile do not.
BOOL cDib::ReadInfoHeader(CFile& file, DWORD dwHeaderSize)
{
    BITMAPINFOHEADER bih;
    bih.biSize = dwInfoHeaderSize;
    const UINT nRest = dwInfoHeaderSize - sizeof(DWORD);
    if (file.Read(reinterpret_cast<BYTE*>(&bih) + sizeof(DWORD), nRest) != nRest)
        return FALSE;
    DWORD masks[3] = {};
    const UINT nMaskBytes = bih.biCompression == BI_BITFIELDS ? sizeof masks : 0;
    const DWORD dwLarger = dwHeaderSize - dwInfoHeaderSize;
    if (file.Read(masks, nMaskBytes) != nMaskBytes || !SkipBytes(file, dwLarger > nMaskBytes ? dwLarger - nMaskBytes : 0))
        return FALSE;
    if (!IsReadableCoding(bih.biCompression, bih.biBitCount, bih.biHeight))
        return FALSE;
    WORD nBitCount = bih.biBitCount;
    if (nMaskBytes != 0 && !TakeMasks(masks, bih.biBitCount, &nBitCount))
        return FALSE;
    const WORD nSourceBitCount = nBitCount != bih.biBitCount ? bih.biBitCount : 0;
    if (!IsValidSize(bih.biWidth, bih.biHeight, bih.biBitCount) || !Create(bih.biWidth, bih.biHeight, nBitCount))
        return FALSE;
    m_nSourceBitCount = nSourceBitCount;
    m_bTopDownSource = bih.biHeight < 0;
    m_dwRowsCompression = bih.biCompression;
    m_cbRowsData = bih.biSizeImage;

    // A count above the table that Create made is clamped; the entries beyond
    // it are still in the file before the rows, so they are skipped.
    const UINT nTable = m_nColors;
    ULONGLONG nSkip = 0;
    if (bih.biClrUsed != 0 && bih.biClrUsed != nTable) {
        if (bih.biClrUsed < nTable)
            m_nColors = bih.biClrUsed;
        else
            nSkip = static_cast<ULONGLONG>(bih.biClrUsed - nTable) * sizeof(RGBQUAD);
    }
    const UINT nTableBytes = m_nColors * sizeof(RGBQUAD);
    if (file.Read(m_pInfo->bmiColors, nTableBytes) != nTableBytes)
        return FALSE;
    return SkipBytes(file, nSkip);
}

BOOL cDib::ReadCoreHeader(CFile& file)
{
    BITMAPCOREHEADER bch;
    const UINT nRest = dwCoreHeaderSize - sizeof(DWORD);
    if (file.Read(reinterpret_cast<BYTE*>(&bch) + sizeof(DWORD), nRest) != nRest)
        return FALSE;
    if (!Create(bch.bcWidth, bch.bcHeight, bch.bcBitCount))
        return FALSE;
    if (m_nColors == 0)
        return TRUE;
    RGBTRIPLE triples[256];
    const UINT nBytes = m_nColors * sizeof(RGBTRIPLE);
    if (file.Read(triples, nBytes) != nBytes)
        return FALSE;
    for (UINT i = 0; i < m_nColors; ++i) {
        RGBQUAD& quad = m_pInfo->bmiColors[i];
        quad.rgbBlue = triples[i].rgbtBlue;
        quad.rgbGreen = triples[i].rgbtGreen;
        quad.rgbRed = triples[i].rgbtRed;
        quad.rgbReserved = 0;
    }
    return TRUE;
}

// The rows start where the file header says, which may leave a gap after
// the colour table (writers put colour profiles or alignment there); a
// start inside the headers or the table, or beyond the file, is damage.
// The file must hold every row, or all of its run-length data, before the
// pixel block can be allocated.
BOOL cDib::FindRows(CFile& file)
{
    const ULONGLONG nTableEnd = file.GetPosition();
    const ULONGLONG nLength = file.GetLength();
    const ULONGLONG nRows = m_nRowsOffset == nRowsFollowTable ? nTableEnd : m_nRowsOffset;
    if (nRows < nTableEnd || nRows >= nLength)
        return FALSE;
    if (!cRleDecoder::IsRunLength(m_dwRowsCompression))
        return nRows + GetSourceBitsSize() <= nLength && SeekTo(file, nRows);

    // Data of unrecorded size runs to the end of the file.
    const ULONGLONG cbData = m_cbRowsData != 0 ? m_cbRowsData : nLength - nRows;
    if (nRows + cbData > nLength || !cRleDecoder::CanFill(cbData, GetBitsSize()))
        return FALSE;
    m_cbRowsData = static_cast<DWORD>(cbData);
    return SeekTo(file, nRows) && ReadRunLengthRows(file, nullptr) && SeekTo(file, nRows);
}

BOOL cDib::TakeMasks(const DWORD* pMasks, WORD nBitCount, WORD* pnBitCount)
{
    m_pszRefusal = m_fields.Read(pMasks, nBitCount);
    if (m_pszRefusal != nullptr)
        return FALSE;
    *pnBitCount = m_fields.IsPlain() ? nBitCount : 24;
    return TRUE;
}

ULONGLONG cDib::GetSourceBitsSize() const
{
    if (m_nSourceBitCount == 0)
        return GetBitsSize();
    return StrideOf(static_cast<ULONGLONG>(GetWidth()), m_nSourceBitCount) * static_cast<ULONGLONG>(GetHeight());
}

BOOL cDib::ReadWidenedRows(CFile& file, BYTE* pBits) const
{
    const UINT nSourceStride = static_cast<UINT>(StrideOf(static_cast<ULONGLONG>(GetWidth()), m_nSourceBitCount));
    std::unique_ptr<BYTE[]> pRow(new (std::nothrow) BYTE[nSourceStride]);
    if (pRow == nullptr)
        return FALSE;
    for (LONG y = 0; y < GetHeight(); ++y) {
        if (file.Read(pRow.get(), nSourceStride) != nSourceStride)
            return FALSE;
        m_fields.WidenRow(pRow.get(), GetWidth(), pBits + static_cast<size_t>(y) * m_nStride);
    }
    return TRUE;
}

BOOL cDib::ReadRunLengthRows(CFile& file, BYTE* pBits) const
{
    std::unique_ptr<BYTE[]> pData(new (std::nothrow) BYTE[m_cbRowsData]);
    if (pData == nullptr || file.Read(pData.get(), m_cbRowsData) != m_cbRowsData)
        return FALSE;
    const BITMAPINFOHEADER& bih = m_pInfo->bmiHeader;
    cRleDecoder decoder(m_dwRowsCompression, bih.biWidth, bih.biHeight, m_nStride);
    return decoder.Decode(pData.get(), m_cbRowsData, pBits);
}

BOOL cDib::ReadBits(CFile& file)
{
    if (m_pInfo == nullptr)
        return FALSE;
    if (m_hBits == nullptr && !AllocBits(FALSE))
        return FALSE;
    BYTE* pBits = static_cast<BYTE*>(LockBits());
    if (pBits == nullptr)
        return FALSE;
    BOOL bRead;
    if (cRleDecoder::IsRunLength(m_dwRowsCompression)) {
        bRead = ReadRunLengthRows(file, pBits);
    } else if (m_nSourceBitCount != 0) {
        bRead = ReadWidenedRows(file, pBits);
    } else {
        const DWORD dwSize = GetBitsSize();
        DWORD dwDone = 0;
        while (dwDone < dwSize) {
            const UINT nRead = file.Read(pBits + dwDone, dwSize - dwDone);
            if (nRead == 0)
                break;
            dwDone += nRead;
        }
        bRead = dwDone == dwSize;
    }
    if (!bRead) {
        UnlockBits();
        FreeBits();
        return FALSE;
    }
    if (m_bTopDownSource)
        FlipRows();
    return TRUE;
}

void cDib::FlipRows()
{
    ASSERT(m_pBits != nullptr && m_bTopDownSource);
    BYTE* pTop = static_cast<BYTE*>(m_pBits);
    BYTE* pBottom = pTop + static_cast<size_t>(m_nStride) * (GetHeight() - 1);
    while (pTop < pBottom) {
        std::swap_ranges(pTop, pTop + m_nStride, pBottom);
        pTop += m_nStride;
        pBottom -= m_nStride;
    }
    m_bTopDownSource = FALSE;
}

void* cDib::LockBits()
{
    if (m_pBits == nullptr && m_hBits != nullptr)
        m_pBits = ::GlobalLock(m_hBits);
    return m_pBits;
}

void cDib::UnlockBits()
{
    if (m_pBits != nullptr) {
        ::GlobalUnlock(m_hBits);
        m_pBits = nullptr;
    }
}

void cDib::FreeBits()
{
    cDib::UnlockBits();
    if (m_hBits != nullptr) {
        KeepSpareBits(m_hBits);
        m_hBits = nullptr;
    }
}

BOOL cDib::AllocBits(BOOL bShare)
{
    if (m_pInfo == nullptr || m_hBits != nullptr)
        return FALSE;
    const DWORD dwSize = m_pInfo->bmiHeader.biSizeImage;
    if (!bShare)
        m_hBits = TakeSpareBits(dwSize);
    if (m_hBits == nullptr) {
        const UINT uFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | (bShare ? GMEM_DDESHARE : 0);
        m_hBits = ::GlobalAlloc(uFlags, dwSize);
    }
    return m_hBits != nullptr;
}

DWORD cDib::GetFileSize()
{
    return m_nInfoSize + GetBitsSize() + dwFileHeaderSize;
}

void cDib::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        if (m_pInfo == nullptr || m_hBits == nullptr)
            return;
        BITMAPFILEHEADER bfh = {};
        bfh.bfType = wBmpSignature;
        bfh.bfSize = GetFileSize();
        bfh.bfOffBits = m_nInfoSize + dwFileHeaderSize;
        ar.Write(&bfh, dwFileHeaderSize);
        ar.Write(m_pInfo, m_nInfoSize);
        const void* pBits = LockBits();
        if (pBits != nullptr)
            ar.Write(pBits, GetBitsSize());
        UnlockBits();
        return;
    }

    FreeBits();
    DeleteInfo();
    BITMAPFILEHEADER bfh;
    if (ar.Read(&bfh, dwFileHeaderSize) != dwFileHeaderSize || bfh.bfType != wBmpSignature)
        return;
    BITMAPINFOHEADER bih;
    if (ar.Read(&bih, dwInfoHeaderSize) != dwInfoHeaderSize)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    if (bih.biSize != dwInfoHeaderSize || bih.biCompression != BI_RGB)
        AfxThrowArchiveException(CArchiveException::generic);
    if (!Create(bih.biWidth, bih.biHeight, bih.biBitCount))
        AfxThrowArchiveException(CArchiveException::generic);
    const BOOL bTopDown = bih.biHeight < 0;
    const UINT nTableBytes = m_nColors * sizeof(RGBQUAD);
    if (ar.Read(m_pInfo->bmiColors, nTableBytes) != nTableBytes)
        AfxThrowArchiveException(CArchiveException::endOfFile);
    if (!AllocBits(FALSE))
        AfxThrowMemoryException();
    void* pBits = LockBits();
    const BOOL bComplete = pBits != nullptr && ar.Read(pBits, GetBitsSize()) == GetBitsSize();
    if (bComplete && bTopDown) {
        m_bTopDownSource = TRUE;
        FlipRows();
    }
    UnlockBits();
    if (!bComplete)
        AfxThrowArchiveException(CArchiveException::endOfFile);
}

int cDib::Draw(HDC hDC, int nDestLeft, int nDestTop, int nDestRight, int nDestBottom,
               int nSrcLeft, int nSrcTop, int nSrcRight, int nSrcBottom,
               CPalette* pPalette, BOOL bStretch)
{
    const void* pBits = LockBits();
    if (pBits == nullptr)
        return 0;
    HPALETTE hOldPalette = nullptr;
    if (pPalette != nullptr && pPalette->m_hObject != nullptr) {
        hOldPalette = ::SelectPalette(hDC, *pPalette, TRUE);
        ::RealizePalette(hDC);
    }
    ::SetStretchBltMode(hDC, m_nStretchMode);
    if (m_nStretchMode == HALFTONE)
        ::SetBrushOrgEx(hDC, 0, 0, nullptr);        // as halftoning asks

    // The source rectangle counts rows from the top; the rows are stored from
    // the bottom, which is where both calls measure the source origin.
    const int nHeight = GetHeight();
    int nResult;
    if (bStretch) {
        nResult = ::StretchDIBits(hDC, nDestLeft, nDestTop, nDestRight - nDestLeft, nDestBottom - nDestTop,
                                  nSrcLeft, nHeight - nSrcBottom, nSrcRight - nSrcLeft, nSrcBottom - nSrcTop,
                                  pBits, m_pInfo, DIB_RGB_COLORS, SRCCOPY);
    } else {
        nResult = ::SetDIBitsToDevice(hDC, nDestLeft, nDestTop, nDestRight - nDestLeft, nDestBottom - nDestTop,
                                      nSrcLeft, nHeight - nSrcBottom, 0, nHeight,
                                      pBits, m_pInfo, DIB_RGB_COLORS);
    }
    UnlockBits();
    if (hOldPalette != nullptr)
        ::SelectPalette(hDC, hOldPalette, TRUE);
    return nResult;
}
