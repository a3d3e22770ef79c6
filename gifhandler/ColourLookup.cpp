// CColourLookup: exact colours by hashing; nearest colours through cells.
//
// Design. Colour space is cut into cells of 16 (or 32) levels a channel. For a cell,
// an entry can be the nearest to one of its colours only if its distance to
// the cell (to the nearest point of the cell) is at most the smallest
// distance any entry has to the cell's farthest point; those entries are the
// cell's candidates, kept sorted by their distance to the cell. A search
// then reads the candidates in that order and stops at the first whose
// distance to the cell exceeds the best found, which is usually the second
// or third: a dithered frame's targets cost a few distances each instead of
// the table's 256. The answer is exact, and the same whichever order the
// cells are filled in, so two lookups of one table answer alike.
//
// Where the answer for a similar colour is known (the previous round of
// fitting a table, the neighbouring pixel), it is checked first: a colour
// nearer to an entry than half the way to that entry's nearest neighbour
// has it as its nearest, without a search.
//
// A cell's candidates are found the first time it is asked for; a frame
// touches a few hundred cells of the 4096. Filling one reads the whole table
// (each entry's distances along each axis are looked up, not computed):
// where a table is asked little before it changes (each round of fitting
// it), the coarse cells, an eighth as many to fill, cost less.
//
// Dithered pixels ask for colours that are off by the error they carry
// anyway; they take the answer for the middle of their small cell (4 levels
// a channel), searched once a table, so that a frame's dithered pixels cost
// a few thousand searches. The error they pass on is that of the colour
// they got, so what the cell's width takes from one pixel is made up on
// the next. (An exact answer for each costs twice the time, for 0.3 dB on a
// photograph.) When the pool of candidates is
// used up (tables whose entries crowd into a corner, far from most cells),
// further cells are searched whole.
#include "ColourLookup.h"

#include "ColourMath.h"

#include <string.h>

#include <algorithm>

namespace {

const DWORD kUsed = 0x01000000;

inline DWORD ExactPosition(DWORD key, DWORD bits)
{
    return (key * 0x9E3779B1u) >> (32 - bits);
}

// Squared distances from a level to the nearest and farthest levels of
// [lo, hi].
inline void AxisDistances(int v, int lo, int hi, int* nearest, int* farthest)
{
    const int below = lo - v, above = v - hi;
    const int dNear = below > 0 ? below : above > 0 ? above : 0;
    const int dFar = v - lo > hi - v ? v - lo : hi - v;
    *nearest = dNear * dNear;
    *farthest = dFar * dFar;
}

} // namespace

CColourLookup::CColourLookup()
    : m_nCount(0), m_nCellBits(kFineBits), m_nEligible(0), m_bGaps(false), m_nPool(0),
      m_bSmallClear(false), m_bKnownClear(false)
{
    ::ZeroMemory(m_colours, sizeof m_colours);
    ::ZeroMemory(m_exactKeys, sizeof m_exactKeys);
    ::ZeroMemory(m_exactIndex, sizeof m_exactIndex);
}

