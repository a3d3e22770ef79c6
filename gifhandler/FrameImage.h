// CFrameImage: one frame as a GIF image takes it: 8-bit indices and the
// colours they stand for, made from whatever frame format the stream gets.
#pragma once

#include <windows.h>

#include "ColourLookup.h"
#include "ColourMath.h"
#include "ColourStage.h"
#include "DibGeometry.h"
#include "EncodePipeline.h"
#include "HeapArray.h"
#include "PixelMapper.h"

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
    // The entry of pixels that stay as the screen shows them (written
    // transparent by frame differencing), or -1; see ColourPlan.
    int stayIndex;
};

// What a frame asks of the colour stage.
struct FrameColours
{
    bool dither;
    DWORD keyColour;            // 0x00RRGGBB, kTopLeftKeyColour or kNoKeyColour
    DWORD limit;                // most colours in a table, 2..256
    // The image will be differenced without a transparent colour of its
    // own: pixels may stay as the screen shows them (see stayIndex).
    bool differenced;
    // Leave a true-colour frame's mapping for Run (on any thread) and
    // TakeMapped; the image is then not made by Convert.
    bool defer;
};

// The first entry of the table holding the colour; -1 when none does.
int TableEntryOf(const RGBQUAD* table, DWORD count, DWORD colour);

class CFrameImage final : public CPipelineTask
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
    // The key colour (0x00RRGGBB, kTopLeftKeyColour or kNoKeyColour) is the
    // colour that is to become transparent, taken from the source before
    // any reduction: in a reduced frame exactly its pixels, and only they,
    // get the entry that holds it. Reduced frames go through the colour
    // stage (ColourStage.h), in the order they come; with colours.defer,
    // *pbPending says that the image is to be taken from TakeMapped once
    // StartMapping and Run have run: the frame before may still be mapped
    // meanwhile. S_OK, E_OUTOFMEMORY, or AVIERR_BADFORMAT for a format not
    // accepted.
    HRESULT Convert(const BITMAPINFOHEADER* format, const BYTE* bits, const FrameColours& colours, GifImage& image,
                    bool* pbPending);
    // The last frame Convert left pending is the one Run maps; the frame
    // before must be taken already.
    void StartMapping();
    // Maps that frame's pixels (CPipelineTask).
    void Run() override;
    // The image of the frame Run mapped; E_OUTOFMEMORY when its mapping
    // could not have its memory.
    HRESULT TakeMapped(GifImage& image);
    // The key colour of the frame waiting for Run (kNoKeyColour when none).
    DWORD PendingKeyColour() const { return m_keyColours[m_nChosen]; }

    // Makes every pixel of the image whose entry holds the same colour as
    // entry `index` use that entry, so that a transparent index clears every
    // pixel of its colour. The client's rows are left as they are: the
    // image then points at a copy. False when the copy's memory cannot be had.
    bool MergeEntries(GifImage& image, BYTE index);

// Implementation
private:
    // The image's table, or a copy grown with black entries to nUsed.
    void ExtendTable(GifImage& image, DWORD nUsed);
    void Widen(const BITMAPINFOHEADER* format, const BYTE* bits, DWORD width, DWORD height, GifImage& image);
    HRESULT Reduce(const BITMAPINFOHEADER* format, const BYTE* bits, const FrameColours& colours);

    CColourStage m_stage;
    // Frames between their table and their mapping: the one chosen last,
    // and the one a worker may be mapping; their key colours
    // (kNoKeyColour: none); how the mapping went.
    ColourFrame m_frames[2];
    DWORD m_keyColours[2];
    DWORD m_nChosen;            // the frame chosen last
    DWORD m_nMapped;            // the frame Run maps
    bool m_bMapped;
    // The thread that maps a frame has these to itself: one frame at a time.
    CColourLookup m_lookup;
    CPixelMapper m_mapper;
    CHeapArray<BYTE> m_pIndices;        // a palette frame's widened rows
    CHeapArray<BYTE> m_pMerged;         // the client's rows with entries merged
    RGBQUAD m_extendedTable[256];       // a palette frame's table, grown to every index it uses
    RGBQUAD m_table[256];               // the mapped frame's
};
