// The versions of one image's LZW data that the differenced layout offers,
// and the choice of the shortest: the exact indices; the same with every
// still pixel free to be transparent or keep its colour; with lossy
// compression, the same again with other pixels free to take a colour
// close to their own. A table of the image's own is cut to the colours it
// uses, and the LZW minimum code size follows the indices in use.
#pragma once

#include <windows.h>

#include "FileWrite.h"

// The global table as the file has it: its colours in the file's order, and
// for each index of the source's table (the one images on the global table
// index) its index in the file's, -1 where the file's table lacks it.
struct GlobalPalette
{
    RGBQUAD colours[256];
    short fileIndex[256];
    DWORD count;                // entries in the file, 1 to 256

    // The file's table is the source's, all 256 entries.
    void SetIdentity(const RGBQUAD* source);
};

// One image, as the differencing made it.
struct ImageVersionsIn
{
    DWORD width, height;
    const BYTE* pixels;         // rows top first, no padding: every pixel's index as shown
    const BYTE* still;          // per pixel non-zero: shows what the screen already shows; null: none
    const RGBQUAD* table;       // the colours of the indices (256 readable entries)
    DWORD count;                // entries of the image's own table, 1 to 256; 0: the global table
    const GlobalPalette* global;    // the global table in the file; an image on it that
                                    // uses a colour it lacks gets a table of its own
    int keyIndex;               // the image's own transparent colour, or -1
    DWORD lossiness;            // 0 to 200
};

// The version kept.
struct ImageVersionOut
{
    MemorySink data;            // the LZW data, from the minimum code size byte to the terminator
    RGBQUAD table[256];         // the image's own table, cut (when count was not 0)
    DWORD count;                // its entries; 0: the global table
    bool transparent;           // the image carries a transparent colour ...
    BYTE transparentIndex;      // ... this one
    DWORD nVersions;            // how many were encoded (for the benchmarks)
};

// Encodes the versions that may be shortest and keeps the shortest: the
// still version only where enough pixels stay (they must be worth the
// second encoding), the lossy one alone when lossiness is asked for. False
// when memory ran out.
bool EncodeShortestVersion(const ImageVersionsIn& in, ImageVersionOut& out);
