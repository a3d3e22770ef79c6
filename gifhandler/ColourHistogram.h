// CColourHistogram: the distinct colours of a frame and how many pixels have
// each; what a colour table is made from.
#pragma once

#include <windows.h>

#include "HeapArray.h"

class CColourHistogram
{
public:
// Construction
    CColourHistogram();
    CColourHistogram(const CColourHistogram&) = delete;
    CColourHistogram& operator=(const CColourHistogram&) = delete;

// Operations
    // Counts n pixels (0x00RRGGBB, the top byte ignored); with pSkip, the
    // pixels of that colour are left out. Up to kMaxEntries distinct colours
    // the entries are exact; past that, channels lose their low bits until
    // the entries fit, each entry then standing for the mean of its pixels.
    // False when the memory cannot be had.
    bool Count(const DWORD* pixels, DWORD n, const DWORD* pSkip);

// Attributes
    static constexpr DWORD kMaxEntries = 1u << 15;

    DWORD Size() const { return m_nSize; }
    // Every entry is one colour of the frame.
    bool Exact() const { return m_nDropBits == 0; }
    // Pixels counted.
    DWORD Pixels() const { return m_nPixels; }
    // Entry k (0 .. Size() - 1, in order of first appearance): its pixels,
    // and the sum of their channels.
    DWORD Weight(DWORD k) const { return m_pSlots[m_pOrder[k]].count; }
    void Sums(DWORD k, double sums[3]) const;
    // Its colour: the mean of its pixels, rounded.
    DWORD Colour(DWORD k) const;
    // The entry of an exact colour, or -1 (only when Exact()).
    int Find(DWORD colour) const;

// Implementation
private:
    struct Slot
    {
        DWORD key;              // colour with the dropped bits cleared, | kUsed; 0 when empty
        DWORD count;
        DWORD entry;            // its place in m_pOrder
    };
    // Of red, green, blue: pixels fit in 2^24, so sums in 2^32.
    struct Sum
    {
        DWORD channel[3];
    };

    bool Reserve();
    Slot* Probe(DWORD key) const;
    Slot* Add(DWORD key);
    void Clear();
    void Coarsen();

    static const DWORD kSlotBits = 16;  // at most half full
    CHeapArray<Slot> m_pSlots;
    CHeapArray<Slot> m_pScratch;        // the entries while they are folded
    CHeapArray<DWORD> m_pOrder;         // slot of each entry, in order of first appearance
    CHeapArray<Sum> m_pSums;            // of each entry, once folded
    DWORD m_nSize;
    DWORD m_nDropBits;
    DWORD m_nPixels;
};
