// The handler's own image writer, beside the exported ones: an image whose
// colours may come with a local table, from indices that lie as the
// geometry says (any stride, either row order).
#pragma once

#include <windows.h>

#include "DibGeometry.h"
#include "GifEncoder.h"

// The control extension (when options is given), the image descriptor at
// the top-left corner and, when localTable is given, a local colour table of
// the smallest power of two that holds its count entries (1 to 256); then
// the LZW data of the indices. False when a write fails.
bool GifWriteImageBlocks(HANDLE hFile, const DibGeometry& geometry, const GifWriteOptions* options,
                         const RGBQUAD* localTable, DWORD count, const BYTE* indices);

// An image placed anywhere on the screen, with the disposal its control
// extension asks for, whose LZW data is already encoded (frame differencing
// chooses between encodings by their size).
struct GifPlacedImage
{
    DWORD left, top, width, height;
    WORD delay;                 // hundredths of a second
    BYTE disposal;              // 0 unspecified, 1 leave in place, 2 restore background
    bool transparent;
    BYTE transparentIndex;
    const RGBQUAD* localTable;  // null: the global table
    DWORD localCount;           // entries in localTable, 1 to 256
};

// The control extension, the descriptor, the local table if any, then the
// encoded data as it is. False when a write fails.
bool GifWriteEncodedImage(HANDLE hFile, const GifPlacedImage& image, const BYTE* lzw, DWORD cbLzw);
