// CColourHistogram: an open-addressed table of (colour, count, channel sums),
// at most half full.
//
// The entries are exact while there are at most kMaxEntries colours: the
// screen recordings, drawings and decoded movies that have a few hundred or
// a few thousand colours keep every one of them for the table to be fitted
// to. A photograph or noise has more; when the table is full, its entries are
// folded into entries with one bit less a channel (their sums kept, so that
// each still stands for the exact mean of its pixels) and counting goes on
// from where it was. Five bits a channel always fit. The table is fitted to
// the entries, so the work of fitting grows with the entries and not with the
// frame.
//
// Exact entries need only a count; their sums follow from their colour and
// are made when they are folded. Only the slots in use are emptied for the
// next frame. The blocks (1.4 MiB) are taken with the first frame and kept:
// their size does not depend on the frame's.
#include "ColourHistogram.h"

#include "ColourMath.h"

#include <string.h>

namespace {

const DWORD kUsed = 0x01000000;         // marks a filled slot; colours are 24-bit
const DWORD kLowestBits = 5;            // 32 levels a channel: 2^15 colours, all fit

inline DWORD Position(DWORD key, DWORD bits)
{
    return (key * 0x9E3779B1u) >> (32 - bits);
}

} // namespace

CColourHistogram::CColourHistogram()
    : m_nSize(0), m_nDropBits(0), m_nPixels(0)
{
}

bool CColourHistogram::Reserve()
{
    if (m_pSlots != nullptr)
        return true;
    if (!m_pSlots.Reserve(1u << kSlotBits) || !m_pScratch.Reserve(kMaxEntries) || !m_pOrder.Reserve(kMaxEntries)
        || !m_pSums.Reserve(kMaxEntries)) {
        m_pSlots.Free();
        return false;
    }
    ::ZeroMemory(m_pSlots.Get(), sizeof(Slot) << kSlotBits);
    m_nSize = 0;
    return true;
}

CColourHistogram::Slot* CColourHistogram::Probe(DWORD key) const
{
    const DWORD mask = (1u << kSlotBits) - 1;
    DWORD i = Position(key, kSlotBits);
    while (m_pSlots[i].key != 0 && m_pSlots[i].key != key)
        i = (i + 1) & mask;
    return &m_pSlots[i];
}

// Empties the slots in use: fewer than all of them, as a rule.
void CColourHistogram::Clear()
{
    for (DWORD k = 0; k < m_nSize; ++k)
        m_pSlots[m_pOrder[k]].key = 0;
    m_nSize = 0;
}

CColourHistogram::Slot* CColourHistogram::Add(DWORD key)
{
    Slot* s = Probe(key);
    if (s->key == 0) {
        s->key = key;
        s->count = 0;
        s->entry = m_nSize;
        m_pSums[m_nSize].channel[0] = m_pSums[m_nSize].channel[1] = m_pSums[m_nSize].channel[2] = 0;
        m_pOrder[m_nSize++] = static_cast<DWORD>(s - m_pSlots.Get());
    }
    return s;
}

// One bit less a channel, as often as it takes to leave room for as many
// entries again, down to kLowestBits. The order of first appearance is kept.
// Exact entries get their sums here; from then on each pixel adds to them.
void CColourHistogram::Coarsen()
{
    if (m_nDropBits == 0)
        for (DWORD k = 0; k < m_nSize; ++k) {
            const Slot& s = m_pSlots[m_pOrder[k]];
            m_pSums[k].channel[0] = static_cast<DWORD>(Red(s.key)) * s.count;
            m_pSums[k].channel[1] = static_cast<DWORD>(Green(s.key)) * s.count;
            m_pSums[k].channel[2] = static_cast<DWORD>(Blue(s.key)) * s.count;
        }
    do {
        ++m_nDropBits;
        const DWORD keep = (0xFFu << m_nDropBits) & 0xFF;
        const DWORD mask = Rgb(keep, keep, keep) | kUsed;
        const DWORD nOld = m_nSize;
        // The old entries go to the scratch block; their sums stay where
        // they are, each read before the new entries (never more than the
        // old, and at most as far along) reach its place.
        for (DWORD k = 0; k < nOld; ++k)
            m_pScratch[k] = m_pSlots[m_pOrder[k]];
        Clear();
        for (DWORD k = 0; k < nOld; ++k) {
            const Sum sum = m_pSums[k];
            Slot* s = Add(m_pScratch[k].key & mask);
            s->count += m_pScratch[k].count;
            for (int a = 0; a < 3; ++a)
                m_pSums[s->entry].channel[a] += sum.channel[a];
        }
    } while (m_nSize > kMaxEntries / 2 && 8 - m_nDropBits > kLowestBits);
}

