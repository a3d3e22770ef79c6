// CTableMaker: the colours of a frame, and a colour table of its own: its
// colours when they fit, else a table fitted to them; and how well another
// table serves it.
#pragma once

#include <windows.h>

#include "BoxCut.h"
#include "ColourHistogram.h"
#include "ColourLookup.h"
#include "PaletteRefiner.h"

class CTableMaker
{
public:
// Operations
    // Counts the colours of n pixels (0x00RRGGBB), leaving out those of
    // *pKey when given. False when memory cannot be had.
    bool Count(const DWORD* pixels, DWORD n, const DWORD* pKey);
    // False when n pixels (0x00RRGGBB, those of *pKey when given left out)
    // have more than room (at most 256) colours; true when they may not:
    // Count tells. Stops at the first colour past room, which a photograph
    // reaches within a few rows.
    bool MayFit(const DWORD* pixels, DWORD n, const DWORD* pKey, DWORD room);
    // Whether every counted colour fits in `room` entries, exactly.
    bool FitsIn(DWORD room) const { return m_histogram.Exact() && m_histogram.Size() <= room; }
    // The frame's own table of at most room (1..256) colours: its colours in
    // order of first appearance when they fit, else a table of room colours
    // fitted to them. False when memory cannot be had.
    bool Make(DWORD room, DWORD colours[256], DWORD* pnCount);
    // The mean squared error (over the channels of a pixel, summed) of the
    // counted colours on their nearest colours of a table; -1 when memory
    // cannot be had.
    double Error(const DWORD* colours, DWORD count);

// Attributes
    // Pixels counted (the key colour's left out).
    DWORD Pixels() const { return m_histogram.Pixels(); }
    const CColourHistogram& Histogram() const { return m_histogram; }
    const CPaletteRefiner& Refiner() const { return m_refiner; }

// Implementation
private:
    CColourHistogram m_histogram;
    CBoxCut m_cut;
    CPaletteRefiner m_refiner;
    CColourLookup m_lookup;
    static const DWORD kSeenBits = 10;  // a quarter full at most
    DWORD m_seen[1u << kSeenBits];      // MayFit's colours | 0x01000000, 0 when empty
};
