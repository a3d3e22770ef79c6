// cFitSearch: which choices to try, one after the other, to find the
// animation with the least loss that fits under a size. Loss grows in a
// fixed order: first the lossy strength (up to 200), then fewer colours
// (down to kFewestColours), then a smaller picture (down to kSmallestSide
// pixels a side); each is searched by halving between a choice that fits
// and one that does not, holding the earlier ones at their most. It only
// decides; the export runs each try and says whether it fit.
#pragma once

#include "ExportSettings.h"

class cFitSearch
{
public:
    // The least the search goes to.
    static constexpr int kFewestColours = 16;
    static constexpr int kSmallestSide = 16;

// Construction
    // From the user's own choices (the first try), for frames whose screen
    // is nScreenWidth x nScreenHeight before any scaling.
    cFitSearch(const cExportSettings& base, int nScreenWidth, int nScreenHeight);

// Operations
    // The choices of the next try; false when the search is over.
    bool Next(cExportSettings& next);
    // Whether the try Next gave fit.
    void Tell(bool bFits);

// Attributes
    // The choices with the least loss that fit; false when none did.
    bool Best(cExportSettings& best) const;
    int GetTries() const { return m_nTries; }

// Implementation
private:
    enum Stage { first, lossyMost, lossy, coloursFewest, colours, scaleSmallest, scale, done };

    // The choices at a stage's value: the earlier stages at their most.
    cExportSettings At(Stage stage, int nValue) const;
    // Halving within [m_nLow, m_nHigh]: m_nGood fits, the other end not.
    bool Narrow(int nTolerance);

    cExportSettings m_base;
    int m_nWidth, m_nHeight;    // the base's output screen
    Stage m_stage;
    int m_nLow, m_nHigh;        // the range still open at this stage
    bool m_bLowFits;            // which end fits: lossiness fits high, colours and scale fit low
    int m_nTrying;              // the value of the try Next gave
    bool m_bFound;
    cExportSettings m_best;
    int m_nTries;
};
