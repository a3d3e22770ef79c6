// CTableMaker: the colour table of a frame of its own: its colours when they
// fit, else a table fitted to them.
#pragma once

#include <windows.h>

#include "BoxCut.h"
#include "ColourHistogram.h"
#include "ColourPlan.h"
#include "PaletteRefiner.h"

class CTableMaker
{
public:
// Operations
    // The table for n pixels (0x00RRGGBB): the frame's own colours, in order
    // of first appearance, when they fit in the limit (one entry less when
    // the key colour takes one); else a table of the limit's size fitted to
    // them. The key colour's entry comes last. False when memory cannot be
    // had.
    bool Make(const DWORD* pixels, DWORD n, const ColourOptions& options, ColourPlan& plan);

// Attributes
    // The histogram of the last frame made (its key colour left out).
    const CColourHistogram& Histogram() const { return m_histogram; }
    const CPaletteRefiner& Refiner() const { return m_refiner; }

// Implementation
private:
    CColourHistogram m_histogram;
    CBoxCut m_cut;
    CPaletteRefiner m_refiner;
};
