// CColourStage: the colour stage of the image path for frames of 0x00RRGGBB
// pixels: the colour table of each frame, chosen in order (ChooseTable), and
// the frame's pixels mapped onto it (Map), which may run on another thread,
// frames one after the other. It keeps what the screen shows, so that
// pixels whose source stands still keep showing it.
#pragma once

#include <windows.h>

#include "ColourLookup.h"
#include "ColourPlan.h"
#include "HeapArray.h"
#include "TableMaker.h"

class CPixelMapper;

// One frame between ChooseTable and Map. Its pointers lead into the stage's
// buffers, which stay as they are until the next frame but one is chosen.
struct ColourFrame
{
    DWORD width, height;
    const DWORD* pixels;        // the frame's source
    const DWORD* previous;      // the previous frame's, or null (the first, or another size)
    // What the screen shows, one colour a pixel: before the frame when Map
    // starts, after it when Map is done. Meaningful only with `previous`.
    DWORD* shown;
    // Pixels that stand still and show their source well with this table,
    // as Map found them; read by the next frame when its table is the same.
    BYTE* settled;
    BYTE* fixed;                // Map's workspace
    BYTE* indices;              // out: one entry a pixel, top row first
    ColourPlan plan;
    bool dither;
    bool tableChanged;          // not the previous frame's table
    // Pixels that stayed (still ones and those the screen already shows
    // well) and pixels repainted although their source stood still; Map's.
    DWORD nStayed;
    DWORD nRepainted;
};

class CColourStage
{
public:
// Construction
    CColourStage();
    CColourStage(const CColourStage&) = delete;
    CColourStage& operator=(const CColourStage&) = delete;

// Operations
    // The buffer to widen the next frame's width * height pixels into; null
    // when its memory cannot be had.
    DWORD* NextPixels(DWORD width, DWORD height);
    // The table of the frame just widened into NextPixels, and the frame
    // ready for Map. `differenced`: pixels may stay as the screen shows them
    // without a table entry for their colour (they become transparent); the
    // table then keeps one entry for them where it can. Otherwise a new
    // table holds the colours still pixels show (the previous table's, all
    // but those whose pixels move least to another when the changed pixels
    // would be left less than an eighth of it), and the previous frame's Map
    // must be done. The table is the
    // frame's own colours when they fit in the limit (one entry less for a
    // key colour), else the previous frame's table when it shows this frame
    // about as well as it showed its own, else one fitted to this frame.
    // S_OK or E_OUTOFMEMORY.
    HRESULT ChooseTable(const ColourOptions& options, bool differenced, ColourFrame& frame);
    // The frame's indices (and what the screen shows after it), with a
    // lookup and a mapper of the calling thread's own. False when memory
    // cannot be had.
    static bool Map(ColourFrame& frame, CColourLookup& lookup, CPixelMapper& mapper);
    // A frame the stage did not make came between: what the screen shows is
    // not known, and the next frame is taken as the first.
    void Forget();

// Implementation
private:
    static const DWORD kRing = 3;       // the frame being chosen, the one mapped, and its previous
    static const DWORD kStillBits = 10;
    static const DWORD kMaxStillColours = 1u << (kStillBits - 1);

    bool Reserve(DWORD nPixels);
    double ChangedError(const DWORD* pixels, const DWORD* previous, DWORD n, DWORD* pnChanged);
    DWORD StillColours(const DWORD* pixels, DWORD n, const ColourOptions& options, DWORD most, DWORD colours[256]);

    CTableMaker m_maker;
    CColourLookup m_lookup;
    CHeapArray<DWORD> m_pixels[kRing];
    CHeapArray<DWORD> m_shown;
    CHeapArray<BYTE> m_settled;
    CHeapArray<BYTE> m_fixed;
    CHeapArray<BYTE> m_indices;
    CHeapArray<DWORD> m_changed;        // the pixels that changed, side by side
    DWORD m_nFrames;            // frames widened
    bool m_bPrevious;           // the frame widened last has the one before as its previous
    bool m_bForgotten;          // Forget came since the last frame was widened
    DWORD m_nWidth, m_nHeight;  // of the last frame
    ColourPlan m_plan;          // the last frame's table
    bool m_bHasPlan;
    ColourOptions m_planOptions;        // what it was made for
    double m_dPlanError;        // its error on the frame it was made for
};
