// cDib: the bitmap buffer every frame travels in: a header block with the
// colour table, and a movable global block of bottom-up pixel rows.
#pragma once

#include "Afx.h"
#include "BitFields.h"

class CPalette;

class cDib : public CObject
{
public:
// Construction
    cDib();
    ~cDib() override;

    // Makes a header (and a zeroed colour table) for a picture of this size;
    // no pixels. A negative height means top-down rows and gives the same
    // size: the buffer always keeps its rows bottom-up. Fails when a header
    // exists, or for a width or height of 0 or above 65535, a bit count other
    // than 1, 4, 8, 16, 24 or 32, or rows that would not fit in 32 bits.
    BOOL Create(LONG nWidth, LONG nHeight, WORD nBitCount);
    static BOOL IsValidSize(LONG nWidth, LONG nHeight, WORD nBitCount);
    // Copies the source's colours into this table; fails when this table is smaller.
    BOOL CopyColorTable(const cDib& source);
    // Replaces the buffer by a packed DIB (header, colours, rows in one block).
    // The buffer's rows are always BI_RGB: rows with bit-field masks that
    // say what BI_RGB says are kept as they are, others become 24-bit rows.
    BOOL SetFromPackedDib(const BITMAPINFOHEADER* pPacked);
    BOOL LoadBmpFile(LPCSTR lpszPath);
    BOOL ReadBmp(CFile& file);
    // Reads the 14-byte file header; remembers where it says the rows start.
    BOOL ReadFileHeader(CFile& file);
    // Reads the information header and the colour table, and checks that the
    // file holds the rows they describe, so that a file whose frame cannot be
    // read gives no format either; on failure the buffer is left empty. Leaves
    // the file at the first row. Fails at once when a header exists.
    BOOL ReadInfo(CFile& file);
    // Reads the rows that ReadInfo found into the pixel block, expanding
    // run-length rows.
    BOOL ReadBits(CFile& file);

// Attributes
    BITMAPINFO* GetInfo() const { return m_pInfo; }
    WORD GetInfoSize() const { return m_pInfo != nullptr ? m_nInfoSize : 0; }
    RGBQUAD* GetColorTable() const { return m_pInfo != nullptr ? m_pInfo->bmiColors : nullptr; }
    WORD GetColorCount() const { return m_pInfo != nullptr ? static_cast<WORD>(m_nColors) : 0; }
    DWORD GetBitsSize() const { return m_pInfo != nullptr ? m_pInfo->bmiHeader.biSizeImage : 0; }
    LONG GetWidth() const { return m_pInfo != nullptr ? m_pInfo->bmiHeader.biWidth : 0; }
    LONG GetHeight() const { return m_pInfo != nullptr ? m_pInfo->bmiHeader.biHeight : 0; }
    WORD GetBitCount() const { return m_pInfo != nullptr ? m_pInfo->bmiHeader.biBitCount : 0; }
    DWORD GetStride() const { return m_nStride; }
    // How Draw stretches through GDI: COLORONCOLOR (the default) keeps
    // pixels sharp when enlarging; HALFTONE averages them when shrinking.
    void SetStretchMode(int nMode) { m_nStretchMode = nMode; }
    // Why the last read refused its bitmap, when the reason is one the
    // user can act on (its bit-field masks); null otherwise.
    LPCSTR GetRefusal() const { return m_pszRefusal; }

// Operations
    // The pixel rows, locked on first use and kept locked until UnlockBits.
    void* LockBits();

// Overridables
    void Serialize(CArchive& ar) override;
    virtual DWORD GetFileSize();
    virtual BOOL AllocBits(BOOL bShare);
    virtual void UnlockBits();
    virtual void FreeBits();
    virtual int Draw(HDC hDC, int nDestLeft, int nDestTop, int nDestRight, int nDestBottom,
                     int nSrcLeft, int nSrcTop, int nSrcRight, int nSrcBottom,
                     CPalette* pPalette, BOOL bStretch);

// Implementation
protected:
    void DeleteInfo();
    BOOL ReadInfoHeader(CFile& file, DWORD dwHeaderSize);
    BOOL ReadCoreHeader(CFile& file);
    BOOL FindRows(CFile& file);
    // Takes the bit-field masks of a bitmap of nBitCount bits, noting why
    // they are refused; the depth its buffer gets into *pnBitCount.
    BOOL TakeMasks(const DWORD* pMasks, WORD nBitCount, WORD* pnBitCount);
    // Bytes of the rows as the file or the packed DIB holds them.
    ULONGLONG GetSourceBitsSize() const;
    // Reads bit-field rows from the file into the 24-bit rows of pBits.
    BOOL ReadWidenedRows(CFile& file, BYTE* pBits) const;
    // Reads the run-length data and expands it into pBits, or with pBits
    // null only checks that it makes a picture.
    BOOL ReadRunLengthRows(CFile& file, BYTE* pBits) const;
    void FlipRows();

    BITMAPINFO* m_pInfo;
    void* m_pBits;
    HGLOBAL m_hBits;
    UINT m_nColors;
    DWORD m_nStride;
    WORD m_nInfoSize;
    int m_nStretchMode;
    BOOL m_bTopDownSource;      // the rows ReadBits will read come top row first
    // Where the rows ReadBits will read stand in the file, and how they are
    // stored there: BI_RGB, or BI_RLE8 / BI_RLE4 in m_cbRowsData bytes.
    ULONGLONG m_nRowsOffset;
    DWORD m_dwRowsCompression;
    DWORD m_cbRowsData;
    // Rows with bit fields that BI_RGB cannot say: their depth (0 for
    // others) and masks, widened to 24 bits as they are read.
    WORD m_nSourceBitCount;
    cBitFields m_fields;
    LPCSTR m_pszRefusal;
};
