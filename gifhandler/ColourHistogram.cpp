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
// The blocks (2.4 MiB) are taken with the first frame and kept: their size
// does not depend on the frame's.
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
    : m_pSlots(nullptr), m_pScratch(nullptr), m_pOrder(nullptr), m_nSize(0), m_nDropBits(0), m_nPixels(0)
{
}

CColourHistogram::~CColourHistogram()
{
    Free();
}

void CColourHistogram::Free()
{
    Slot** blocks[] = { &m_pSlots, &m_pScratch };
    for (Slot** p : blocks) {
        if (*p != nullptr)
            ::HeapFree(::GetProcessHeap(), 0, *p);
        *p = nullptr;
    }
    if (m_pOrder != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, m_pOrder);
    m_pOrder = nullptr;
}

bool CColourHistogram::Reserve()
{
    if (m_pSlots != nullptr)
        return true;
    m_pSlots = static_cast<Slot*>(::HeapAlloc(::GetProcessHeap(), 0, sizeof(Slot) << kSlotBits));
    m_pScratch = static_cast<Slot*>(::HeapAlloc(::GetProcessHeap(), 0, kMaxEntries * sizeof(Slot)));
    m_pOrder = static_cast<DWORD*>(::HeapAlloc(::GetProcessHeap(), 0, kMaxEntries * sizeof(DWORD)));
    if (m_pSlots != nullptr && m_pScratch != nullptr && m_pOrder != nullptr)
        return true;
    Free();
    return false;
}

CColourHistogram::Slot* CColourHistogram::Find(DWORD key, DWORD bits) const
{
    const DWORD mask = (1u << bits) - 1;
    DWORD i = Position(key, bits);
    while (m_pSlots[i].key != 0 && m_pSlots[i].key != key)
        i = (i + 1) & mask;
    return &m_pSlots[i];
}

// One bit less a channel, as often as it takes to leave room for as many
// entries again, down to kLowestBits. The order of first appearance is kept.
void CColourHistogram::Coarsen()
{
    do {
        ++m_nDropBits;
        const DWORD keep = (0xFFu << m_nDropBits) & 0xFF;
        const DWORD mask = Rgb(keep, keep, keep);
        const DWORD nOld = m_nSize;
        for (DWORD k = 0; k < nOld; ++k)
            m_pScratch[k] = m_pSlots[m_pOrder[k]];
        ::memset(m_pSlots, 0, sizeof(Slot) << kSlotBits);
        m_nSize = 0;
        for (DWORD k = 0; k < nOld; ++k) {
            const Slot& old = m_pScratch[k];
            const DWORD key = (old.key & mask) | kUsed;
            Slot* s = Find(key, kSlotBits);
            if (s->key == 0) {
                s->key = key;
                s->entry = m_nSize;
                m_pOrder[m_nSize++] = static_cast<DWORD>(s - m_pSlots);
            }
            s->count += old.count;
            for (int a = 0; a < 3; ++a)
                s->sum[a] += old.sum[a];
        }
    } while (m_nSize > kMaxEntries / 2 && 8 - m_nDropBits > kLowestBits);
}

bool CColourHistogram::Count(const DWORD* pixels, DWORD n, const DWORD* pSkip)
{
    if (!Reserve())
        return false;
    ::memset(m_pSlots, 0, sizeof(Slot) << kSlotBits);
    m_nSize = 0;
    m_nDropBits = 0;
    m_nPixels = 0;
    DWORD mask = 0xFFFFFF;
    const DWORD skip = pSkip != nullptr ? (*pSkip & 0xFFFFFF) : 0xFFFFFFFF;
    DWORD last = 0xFFFFFFFF;
    Slot* lastSlot = nullptr;
    for (DWORD i = 0; i < n; ++i) {
        const DWORD c = pixels[i] & 0xFFFFFF;
        if (c != last) {
            if (c == skip)
                continue;
            Slot* s = Find((c & mask) | kUsed, kSlotBits);
            if (s->key == 0) {
                if (m_nSize == kMaxEntries) {
                    Coarsen();
                    const DWORD keep = (0xFFu << m_nDropBits) & 0xFF;
                    mask = Rgb(keep, keep, keep);
                    s = Find((c & mask) | kUsed, kSlotBits);
                }
                if (s->key == 0) {
                    s->key = (c & mask) | kUsed;
                    s->entry = m_nSize;
                    m_pOrder[m_nSize++] = static_cast<DWORD>(s - m_pSlots);
                }
            }
            last = c;
            lastSlot = s;
        }
        ++lastSlot->count;
        lastSlot->sum[0] += static_cast<DWORD>(Red(c));
        lastSlot->sum[1] += static_cast<DWORD>(Green(c));
        lastSlot->sum[2] += static_cast<DWORD>(Blue(c));
        ++m_nPixels;
    }
    return true;
}

void CColourHistogram::Sums(DWORD k, double sums[3]) const
{
    const Slot& s = m_pSlots[m_pOrder[k]];
    for (int a = 0; a < 3; ++a)
        sums[a] = s.sum[a];
}

DWORD CColourHistogram::Colour(DWORD k) const
{
    const Slot& s = m_pSlots[m_pOrder[k]];
    if (m_nDropBits == 0)
        return s.key & 0xFFFFFF;
    const ULONGLONG n = s.count, half = n / 2;
    return Rgb(static_cast<int>((s.sum[0] + half) / n), static_cast<int>((s.sum[1] + half) / n),
               static_cast<int>((s.sum[2] + half) / n));
}

int CColourHistogram::Find(DWORD colour) const
{
    if (m_nDropBits != 0 || m_pSlots == nullptr)
        return -1;
    const Slot* s = Find((colour & 0xFFFFFF) | kUsed, kSlotBits);
    return s->key != 0 ? static_cast<int>(s->entry) : -1;
}