bool CColourLookup::Build(const DWORD* colours, DWORD count, bool coarse)
{
    if (!m_pCells.Reserve(kCells) || !m_pPool.Reserve(kPool) || !m_pSmallCells.Reserve(kSmallCells)
        || !m_pSmallKnown.Reserve(kSmallCells / 8) || !m_pKnownColours.Reserve(1u << kKnownBits)
        || !m_pKnownAnswers.Reserve(1u << kKnownBits))
        return false;
    m_nCellBits = coarse ? kCoarseBits : kFineBits;
    ::ZeroMemory(m_pCells.Get(), (1u << (3 * m_nCellBits)) * sizeof(DWORD));
    m_nPool = 0;
    m_bGaps = false;
    m_bSmallClear = false;
    m_bKnownClear = false;
    m_nCount = count;
    ::ZeroMemory(m_exactKeys, sizeof m_exactKeys);
    m_nEligible = 0;
    for (DWORD k = 0; k < 256; ++k) {
        m_colours[k] = k < count ? colours[k] & 0xFFFFFF : 0;
        m_channel[k][0] = Red(m_colours[k]);
        m_channel[k][1] = Green(m_colours[k]);
        m_channel[k][2] = Blue(m_colours[k]);
    }
    for (DWORD k = 0; k < count; ++k) {
        const DWORD key = m_colours[k] | kUsed;
        DWORD s = ExactPosition(key, kExactBits);
        while (m_exactKeys[s] != 0 && m_exactKeys[s] != key)
            s = (s + 1) & ((1u << kExactBits) - 1);
        // A repeated colour keeps its first index, and only that one is
        // ever the nearest.
        if (m_exactKeys[s] == 0) {
            m_exactKeys[s] = key;
            m_exactIndex[s] = static_cast<BYTE>(k);
            m_eligible[m_nEligible++] = static_cast<BYTE>(k);
        }
    }
    const int shift = 8 - m_nCellBits, width = (1 << shift) - 1;
    for (int a = 0; a < 3; ++a)
        for (int cell = 0; cell < (1 << m_nCellBits); ++cell)
            for (DWORD i = 0; i < m_nEligible; ++i) {
                const BYTE k = m_eligible[i];
                AxisDistances(m_channel[k][a], cell << shift, (cell << shift) + width, &m_axisNear[a][cell][k],
                              &m_axisFar[a][cell][k]);
            }
    return true;
}

int CColourLookup::Exact(DWORD colour) const
{
    const DWORD key = (colour & 0xFFFFFF) | kUsed;
    DWORD s = ExactPosition(key, kExactBits);
    while (m_exactKeys[s] != 0) {
        if (m_exactKeys[s] == key)
            return m_exactIndex[s];
        s = (s + 1) & ((1u << kExactBits) - 1);
    }
    return -1;
}

BYTE CColourLookup::Search(DWORD colour) const
{
    int best = 0x7FFFFFFF;
    BYTE bestIndex = 0;
    for (DWORD i = 0; i < m_nEligible; ++i) {
        const int d = ColourDistance(colour, m_colours[m_eligible[i]]);
        if (d < best) {
            best = d;
            bestIndex = m_eligible[i];
        }
    }
    return bestIndex;
}

DWORD CColourLookup::FillCell(DWORD cell)
{
    const int bits = m_nCellBits, side = (1 << bits) - 1;
    const int* nearR = m_axisNear[0][cell >> (2 * bits)];
    const int* nearG = m_axisNear[1][(cell >> bits) & side];
    const int* nearB = m_axisNear[2][cell & side];
    const int* farR = m_axisFar[0][cell >> (2 * bits)];
    const int* farG = m_axisFar[1][(cell >> bits) & side];
    const int* farB = m_axisFar[2][cell & side];
    int bound = 0x7FFFFFFF;
    for (DWORD i = 0; i < m_nEligible; ++i) {
        const BYTE k = m_eligible[i];
        const int dFar = farR[k] + farG[k] + farB[k];
        bound = dFar < bound ? dFar : bound;
    }
    // Sorted by distance to the cell, then index.
    DWORD keys[256];
    DWORD n = 0;
    for (DWORD i = 0; i < m_nEligible; ++i) {
        const BYTE k = m_eligible[i];
        const int dNear = nearR[k] + nearG[k] + nearB[k];
        if (dNear <= bound)
            keys[n++] = static_cast<DWORD>(dNear > 0xFFFF ? 0xFFFF : dNear) << 8 | k;
    }
    if (n == 0 || m_nPool + n > kPool)
        return m_pCells[cell] = kOverflow;
    std::sort(keys, keys + n);
    Candidate* list = m_pPool.Get() + m_nPool;
    for (DWORD i = 0; i < n; ++i) {
        list[i].distance = static_cast<WORD>(keys[i] >> 8);
        list[i].index = static_cast<BYTE>(keys[i] & 0xFF);
    }
    const DWORD value = m_nPool | n << 20;
    m_nPool += n;
    return m_pCells[cell] = value;
}

