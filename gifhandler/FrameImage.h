// CFrameImage: one frame as a GIF image takes it: 8-bit indices and the
// colours they stand for, made from whatever frame format the stream gets.
#pragma once

#include <windows.h>

#include "ColorQuantizer.h"
#include "ColourMath.h"
#include "DibGeometry.h"
#include "HeapArray.h"

// The key colour Convert is to take: the top-left pixel's own.
const DWORD kTopLeftKeyColour = 0xFFFFFFFE;

// The image of one frame, valid until the next Convert.
struct GifImage
{
    DibGeometry geometry;       // rows of `indices`; stride and order as they lie
    const BYTE* indices;
    const RGBQUAD* table;       // the colours the indices stand for
    DWORD count;                // entries in table, 1..256
    BYTE topLeft;               // the index of the top-left pixel
    bool clientRows;            // the client's own 8-bit rows, untouched
    DWORD keyColour;            // the colour to become transparent (0x00RRGGBB), or kNoKeyColour
    int keyIndex;               // the first entry of table holding keyColour; -1 when none does
};

// The first entry of the table holding the colour; -1 when none does.
int TableEntryOf(const RGBQUAD* table, DWORD count, DWORD colour);

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
    // keep their rows and table, 1- and 4-bit ones are widened to bytes with
    // their own table, losslessly (either way grown with black entries to
    // the highest index the rows use: an index past the table shows black);
    // the others are reduced to at most 256 colours (exactly, when they have
    // no more), dithered when asked, the previous reduced frame of the same
    // size keeping still areas still.
    // keyColour (0x00RRGGBB, kTopLeftKeyColour or kNoKeyColour) is the
    // colour that is to become transparent, taken from the source before
    // any reduction: in a reduced frame exactly its pixels, and only they,
    // get the entry that holds it (see QuantizeFrame).
    // S_OK, E_OUTOFMEMORY, or AVIERR_BADFORMAT for a format not accepted.
    HRESULT Convert(const BITMAPINFOHEADER* format, const BYTE* bits, bool dither, DWORD keyColour,
                    GifImage& image);

    // Makes every pixel of the image whose entry holds the same colour as
    // entry `index` use that entry, so that a transparent index clears every
    // pixel of its colour. The client's rows are left as they are: the
    // image then points at a copy. False when the copy's memory cannot be had.
    bool MergeEntries(GifImage& image, BYTE index);

// Implementation
private:
    bool Reserve(DWORD nPixels, bool trueColour);
    // The image's table, or a copy grown with black entries to nUsed.
    void ExtendTable(GifImage& image, DWORD nUsed);
    void Widen(const BITMAPINFOHEADER* format, const BYTE* bits, DWORD width, DWORD height, GifImage& image);
    HRESULT Reduce(DWORD width, DWORD height, bool dither, DWORD keyColour);

    CHeapArray<DWORD> m_pPixels;        // this frame's source pixels
    CHeapArray<DWORD> m_pPrevPixels;    // the previous reduced frame's
    CHeapArray<BYTE> m_pIndices;
    CHeapArray<BYTE> m_pPrevIndices;
    CHeapArray<BYTE> m_pOwnIndices;     // a table of the frame's own, to compare with the kept one
    CHeapArray<BYTE> m_pMerged;         // the client's rows with entries merged
    RGBQUAD m_extendedTable[256];       // a palette frame's table, grown to every index it uses
    RGBQUAD m_table[256];
    RGBQUAD m_prevTable[256];
    DWORD m_nPrevCount;         // 0: no previous reduced frame
    DWORD m_nPrevWidth, m_nPrevHeight;
    DWORD m_nPrevKeyColour;     // the key colour the previous reduced frame was made with
};
