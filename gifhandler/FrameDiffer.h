// CFrameDiffer: frame differencing. It keeps what the screen shows after
// each image, and makes each next image's job cropped to what changes, with
// pixels that stay the same made transparent where that encodes shorter.
// A viewer then shows exactly what the plain layout (every image whole, at
// the top-left corner) would show, frame for frame.
#pragma once

#include <windows.h>

#include "FrameImage.h"

class CEncodeJob;

class CFrameDiffer
{
public:
// Construction
    CFrameDiffer();
    ~CFrameDiffer();
    CFrameDiffer(const CFrameDiffer&) = delete;
    CFrameDiffer& operator=(const CFrameDiffer&) = delete;

// Operations
    // Starts with the screen of the file empty (the background); false when
    // its memory cannot be had.
    bool Begin(DWORD screenWidth, DWORD screenHeight);
    bool IsStarted() const { return m_pCanvas != nullptr; }

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

    // Fills the job of an image with a transparent colour of its own,
    // which the plain layout writes whole and then restores to the
    // background: cropped to its pixels that are not transparent and to
    // what the screen shows under it, the same disposal; and takes note of
    // it. False when the job's memory cannot be had.
    bool PrepareTransparent(const GifImage& image, const RGBQUAD* localTable, BYTE transparentIndex, WORD delay,
                            CEncodeJob& job);

// Implementation
private:
    DWORD m_nWidth, m_nHeight;
    DWORD* m_pCanvas;           // what the screen shows; kBackground where nothing is
};
