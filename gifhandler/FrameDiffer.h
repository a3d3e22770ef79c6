// CFrameDiffer: frame differencing. It keeps what the screen shows after
// each image, and makes each next image's job cropped to what changes, with
// pixels that stay the same made transparent where that encodes shorter.
// A viewer then shows exactly what the plain layout (every image whole, at
// the top-left corner) would show, frame for frame.
#pragma once

#include <windows.h>

#include "EncodeVersions.h"
#include "FrameImage.h"
#include "HeapArray.h"

class CEncodeJob;

// A box of pixels; right and bottom exclusive, empty when right is 0.
struct PixelBox
{
    DWORD left, top, right, bottom;
};

class CFrameDiffer
{
public:
// Construction
    CFrameDiffer();
    CFrameDiffer(const CFrameDiffer&) = delete;
    CFrameDiffer& operator=(const CFrameDiffer&) = delete;

// Operations
    // Starts with the screen of the file empty (the background); false when
    // its memory cannot be had.
    bool Begin(DWORD screenWidth, DWORD screenHeight);
    bool IsStarted() const { return m_pCanvas != nullptr; }
    // Lossy compression of the images made from now on, 0 to 200.
    void SetLossiness(DWORD nLevel) { m_nLossiness = nLevel; }
    // The global table as the file has it (the handler's, which outlives
    // the differencing); without it, the source's table as it is.
    void SetGlobalPalette(const GlobalPalette* pGlobal) { m_pGlobal = pGlobal; }

    // Whether an image of this size can be written differenced: it must lie
    // within the screen.
    bool Fits(const GifImage& image) const;

    // Takes note of an image written whole, as the plain layout writes it
    // (its transparent pixels leave the screen as it is; a transparent image
    // is then restored to the background, as its control extension says).
    void NotePlain(const GifImage& image, const RGBQUAD* table, bool transparent);

    // Fills the job of an image without transparency of its own: cropped
    // to what it changes, with the transparent version offered where it may
    // be shorter; and takes note of it. localTable is the image's own
    // colours, or null when it uses the global table, whose colours are
    // table. False when the job's memory cannot be had.
    bool Prepare(const GifImage& image, const RGBQUAD* table, const RGBQUAD* localTable, WORD delay,
                 CEncodeJob& job);

    // Fills the job of an image that the plain layout writes whole and
    // then restores to the background, with a transparent index of its own
    // or without one (-1): cropped to its pixels that are not transparent
    // and to what the screen shows under it, the same disposal; and takes
    // note of it. False when the job's memory cannot be had.
    bool PrepareTransparent(const GifImage& image, const RGBQUAD* table, const RGBQUAD* localTable,
                            int transparentIndex, WORD delay, CEncodeJob& job);

    // A transparent image of the screen's size, after such an image or as
    // the first, does better: it is cropped
    // to what it changes on the screen, with its transparent colour also
    // for what stays, and held until the next image says how it must leave
    // the screen. Left in place when the next image shows the background
    // nowhere the screen shows a colour; else restored to the background
    // over a box that holds every such pixel.
    bool CanHold(const GifImage& image) const;
    bool HasHeld() const { return m_held.bActive; }
    // Crops and holds an image CanHold takes; table as for Prepare. False
    // when its memory cannot be had.
    bool Hold(const GifImage& image, const RGBQUAD* table, const RGBQUAD* localTable, BYTE transparentIndex,
              WORD delay);
    // Fills job with the held image, leaving the screen as the next image,
    // one CanHold takes, needs it.
    bool EmitHeldFor(const GifImage& next, BYTE nextTransparentIndex, CEncodeJob& job);
    // Fills job with the held image restored to the background over every
    // colour the screen shows, as the plain layout leaves the screen: for
    // the last image, and before one that is not held.
    bool EmitHeldLast(CEncodeJob& job);

// Implementation
private:
    struct HeldImage
    {
        bool bActive;
        PixelBox box;
        BYTE transparentIndex;
        WORD delay;
        bool bLocal;            // table holds the image's own colours, else the global ones
        DWORD count;
        RGBQUAD table[256];
    };

    bool EmitHeld(const PixelBox& clear, CEncodeJob& job);
    // The global table as the file has it, or the identity over table.
    const GlobalPalette& Global(const RGBQUAD* table);
    bool ReserveHeld(DWORD nBytes);

    DWORD m_nWidth, m_nHeight;
    CHeapArray<DWORD> m_pCanvas;        // what the screen shows; kBackground where nothing is
    // The plain layout leaves all the screen background after the last
    // image: at the start, and after a transparent image of its size. Only
    // then does a held image's transparent colour show the background.
    bool m_bPlainClear;
    HeldImage m_held;
    CHeapArray<BYTE> m_pHeld;           // the held crop, as the image has it
    CHeapArray<BYTE> m_pHeldStill;      // its still mask: non-zero where the screen shows the same
    DWORD m_nLossiness;
    const GlobalPalette* m_pGlobal;
    GlobalPalette m_identity;
};
