// Colour tables cut to the colours an image uses: fewer entries to write,
// and fewer bits a code (the LZW minimum code size follows the table).
#pragma once

#include <windows.h>

// An image's colours as the cut table has them.
struct TrimmedTable
{
    BYTE remap[256];            // old index -> index in colours (for the indices used)
    RGBQUAD colours[256];
    DWORD count;                // entries, 1 to 256
    int transparentIndex;       // the entry kept for transparency, or -1
    DWORD codeSize;             // the LZW minimum code size the entries need
};

// The LZW minimum code size for indices below nIndices: 2 to 8.
DWORD CodeSizeFor(DWORD nIndices);

// Cuts table (tableCount entries) to the colours `used` marks, in table
// order, one entry for each colour (indices of the same colour share it).
// keyIndex, when not -1, is the image's transparent colour: it gets an entry
// of its own, which no other index shares, and becomes transparentIndex. With
// bAddTransparent and no key, an entry past the colours is kept for a
// transparent version (black, as unused entries are) and becomes
// transparentIndex, unless the table would then pass 256 entries.
void TrimTable(const bool used[256], const RGBQUAD* table, DWORD tableCount, int keyIndex, bool bAddTransparent,
               TrimmedTable& out);

// Rewrites n indices through remap.
void RemapIndices(BYTE* pixels, SIZE_T n, const BYTE remap[256]);
