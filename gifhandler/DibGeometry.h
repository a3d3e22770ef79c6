// Validates the header of an 8-bit DIB given to the encoder and derives the
// numbers the writers need: GIF sizes, row stride and row order.
#pragma once

#include <windows.h>

struct DibGeometry
{
    DWORD width;     // pixels per row, 1..65535
    DWORD height;    // rows, 1..65535 (absolute value of biHeight)
    DWORD stride;    // bytes per row in memory, a multiple of 4
    bool  topDown;   // negative biHeight: the first row in memory is the top row

    // Fills in the geometry of an 8-bit header; false for a null header, a bit
    // count other than 8, a zero or negative width, a zero height, a size the
    // GIF's 16-bit fields cannot hold, or rows that do not fit in 32 bits.
    bool Read(const BITMAPINFOHEADER* header);
};
