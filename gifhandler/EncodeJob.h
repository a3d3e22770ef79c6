// CEncodeJob: one image on its way into the file. It holds where the image
// goes and its colours, its indices and, where frame differencing offers
// one, a second version of them with unchanged pixels transparent; Encode
// makes their LZW data and keeps the shorter, WriteTo writes the blocks.
// Filling, encoding and writing may happen on different threads, one after
// the other: the job owns copies of everything it needs.
#pragma once

#include <windows.h>

#include "FileWrite.h"
#include "GifImageBlocks.h"
#include "HeapArray.h"

class CEncodeJob
{
public:
// Construction
    CEncodeJob();
    CEncodeJob(const CEncodeJob&) = delete;
    CEncodeJob& operator=(const CEncodeJob&) = delete;

// Operations (filling)
    // Starts a job for an image of width x height placed as given, with no
    // second version; false when its buffers cannot be had.
    bool Begin(const GifPlacedImage& placed);
    // The image's own colours (1 to 256), copied; without this call the
    // image uses the global table.
    void SetLocalTable(const RGBQUAD* table, DWORD count);
    // Rows of indices, top row first, each as wide as the image.
    BYTE* Pixels() { return m_pPixels; }
    // The second version, whose pixels use transparentIndex for what stays,
    // with a local table of localCount entries when the image has one.
    // Buffers it; null when they cannot be had.
    BYTE* OfferTransparentVersion(BYTE transparentIndex, DWORD localCount);

// Operations (encoding, writing)
    // The LZW data of the indices and, when offered, of the second version,
    // which is kept when it is shorter. False when memory ran out.
    bool Encode();
    // The image's blocks, from its control extension to its last data
    // block, into the output. False when a write fails.
    bool WriteTo(ByteSink& output) const;

// Implementation
private:
    GifPlacedImage m_placed;
    RGBQUAD m_table[256];
    CHeapArray<BYTE> m_pPixels;
    CHeapArray<BYTE> m_pTransparentPixels;      // the second version, when offered
    bool m_bOffered;
    BYTE m_nOfferedIndex;
    DWORD m_nOfferedCount;
    bool m_bTransparentChosen;
    MemorySink m_plain;                 // the LZW data of each version
    MemorySink m_transparent;
};
