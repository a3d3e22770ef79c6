// cRleDecoder: expands the run-length encoded rows of 8- and 4-bit bitmaps
// (BI_RLE8, BI_RLE4) into plain bottom-up DIB rows.
#pragma once

#include <windows.h>

class cRleDecoder
{
public:
// Construction
    // A decoder for a picture of this size; nStride is the bytes of one plain row.
    cRleDecoder(DWORD dwCompression, DWORD nWidth, DWORD nHeight, DWORD nStride);

// Attributes
    static BOOL IsRunLength(DWORD dwCompression) { return dwCompression == BI_RLE8 || dwCompression == BI_RLE4; }
    // Whether cbData bytes of runs can plausibly stand for cbRows bytes of
    // plain rows; see the design note in RleDecoder.cpp.
    static BOOL CanFill(ULONGLONG cbData, ULONGLONG cbRows);
    // Rows the last Decode finished or jumped over, from the bottom.
    DWORD GetRowsReached() const { return m_nRowsReached; }
    // Whether the last Decode met the end-of-bitmap mark.
    BOOL ReachedEnd() const { return m_bReachedEnd; }

// Operations
    // Walks cbData bytes of runs and writes the pixels they reach into pRows
    // (stride x height bytes, zeroed by the caller); with pRows null it only
    // walks them. TRUE when the data is a usable picture: it reaches its
    // end-of-bitmap mark, or it finishes at least one row before it ends.
    BOOL Decode(const BYTE* pData, DWORD cbData, BYTE* pRows);

// Implementation
private:
    void Put(BYTE* pRows, DWORD x, DWORD y, BYTE nIndex) const;

    BOOL m_bFourBits;
    DWORD m_nWidth;
    DWORD m_nHeight;
    DWORD m_nStride;
    DWORD m_nRowsReached;
    BOOL m_bReachedEnd;
};