BYTE CColourLookup::Nearest(DWORD colour)
{
    const int bits = m_nCellBits;
    const DWORD side = (1u << bits) - 1;
    const DWORD cell = ((colour >> (24 - bits)) & side) << (2 * bits) | ((colour >> (16 - bits)) & side) << bits
                     | ((colour >> (8 - bits)) & side);
    DWORD value = m_pCells[cell];
    if (value == kUnknown)
        value = FillCell(cell);
    if (value == kOverflow)
        return Search(colour);
    const Candidate* list = m_pPool.Get() + (value & 0xFFFFF);
    const DWORD n = value >> 20;
    const int r = Red(colour), g = Green(colour), b = Blue(colour);
    int best = 0x7FFFFFFF;
    BYTE bestIndex = list[0].index;
    for (DWORD i = 0; i < n; ++i) {
        // Saturated distances never stop the search early.
        if (list[i].distance > best)
            break;
        const int* c = m_channel[list[i].index];
        const int d = (r - c[0]) * (r - c[0]) + (g - c[1]) * (g - c[1]) + (b - c[2]) * (b - c[2]);
        if (d < best || (d == best && list[i].index < bestIndex)) {
            best = d;
            bestIndex = list[i].index;
        }
    }
    return bestIndex;
}

void CColourLookup::FindGaps()
{
    for (DWORD k = 0; k < 256; ++k)
        m_quarterGap[k] = 0;
    int gap[256];
    for (DWORD i = 0; i < m_nEligible; ++i)
        gap[i] = 0x7FFFFFFF;
    for (DWORD i = 0; i < m_nEligible; ++i)
        for (DWORD j = i + 1; j < m_nEligible; ++j) {
            const int d = ColourDistance(m_colours[m_eligible[i]], m_colours[m_eligible[j]]);
            gap[i] = d < gap[i] ? d : gap[i];
            gap[j] = d < gap[j] ? d : gap[j];
        }
    // Strictly nearer than half the gap: 4 d < gap, kept as d < gap / 4
    // rounded up, so that a tie is never taken for an answer.
    for (DWORD i = 0; i < m_nEligible; ++i)
        m_quarterGap[m_eligible[i]] = gap[i] == 0x7FFFFFFF ? gap[i] : (gap[i] + 3) / 4;
    m_bGaps = true;
}

BYTE CColourLookup::NearestFrom(DWORD colour, BYTE hint)
{
    if (!m_bGaps)
        FindGaps();
    if (ColourDistance(colour, m_colours[hint]) < m_quarterGap[hint])
        return hint;
    return Nearest(colour);
}

BYTE CColourLookup::NearCell(DWORD colour)
{
    if (!m_bSmallClear) {
        ::ZeroMemory(m_pSmallKnown.Get(), kSmallCells / 8);
        m_bSmallClear = true;
    }
    const DWORD cell = (colour >> 6 & 0x3F000) | (colour >> 4 & 0xFC0) | (colour >> 2 & 0x3F);
    const BYTE bit = static_cast<BYTE>(1u << (cell & 7));
    if ((m_pSmallKnown[cell >> 3] & bit) == 0) {
        m_pSmallCells[cell] = Nearest((colour & 0xFCFCFC) | 0x020202);
        m_pSmallKnown[cell >> 3] |= bit;
    }
    return m_pSmallCells[cell];
}

BYTE CColourLookup::NearestKnown(DWORD colour)
{
    if (!m_bKnownClear) {
        ::ZeroMemory(m_pKnownColours.Get(), sizeof(DWORD) << kKnownBits);
        m_bKnownClear = true;
    }
    const DWORD key = (colour & 0xFFFFFF) | kUsed;
    const DWORD slot = ExactPosition(key, kKnownBits);
    if (m_pKnownColours[slot] != key) {
        m_pKnownColours[slot] = key;
        m_pKnownAnswers[slot] = Nearest(colour);
    }
    return m_pKnownAnswers[slot];
}
