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
// A cell's candidates are found the first time it is asked for; a frame
// touches a few hundred cells of the 4096. Filling one reads the whole table:
// where a table is asked little before it changes (each round of fitting
// it), the coarse cells, a quarter as many to fill, cost less. When the pool of candidates is
// used up (tables whose entries crowd into a corner, far from most cells),
// further cells are searched whole.
#include "ColourLookup.h"

#include "ColourMath.h"

#include <string.h>

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
    : m_nCount(0), m_nCellBits(kFineBits), m_pCells(nullptr), m_pPool(nullptr), m_nPool(0), m_nReserved(-1)
{
    ::ZeroMemory(m_colours, sizeof m_colours);
    ::ZeroMemory(m_eligible, sizeof m_eligible);
    ::ZeroMemory(m_exactKeys, sizeof m_exactKeys);
    ::ZeroMemory(m_exactIndex, sizeof m_exactIndex);
}

CColourLookup::~CColourLookup()
{
    if (m_pPool != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, m_pPool);
    if (m_pCells != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, m_pCells);
}

bool CColourLookup::Build(const DWORD* colours, DWORD count, int reserved, bool coarse)
{
    if (m_pCells == nullptr) {
        m_pCells = static_cast<DWORD*>(::HeapAlloc(::GetProcessHeap(), 0, kCells * sizeof(DWORD)));
        m_pPool = static_cast<Candidate*>(::HeapAlloc(::GetProcessHeap(), 0, kPool * sizeof(Candidate)));
        if (m_pCells == nullptr || m_pPool == nullptr) {
            if (m_pPool != nullptr)
                ::HeapFree(::GetProcessHeap(), 0, m_pPool);
            if (m_pCells != nullptr)
                ::HeapFree(::GetProcessHeap(), 0, m_pCells);
            m_pPool = nullptr;
            m_pCells = nullptr;
            return false;
        }
    }
    m_nCellBits = coarse ? kCoarseBits : kFineBits;
    ::ZeroMemory(m_pCells, (1u << (3 * m_nCellBits)) * sizeof(DWORD));
    m_nPool = 0;
    m_nCount = count;
    m_nReserved = reserved;
    ::ZeroMemory(m_exactKeys, sizeof m_exactKeys);
    for (DWORD k = 0; k < 256; ++k) {
        m_colours[k] = k < count ? colours[k] & 0xFFFFFF : 0;
        m_eligible[k] = false;
    }
    for (DWORD k = 0; k < count; ++k) {
        if (static_cast<int>(k) == reserved)
            continue;
        const DWORD key = m_colours[k] | kUsed;
        DWORD s = ExactPosition(key, kExactBits);
        while (m_exactKeys[s] != 0 && m_exactKeys[s] != key)
            s = (s + 1) & ((1u << kExactBits) - 1);
        // A repeated colour keeps its first index, and only that one is
        // ever the nearest.
        if (m_exactKeys[s] == 0) {
            m_exactKeys[s] = key;
            m_exactIndex[s] = static_cast<BYTE>(k);
            m_eligible[k] = true;
        }
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
    for (DWORD k = 0; k < m_nCount; ++k) {
        if (!m_eligible[k])
            continue;
        const int d = ColourDistance(colour, m_colours[k]);
        if (d < best) {
            best = d;
            bestIndex = static_cast<BYTE>(k);
        }
    }
    return bestIndex;
}

DWORD CColourLookup::FillCell(DWORD cell)
{
    const int bits = m_nCellBits, side = (1 << bits) - 1, shift = 8 - bits;
    const int lo[3] = { static_cast<int>(cell >> (2 * bits)) << shift,
                        static_cast<int>((cell >> bits) & side) << shift,
                        static_cast<int>(cell & side) << shift };
    const int width = (1 << shift) - 1;
    int nearest[256];
    int bound = 0x7FFFFFFF;
    for (DWORD k = 0; k < m_nCount; ++k) {
        if (!m_eligible[k])
            continue;
        const DWORD c = m_colours[k];
        const int v[3] = { Red(c), Green(c), Blue(c) };
        int dNear = 0, dFar = 0;
        for (int a = 0; a < 3; ++a) {
            int n, f;
            AxisDistances(v[a], lo[a], lo[a] + width, &n, &f);
            dNear += n;
            dFar += f;
        }
        nearest[k] = dNear;
        if (dFar < bound)
            bound = dFar;
    }
    DWORD nFound = 0;
    for (DWORD k = 0; k < m_nCount; ++k)
        nFound += m_eligible[k] && nearest[k] <= bound ? 1 : 0;
    if (nFound == 0 || m_nPool + nFound > kPool)
        return m_pCells[cell] = kOverflow;
    // Insertion by distance to the cell, then index: few candidates each.
    Candidate* list = m_pPool + m_nPool;
    DWORD n = 0;
    for (DWORD k = 0; k < m_nCount; ++k) {
        if (!m_eligible[k] || nearest[k] > bound)
            continue;
        const WORD d = static_cast<WORD>(nearest[k] > 0xFFFF ? 0xFFFF : nearest[k]);
        DWORD j = n++;
        for (; j > 0 && list[j - 1].distance > d; --j)
            list[j] = list[j - 1];
        list[j].distance = d;
        list[j].index = static_cast<BYTE>(k);
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
    const Candidate* list = m_pPool + (value & 0xFFFFF);
    const DWORD n = value >> 20;
    int best = 0x7FFFFFFF;
    BYTE bestIndex = list[0].index;
    for (DWORD i = 0; i < n; ++i) {
        // Saturated distances never stop the search early.
        if (list[i].distance > best)
            break;
        const int d = ColourDistance(colour, m_colours[list[i].index]);
        if (d < best || (d == best && list[i].index < bestIndex)) {
            best = d;
            bestIndex = list[i].index;
        }
    }
    return bestIndex;
}
