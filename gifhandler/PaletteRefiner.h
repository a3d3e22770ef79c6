// CPaletteRefiner: a colour table moved onto the colours of a histogram
// (k-means), until it stops improving, with every entry put to use.
#pragma once

#include <windows.h>

#include "ColourLookup.h"
#include "HeapArray.h"

class CColourHistogram;

class CPaletteRefiner
{
public:
// Construction
    CPaletteRefiner();
    CPaletteRefiner(const CPaletteRefiner&) = delete;
    CPaletteRefiner& operator=(const CPaletteRefiner&) = delete;

// Operations
    // colours holds *pnCount (1..limit) colours, a first table for the
    // histogram (which has more than limit entries). Each entry moves to the
    // mean of the colours nearest to it, again and again while that takes
    // off at least a small share of the error; entries that serve no colour,
    // and those up to limit, are given to the colours shown worst. False
    // when the memory cannot be had.
    bool Refine(const CColourHistogram& histogram, DWORD limit, DWORD colours[256], DWORD* pnCount);

// Attributes
    // Rounds of the last Refine.
    DWORD Rounds() const { return m_nRounds; }

// Implementation
private:
    // An entry of the histogram, as the rounds read it.
    struct Entry
    {
        DWORD colour;           // its mean, rounded
        float weight;           // pixels
        float mean[3];
    };

    bool Reserve();
    void Load(const CColourHistogram& histogram);
    void Fold();
    void Rounds(DWORD first, DWORD n, DWORD limit, DWORD colours[256], DWORD* pnCount);
    double Assign(DWORD first, DWORD n, const DWORD* colours, DWORD count);
    DWORD Reseed(DWORD first, DWORD n, DWORD limit, DWORD colours[256], DWORD count, bool* pbChanged);

    CColourLookup m_lookup;
    CHeapArray<Entry> m_pEntries;       // the histogram's, then the folded ones
    DWORD m_nEntries;
    DWORD m_nFolded;
    CHeapArray<BYTE> m_pNearest;        // each entry's table colour in the last round
    CHeapArray<float> m_pErrors;        // each entry's weighted squared error
    CHeapArray<DWORD> m_pFoldSlots;     // folded entry + 0x10000 by 6-bit colour, 0 when empty
    double m_sums[256][3];
    double m_weights[256];
    DWORD m_nRounds;
};
