// cFitSearch: one stage after the other, halving within each.
#include "FitSearch.h"

namespace {

const int kMostLossy = 200;

int RoundedRatio(int n, int times, int over)
{
    return over == 0 ? n : static_cast<int>((static_cast<LONGLONG>(n) * times + over / 2) / over);
}

} // namespace

cFitSearch::cFitSearch(const cExportSettings& base, int nScreenWidth, int nScreenHeight)
    : m_base(base), m_nWidth(nScreenWidth), m_nHeight(nScreenHeight), m_stage(first), m_nLow(0), m_nHigh(0),
      m_bLowFits(false), m_nTrying(0), m_bFound(false), m_nTries(0)
{
    // The output screen the base asks for, one side from the other if need be.
    if (base.nOutputWidth > 0 && base.nOutputHeight > 0) {
        m_nWidth = base.nOutputWidth;
        m_nHeight = base.nOutputHeight;
    } else if (base.nOutputWidth > 0) {
        m_nHeight = RoundedRatio(nScreenHeight, base.nOutputWidth, nScreenWidth);
        m_nWidth = base.nOutputWidth;
    } else if (base.nOutputHeight > 0) {
        m_nWidth = RoundedRatio(nScreenWidth, base.nOutputHeight, nScreenHeight);
        m_nHeight = base.nOutputHeight;
    }
    m_nWidth = m_nWidth < 1 ? 1 : m_nWidth;
    m_nHeight = m_nHeight < 1 ? 1 : m_nHeight;
}

cExportSettings cFitSearch::At(Stage stage, int nValue) const
{
    cExportSettings s = m_base;
    if (stage == first)
        return s;
    s.nLossiness = stage == lossyMost || stage == lossy ? nValue : kMostLossy;
    if (stage == coloursFewest || stage == colours)
        s.nColours = nValue;
    else if (stage == scaleSmallest || stage == scale) {
        s.nColours = m_base.nColours > kFewestColours ? kFewestColours : m_base.nColours;
        s.nOutputWidth = nValue;
        const int nHeight = RoundedRatio(m_nHeight, nValue, m_nWidth);
        s.nOutputHeight = nHeight < 1 ? 1 : nHeight;
    }
    return s;
}

bool cFitSearch::Next(cExportSettings& next)
{
    if (m_stage == done)
        return false;
    switch (m_stage) {
    case first:
        m_nTrying = 0;
        break;
    case lossyMost:
        m_nTrying = kMostLossy;
        break;
    case coloursFewest:
        m_nTrying = kFewestColours;
        break;
    case scaleSmallest:
        // The smaller side at kSmallestSide pixels.
        m_nTrying = m_nWidth >= m_nHeight ? RoundedRatio(kSmallestSide, m_nWidth, m_nHeight) : kSmallestSide;
        break;
    default:
        m_nTrying = (m_nLow + m_nHigh) / 2;
        break;
    }
    next = At(m_stage, m_nTrying);
    ++m_nTries;
    return true;
}

bool cFitSearch::Narrow(int nTolerance)
{
    return m_nHigh - m_nLow > (nTolerance < 1 ? 1 : nTolerance);
}

void cFitSearch::Tell(bool bFits)
{
    if (bFits) {
        m_bFound = true;
        m_best = At(m_stage, m_nTrying);
    }
    switch (m_stage) {
    case first:
        if (bFits)
            m_stage = done;
        else if (m_base.nLossiness < kMostLossy)
            m_stage = lossyMost;
        else
            m_stage = m_base.nColours > kFewestColours ? coloursFewest : scaleSmallest;
        break;
    case lossyMost:
        m_stage = bFits ? lossy : m_base.nColours > kFewestColours ? coloursFewest : scaleSmallest;
        m_nLow = m_base.nLossiness;     // does not fit
        m_nHigh = kMostLossy;           // fits
        m_bLowFits = false;
        break;
    case coloursFewest:
        m_stage = bFits ? colours : scaleSmallest;
        m_nLow = kFewestColours;        // fits
        m_nHigh = m_base.nColours;      // does not
        m_bLowFits = true;
        break;
    case scaleSmallest:
        m_stage = bFits ? scale : done;
        m_nLow = m_nTrying;
        m_nHigh = m_nWidth;
        m_bLowFits = true;
        break;
    default:
        // Halving: the end that fits moves to the try when it fit.
        if (bFits == m_bLowFits)
            m_nLow = m_nTrying;
        else
            m_nHigh = m_nTrying;
        break;
    }
    // A stage whose range is already narrow enough ends.
    const int nTolerance = m_stage == lossy ? 4 : m_stage == colours ? m_nLow / 8 : m_nHigh / 64;
    if ((m_stage == lossy || m_stage == colours || m_stage == scale) && !Narrow(nTolerance))
        m_stage = done;
    // Nothing smaller can be tried.
    if (m_stage == scaleSmallest
        && (m_nWidth >= m_nHeight ? RoundedRatio(kSmallestSide, m_nWidth, m_nHeight) : kSmallestSide) >= m_nWidth)
        m_stage = done;
}

bool cFitSearch::Best(cExportSettings& best) const
{
    if (m_bFound)
        best = m_best;
    return m_bFound;
}
