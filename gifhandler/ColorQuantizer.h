// Colour reduction of true-colour frames: QuantizeFrame turns 0x00RRGGBB
// pixels (DibPixels.h makes them from a DIB) into a GIF's 8-bit image.
#pragma once

#include <windows.h>

// The largest frame, in pixels, that QuantizeFrame and DibToPixels take
// (4096 x 4096): every count and colour sum then fits in 32 bits, and the
// pixels of a frame stay well inside what a 32-bit process can allocate.
const DWORD kMaxQuantizePixels = 1u << 24;

// The previous frame of an animation: the source pixels QuantizeFrame was
// given for it and what it made of them.
struct QuantizePrevious
{
    const DWORD*   pixels;      // width * height source pixels, 0x00RRGGBB
    const BYTE*    indices;     // width * height output indices
    const RGBQUAD* table;       // its colour table
    DWORD          count;       // entries in table, 1..256
};

// No key colour: see QuantizeFrame.
const DWORD kNoKeyColour = 0xFFFFFFFF;

// Makes an 8-bit image of width * height pixels (0x00RRGGBB, top row first,
// high byte ignored): `table` receives `*count` colours (1..256; blue, green,
// red, 0; the rest of the 256 entries zeroed) and `indices` one byte per
// pixel, top row first. A frame of at most 256 colours comes out exactly.
// `dither` spreads the rounding error of a reduced frame over its neighbours;
// with `previous` (may be null), a pixel equal to the previous frame's pixel
// at the same place is never dithered, and keeps the colour it was shown in
// when the new table has that colour and not its own.
// `keyColour` (0x00RRGGBB, or kNoKeyColour) is the colour that is to become
// transparent: the pixels of exactly that colour, and only they, take one
// entry of the table, which holds that colour; no other pixel is mapped or
// dithered onto it, no other entry holds that colour, and a frame without
// such pixels has no entry of it. The output depends only on the arguments.
// Returns S_OK; E_INVALIDARG for a null pointer, a zero side, more than
// kMaxQuantizePixels pixels or a previous count outside 1..256;
// E_OUTOFMEMORY when the workspace cannot be allocated. On failure `*count`
// is 0 and the table is zeroed.
// maxColours (2 to 256) limits the table: a frame of more colours than it
// is reduced, one of no more comes out exactly.
HRESULT QuantizeFrame(DWORD width, DWORD height, const DWORD* pixels, bool dither,
                      const QuantizePrevious* previous, DWORD keyColour,
                      RGBQUAD table[256], DWORD* count, BYTE* indices, DWORD maxColours = 256);
