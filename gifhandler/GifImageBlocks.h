// The handler's own writers, into any sink: the blocks the exported writers
// write into a file handle, and images placed anywhere on the screen, whose
// colours may come with a local table.
#pragma once

#include <windows.h>

#include "DibGeometry.h"
#include "FileWrite.h"
#include "GifEncoder.h"

// The exported writers' bytes, into a sink; false when a write fails or the
// exported writer would refuse its arguments.
bool GifWriteFileHeader(ByteSink& sink, const BITMAPINFO* format, const GifWriteOptions* options);
bool GifWriteImageHeader(ByteSink& sink, const BITMAPINFOHEADER* header, const GifWriteOptions* options);
bool GifWriteImage(ByteSink& sink, const BITMAPINFOHEADER* header, const BYTE* pixels);
bool GifWriteFileTerminator(ByteSink& sink);

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

// The control extension, the descriptor, the local table if any (of the
// smallest power of two that holds its entries), then the encoded data as
// it is. False when a write fails.
bool GifWriteEncodedImage(ByteSink& sink, const GifPlacedImage& image, const BYTE* lzw, DWORD cbLzw);

// An image whole at the top-left corner, as the plain layout writes it: a
// transparent image, and one that bRestore asks for, restores the
// background once shown; others say nothing.
GifPlacedImage GifPlaceWholeImage(const DibGeometry& geometry, const GifWriteOptions& options,
                                  const RGBQUAD* localTable, DWORD count, bool bRestore);

// The blocks of an image placed there, then the LZW data of its indices,
// which lie as the geometry says (any stride, either row order). False when
// a write fails.
bool GifWriteImageBlocks(ByteSink& sink, const GifPlacedImage& placed, const DibGeometry& geometry,
                         const BYTE* indices);

// "GIF89a", the logical screen with a global table of count entries (the
// smallest power of two that holds them; the exported header writer always
// writes 256), and the loop extension when options ask for it. False when
// a write fails.
bool GifWriteScreen(ByteSink& sink, DWORD width, DWORD height, const RGBQUAD* table, DWORD count,
                    const GifWriteOptions& options);
