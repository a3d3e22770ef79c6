// CFrameImage: one frame as a GIF image takes it: 8-bit indices and the
// colours they stand for, made from whatever frame format the stream gets.
#pragma once

#include <windows.h>

#include "DibGeometry.h"
#include "HeapArray.h"

// The image of one frame, valid until the next Convert.
struct GifImage
{
    DibGeometry geometry;       // rows of `indices`; stride and order as they lie
    const BYTE* indices;
    const RGBQUAD* table;       // the colours the indices stand for
    DWORD count;                // entries in table, 1..256
    BYTE topLeft;               // the index of the top-left pixel
    bool clientRows;            // the client's own 8-bit rows, untouched
};

class CFrameImage
{
public:
// Construction
    CFrameImage();
    CFrameImage(const CFrameImage&) = delete;
    CFrameImage& operator=(const CFrameImage&) = delete;

// Operations
    // Whether Convert takes frames of this format: 8-bit BI_RGB frames as
    // the encoder always took them, and every layout DibPixels widens.
    static bool Accepts(const BITMAPINFOHEADER* format);

    // Makes the image of one frame; format is the whole block the client
    // gave (header, then colour table or masks), bits its rows. 8-bit frames
    // keep their rows and table (grown with black entries to the highest
    // index the rows use), 1- and 4-bit ones are widened to bytes with
    // their own table, losslessly; the others are reduced to at most 256
    // colours (exactly, when they have no more), dithered when asked, the
    // previous reduced frame of the same size keeping still areas still.
    // S_OK, E_OUTOFMEMORY, or AVIERR_BADFORMAT for a format not accepted.
    HRESULT Convert(const BITMAPINFOHEADER* format, const BYTE* bits, bool dither, GifImage& image);

// Implementation
private:
    bool Reserve(DWORD nPixels, bool trueColour);

    CHeapArray<DWORD> m_pPixels;        // this frame's source pixels
    CHeapArray<DWORD> m_pPrevPixels;    // the previous reduced frame's
    CHeapArray<BYTE> m_pIndices;
    CHeapArray<BYTE> m_pPrevIndices;
    CHeapArray<BYTE> m_pOwnIndices;     // a table of the frame's own, to compare with the kept one
    RGBQUAD m_extendedTable[256];       // an 8-bit frame's table, grown to every index it uses
    RGBQUAD m_table[256];
    RGBQUAD m_prevTable[256];
    DWORD m_nPrevCount;         // 0: no previous reduced frame
    DWORD m_nPrevWidth, m_nPrevHeight;
};