bool CColourHistogram::Count(const DWORD* pixels, DWORD n, const DWORD* pSkip)
{
    if (!Reserve())
        return false;
    Clear();
    m_nDropBits = 0;
    m_nPixels = 0;
    const DWORD skip = pSkip != nullptr ? (*pSkip & 0xFFFFFF) : 0xFFFFFFFF;
    DWORD last = 0xFFFFFFFF;
    Slot* lastSlot = nullptr;
    DWORD i = 0;
    // Exact colours: a count each, the sums follow from the colour.
    for (; i < n; ++i) {
        const DWORD c = pixels[i] & 0xFFFFFF;
        if (c != last) {
            if (c == skip)
                continue;
            Slot* s = Probe(c | kUsed);
            if (s->key == 0) {
                if (m_nSize == kMaxEntries)
                    break;
                s = Add(c | kUsed);
            }
            last = c;
            lastSlot = s;
        }
        ++lastSlot->count;
        ++m_nPixels;
    }
    if (i == n)
        return true;
    // Folded colours from pixel i on: the sums as well.
    Coarsen();
    DWORD keep = (0xFFu << m_nDropBits) & 0xFF;
    DWORD mask = Rgb(keep, keep, keep);
    last = 0xFFFFFFFF;
    for (; i < n; ++i) {
        const DWORD c = pixels[i] & 0xFFFFFF;
        if (c != last) {
            if (c == skip)
                continue;
            Slot* s = Probe((c & mask) | kUsed);
            if (s->key == 0) {
                if (m_nSize == kMaxEntries) {
                    Coarsen();
                    keep = (0xFFu << m_nDropBits) & 0xFF;
                    mask = Rgb(keep, keep, keep);
                }
                s = Add((c & mask) | kUsed);
            }
            last = c;
            lastSlot = s;
        }
        ++lastSlot->count;
        Sum& sum = m_pSums[lastSlot->entry];
        sum.channel[0] += static_cast<DWORD>(Red(c));
        sum.channel[1] += static_cast<DWORD>(Green(c));
        sum.channel[2] += static_cast<DWORD>(Blue(c));
        ++m_nPixels;
    }
    return true;
}

void CColourHistogram::Sums(DWORD k, double sums[3]) const
{
    const Slot& s = m_pSlots[m_pOrder[k]];
    if (m_nDropBits == 0) {
        sums[0] = static_cast<double>(Red(s.key)) * s.count;
        sums[1] = static_cast<double>(Green(s.key)) * s.count;
        sums[2] = static_cast<double>(Blue(s.key)) * s.count;
        return;
    }
    for (int a = 0; a < 3; ++a)
        sums[a] = m_pSums[k].channel[a];
}

DWORD CColourHistogram::Colour(DWORD k) const
{
    const Slot& s = m_pSlots[m_pOrder[k]];
    if (m_nDropBits == 0)
        return s.key & 0xFFFFFF;
    const ULONGLONG n = s.count, half = n / 2;
    const Sum& sum = m_pSums[k];
    return Rgb(static_cast<int>((sum.channel[0] + half) / n), static_cast<int>((sum.channel[1] + half) / n),
               static_cast<int>((sum.channel[2] + half) / n));
}

int CColourHistogram::Find(DWORD colour) const
{
    if (m_nDropBits != 0 || m_pSlots == nullptr)
        return -1;
    const Slot* s = Probe((colour & 0xFFFFFF) | kUsed);
    return s->key != 0 ? static_cast<int>(s->entry) : -1;
}
