// CBoxCut: a first colour table for a histogram, made by cutting colour
// space into boxes where the cuts leave the least squared error; the
// palette refiner takes it from there.
#pragma once

#include <windows.h>

#include "HeapArray.h"

class CColourHistogram;

class CBoxCut
{
public:
// Construction
    CBoxCut() = default;
    CBoxCut(const CBoxCut&) = delete;
    CBoxCut& operator=(const CBoxCut&) = delete;

// Operations
    // The means of at most `limit` (1..256) boxes into colours; *pnCount
    // receives how many (fewer when the histogram's colours fill fewer grid
    // cells). False when the grid's memory cannot be had.
    bool Cut(const CColourHistogram& histogram, DWORD limit, DWORD colours[256], DWORD* pnCount);

// Implementation
private:
    struct Moments;
    struct Box;

    void BuildGrid(const CColourHistogram& histogram);
    Moments Sum(const int lo[3], const int hi[3]) const;
    void SetError(Box* box) const;
    bool Split(Box* box, Box* upper) const;

    CHeapArray<Moments> m_pGrid;        // kept between frames
};
