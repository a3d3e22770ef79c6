// CTableMaker: counting, then the exact table or a cut refined.
#include "TableMaker.h"

#include "ColourMath.h"

bool CTableMaker::Count(const DWORD* pixels, DWORD n, const DWORD* pKey)
{
    return m_histogram.Count(pixels, n, pKey);
}

bool CTableMaker::Make(DWORD room, DWORD colours[256], DWORD* pnCount)
{
    *pnCount = 0;
    if (m_histogram.Size() <= room) {
        // Its own colours, exactly (or, past the histogram's exact size,
        // the means of its entries: there is room for all of them).
        *pnCount = m_histogram.Size();
        for (DWORD k = 0; k < *pnCount; ++k)
            colours[k] = m_histogram.Colour(k);
        return true;
    }
    return m_cut.Cut(m_histogram, room, colours, pnCount) && m_refiner.Refine(m_histogram, room, colours, pnCount);
}

double CTableMaker::Error(const DWORD* colours, DWORD count)
{
    if (count == 0 || !m_lookup.Build(colours, count))
        return -1;
    double sum = 0;
    BYTE last = 0;
    for (DWORD k = 0; k < m_histogram.Size(); ++k) {
        const DWORD c = m_histogram.Colour(k);
        // Entries come in the order they appeared: the last answer is a likely one.
        last = m_lookup.NearestFrom(c, last);
        sum += static_cast<double>(m_histogram.Weight(k)) * ColourDistance(c, colours[last]);
    }
    return m_histogram.Pixels() == 0 ? 0 : sum / m_histogram.Pixels();
}
