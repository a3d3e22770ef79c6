// CEncodeJob: one image on its way into the file. It holds where the image
// goes and its colours, its indices and, in the differenced layout, which
// pixels stay as the screen shows them; Encode makes the LZW data (in the
// differenced layout the shortest of its versions, EncodeVersions.h),
// WriteTo writes the blocks.
// Filling, encoding and writing may happen on different threads, one after
// the other: the job owns copies of everything it needs.
#pragma once

#include <windows.h>

#include "EncodeVersions.h"
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
    // Starts a job for an image of width x height placed as given, encoded
    // as the plain layout encodes; false when its buffers cannot be had.
    bool Begin(const GifPlacedImage& placed);
    // The image's own colours (1 to 256), copied; without this call the
    // image uses the global table.
    void SetLocalTable(const RGBQUAD* table, DWORD count);
    // Rows of indices, top row first, each as wide as the image.
    BYTE* Pixels() { return m_pPixels; }
    // The differenced layout's encoding (after Begin and SetLocalTable): the
    // shortest version, its table cut to the colours used; keyIndex is the
    // image's own transparent colour or -1, sourceTable the 256 colours the
    // indices of an image on the global table stand for, global the global
    // table as the file has it. Without this call the image is encoded as
    // the plain layout always encoded it.
    void Optimise(int keyIndex, DWORD lossiness, const RGBQUAD* sourceTable, const GlobalPalette& global);
    // Per pixel, as Pixels(): non-zero where the pixel shows what the screen
    // already shows (zeroed by the caller). Buffers it; null when it cannot
    // be had. Only with Optimise.
    BYTE* StillMask();

// Operations (encoding, writing)
    // The LZW data: of the indices as they are, or (Optimise) the shortest
    // version. False when memory ran out.
    bool Encode();
    // The image's blocks, from its control extension to its last data
    // block, into the output. False when a write fails.
    bool WriteTo(ByteSink& output) const;

// Implementation
private:
    GifPlacedImage m_placed;
    RGBQUAD m_table[256];
    CHeapArray<BYTE> m_pPixels;
    CHeapArray<BYTE> m_pStill;          // the still mask, when asked for
    bool m_bStill;
    bool m_bOptimise;
    int m_nKeyIndex;
    DWORD m_nLossiness;
    RGBQUAD m_sourceTable[256];
    GlobalPalette m_global;
    MemorySink m_plain;                 // the plain layout's LZW data
    ImageVersionOut m_version;          // the differenced layout's
};
