// CTableMaker: counting, then the exact table or a cut refined.
#include "TableMaker.h"

#include "ColourMath.h"

bool CTableMaker::Count(const DWORD* pixels, DWORD n, const DWORD* pKey)
{
    return m_histogram.Count(pixels, n, pKey);
}

bool CTableMaker::MayFit(const DWORD* pixels, DWORD n, const DWORD* pKey, DWORD room)
{
    ::ZeroMemory(m_seen, sizeof m_seen);
    const DWORD skip = pKey != nullptr ? (*pKey & 0xFFFFFF) : 0xFFFFFFFF;
    DWORD nSeen = 0, last = 0xFFFFFFFF;
    for (DWORD i = 0; i < n; ++i) {
        const DWORD c = pixels[i] & 0xFFFFFF;
        if (c == last || c == skip)
            continue;
        last = c;
        const DWORD key = c | 0x01000000;
        DWORD s = (key * 0x9E3779B1u) >> (32 - kSeenBits);
        while (m_seen[s] != 0 && m_seen[s] != key)
            s = (s + 1) & ((1u << kSeenBits) - 1);
        if (m_seen[s] == 0) {
            if (++nSeen > room)
                return false;
            m_seen[s] = key;
        }
    }
    return true;
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
