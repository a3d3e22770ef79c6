// LZW compression of an image whose pixels may be written as more than one
// index: pixels that show what the screen already shows may take the
// transparent index or keep their own, and with lossy compression the other
// pixels may take an index of a colour close to their own.
#pragma once

#include <windows.h>

class ByteSink;

// What a pixel may be written as besides its own index.
struct LzwChoices
{
    // Per pixel, non-zero for a pixel that stays as the screen shows it
    // (null: none stays). Such a pixel is never given another colour.
    const BYTE* still = nullptr;
    // The index still pixels may take instead of their own (the image's
    // transparent index), or -1.
    int stillIndex = -1;
    // The image's own transparent colour, or -1: its pixels keep it, and no
    // other pixel is given it.
    int keyIndex = -1;
    // Lossy compression, 0 (off) to 200, over the colours of the table.
    DWORD lossiness = 0;
    const RGBQUAD* colours = nullptr;
    DWORD count = 0;
    // A full table is kept while it packs well (LzwWorkspace.h).
    bool deferClear = false;
};

// The colour difference a lossiness allows between a pixel and the colour
// written for it where the picture around it is busy (a weighted distance of
// 0 to 255 a channel); less where it is smooth, at most half as much again
// where it is busiest.
DWORD LzwLossyReach(DWORD lossiness);

// Writes the minimum code size byte, the data sub-blocks and the
// terminator of width x height indices (rows top first, no padding), each
// pixel written as its own index or one of its choices, whichever continues
// the string being built. Every index must be below 2^minCodeSize (2 to 8).
// False when the workspace cannot be had or a write fails.
bool LzwEncodeChoices(ByteSink& sink, DWORD width, DWORD height, const BYTE* pixels, DWORD minCodeSize,
                      const LzwChoices& choices);
