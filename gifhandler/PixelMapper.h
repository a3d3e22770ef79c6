// CPixelMapper: the indices of a frame's pixels on a colour table, with or
// without error diffusion; the one place where a reduced pixel gets its
// index, whichever table it is shown with.
#pragma once

#include <windows.h>

#include "HeapArray.h"

class CColourLookup;

// What to map, and what is decided already.
struct PixelMapRequest
{
    DWORD width, height;
    const DWORD* pixels;        // width * height, 0x00RRGGBB, top row first
    // Null, or width * height flags: non-zero where `indices` already holds
    // the pixel's index (a still pixel keeping what it shows). Such pixels
    // take no dithering error; with `shown`, the colour each fixed pixel
    // shows, they pass on what that colour leaves of theirs, as a dithered
    // pixel would, so that the pixels mapped around them continue their
    // pattern.
    const BYTE* fixed;
    const DWORD* shown;
    bool dither;
    // The key colour's pixels, and only they, take keyIndex (an entry past
    // those the lookup answers with); they take and pass no error either.
    bool hasKey;
    DWORD key;
    BYTE keyIndex;
};

class CPixelMapper
{
public:
// Construction
    CPixelMapper() = default;
    CPixelMapper(const CPixelMapper&) = delete;
    CPixelMapper& operator=(const CPixelMapper&) = delete;

// Operations
    // Fills indices (width * height) for the request: a pixel whose colour
    // the table holds takes that entry; the others the nearest entry, to
    // their colour plus the error diffused to them when dithering. False
    // when the error rows cannot be had.
    bool Map(const PixelMapRequest& request, CColourLookup& lookup, BYTE* indices);

// Implementation
private:
    void MapNearest(const PixelMapRequest& request, CColourLookup& lookup, BYTE* indices) const;
    void MapDithered(const PixelMapRequest& request, CColourLookup& lookup, BYTE* indices);

    CHeapArray<int> m_pErrors;          // two rows of (width + 2) * 3 diffused errors
};
