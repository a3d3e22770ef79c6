// CPaletteRefiner: Lloyd's iterations over the entries of a histogram.
//
// Design. The box cut places the table's colours as coarsely as its grid;
// each round here gives every histogram entry (a colour, or the mean of a few
// close ones, with its pixel count) its nearest table colour and moves each
// table colour to the mean of what it was given. The squared error never
// grows from one round to the next; rounds stop once one takes off less
// than kMinGain of it.
//
// A photograph has some 15,000 entries. Histograms that large are refined
// on their entries folded to 6 bits a channel (a third as many, each at the
// exact mean of its colours), for a third of the work a round.
// A table colour that is given nothing (two that round to the same colour,
// one the others cut off) is moved onto the entry with the largest error,
// and a table with fewer colours than allowed (the cut stops at boxes of one
// grid cell) is filled the same way: on frames of few, close colours, such
// as decoded movies and anti-aliased text, all the entries are then used.
#include "PaletteRefiner.h"

#include "ColourHistogram.h"
#include "ColourMath.h"

#include <string.h>

namespace {

const DWORD kMaxRounds = 12;
// Rounds that take off less than 3 % of the error move the table too little
// to show: stopping there saves a third of the rounds (a decoded movie's
// frames: 4.7 rounds a frame down to 3.3) for 0.0001 of SSIM.
const double kMinGain = 0.03;
// Histograms with fewer entries are refined on their entries alone.
const DWORD kFoldFrom = 4096;
const DWORD kFoldSlotBits = 16;

} // namespace

CPaletteRefiner::CPaletteRefiner()
    : m_nEntries(0), m_nFolded(0), m_nRounds(0)
{
}

bool CPaletteRefiner::Reserve()
{
    // The entries, then as many folded ones at most.
    const DWORD n = 2 * CColourHistogram::kMaxEntries;
    return m_pEntries.Reserve(n) && m_pNearest.Reserve(n) && m_pErrors.Reserve(n)
           && m_pFoldSlots.Reserve(1u << kFoldSlotBits);
}

// The histogram's entries side by side, read in every round.
void CPaletteRefiner::Load(const CColourHistogram& histogram)
{
    m_nEntries = histogram.Size();
    for (DWORD k = 0; k < m_nEntries; ++k) {
        Entry& e = m_pEntries[k];
        double sums[3];
        histogram.Sums(k, sums);
        const double w = histogram.Weight(k);
        e.colour = histogram.Colour(k);
        e.weight = static_cast<float>(w);
        for (int a = 0; a < 3; ++a)
            e.mean[a] = static_cast<float>(sums[a] / w);
    }
}

// The entries folded to 6 bits a channel, after them in m_pEntries.
void CPaletteRefiner::Fold()
{
    ::memset(m_pFoldSlots.Get(), 0, sizeof(DWORD) << kFoldSlotBits);
    Entry* folded = m_pEntries.Get() + m_nEntries;
    m_nFolded = 0;
    for (DWORD k = 0; k < m_nEntries; ++k) {
        const Entry& e = m_pEntries[k];
        const DWORD key = (e.colour & 0xFCFCFC) | 0x01000000;
        DWORD s = (key * 0x9E3779B1u) >> (32 - kFoldSlotBits);
        while (m_pFoldSlots[s] != 0 && m_pEntries[m_nEntries + (m_pFoldSlots[s] & 0xFFFF)].colour != key)
            s = (s + 1) & ((1u << kFoldSlotBits) - 1);
        if (m_pFoldSlots[s] == 0) {
            m_pFoldSlots[s] = 0x10000 | m_nFolded;
            Entry& f = folded[m_nFolded++];
            f.colour = key;     // the key until the means are known
            f.weight = 0;
            f.mean[0] = f.mean[1] = f.mean[2] = 0;
        }
        Entry& f = folded[m_pFoldSlots[s] & 0xFFFF];
        for (int a = 0; a < 3; ++a)
            f.mean[a] += e.weight * e.mean[a];
        f.weight += e.weight;
    }
    for (DWORD k = 0; k < m_nFolded; ++k) {
        Entry& f = folded[k];
        for (int a = 0; a < 3; ++a)
            f.mean[a] /= f.weight;
        f.colour = Rgb(ClampLevel(static_cast<int>(f.mean[0] + 0.5f)), ClampLevel(static_cast<int>(f.mean[1] + 0.5f)),
                       ClampLevel(static_cast<int>(f.mean[2] + 0.5f)));
    }
}

// Gives each of n entries from `first` its nearest colour, checking the
// one it had first; the sums and weights of what each colour was given,
// each entry's error, and the total.
double CPaletteRefiner::Assign(DWORD first, DWORD n, const DWORD* colours, DWORD count)
{
    for (DWORD j = 0; j < 256; ++j) {
        m_sums[j][0] = m_sums[j][1] = m_sums[j][2] = 0;
        m_weights[j] = 0;
    }
    // Coarse cells: a round asks few colours of a table it builds anew.
    m_lookup.Build(colours, count, true);
    double total = 0;
    BYTE last = 0;
    for (DWORD k = first; k < first + n; ++k) {
        const Entry& e = m_pEntries[k];
        // Without a colour of its own yet, an entry starts from the one
        // before it, which appeared next to it in the frame.
        const BYTE j = m_lookup.NearestFrom(e.colour, m_pNearest[k] < count ? m_pNearest[k] : last);
        m_pNearest[k] = last = j;
        const double w = e.weight;
        m_sums[j][0] += w * e.mean[0];
        m_sums[j][1] += w * e.mean[1];
        m_sums[j][2] += w * e.mean[2];
        m_weights[j] += w;
        const double err = w * ColourDistance(e.colour, colours[j]);
        m_pErrors[k] = static_cast<float>(err);
        total += err;
    }
    return total;
}

// Moves table colours that were given nothing, and adds colours up to
// limit, onto the entries (n from `first`) shown worst. The new count;
// *pbChanged whether any colour was placed.
DWORD CPaletteRefiner::Reseed(DWORD first, DWORD n, DWORD limit, DWORD colours[256], DWORD count, bool* pbChanged)
{
    DWORD slots[256];
    DWORD nSlots = 0;
    for (DWORD j = 0; j < count; ++j)
        if (m_weights[j] == 0)
            slots[nSlots++] = j;
    for (DWORD j = count; j < limit; ++j)
        slots[nSlots++] = j;
    DWORD nFilled = 0;
    for (; nFilled < nSlots; ++nFilled) {
        DWORD worst = 0;
        float worstError = 0;
        for (DWORD k = first; k < first + n; ++k)
            if (m_pErrors[k] > worstError) {
                worstError = m_pErrors[k];
                worst = k;
            }
        if (worstError == 0)
            break;
        colours[slots[nFilled]] = m_pEntries[worst].colour;
        m_pErrors[worst] = 0;
    }
    *pbChanged = nFilled > 0;
    if (nFilled == nSlots)
        return limit > count ? limit : count;
    // Every colour is shown exactly: the colours given nothing go, the
    // others keep their order, and the added ones follow.
    bool keep[256] = {};
    for (DWORD j = 0; j < count; ++j)
        keep[j] = true;
    for (DWORD i = 0; i < nSlots; ++i)
        keep[slots[i]] = i < nFilled;
    DWORD kept = 0;
    for (DWORD j = 0; j < limit; ++j)
        if (keep[j])
            colours[kept++] = colours[j];
    return kept;
}

// Rounds over n entries from `first` until one gains less than kMinGain,
// at most kMaxRounds.
void CPaletteRefiner::Rounds(DWORD first, DWORD n, DWORD limit, DWORD colours[256], DWORD* pnCount)
{
    DWORD count = *pnCount;
    double previous = 0;
    for (DWORD round = 0; round < kMaxRounds; ++round) {
        const double error = Assign(first, n, colours, count);
        ++m_nRounds;
        bool free = count < limit;
        for (DWORD j = 0; j < count; ++j)
            if (m_weights[j] > 0) {
                const double w = m_weights[j];
                colours[j] = Rgb(ClampLevel(static_cast<int>(m_sums[j][0] / w + 0.5)),
                                 ClampLevel(static_cast<int>(m_sums[j][1] / w + 0.5)),
                                 ClampLevel(static_cast<int>(m_sums[j][2] / w + 0.5)));
            } else {
                free = true;
            }
        bool changed = false;
        if (free)
            count = Reseed(first, n, limit, colours, count, &changed);
        if (!changed && round > 0 && error >= previous * (1 - kMinGain))
            break;
        previous = error;
    }
    *pnCount = count;
}

bool CPaletteRefiner::Refine(const CColourHistogram& histogram, DWORD limit, DWORD colours[256], DWORD* pnCount)
{
    if (!Reserve())
        return false;
    Load(histogram);
    m_nRounds = 0;
    if (m_nEntries >= kFoldFrom) {
        Fold();
        ::memset(m_pNearest.Get() + m_nEntries, 0xFF, m_nFolded);
        Rounds(m_nEntries, m_nFolded, limit, colours, pnCount);
    } else {
        ::memset(m_pNearest.Get(), 0xFF, m_nEntries);
        Rounds(0, m_nEntries, limit, colours, pnCount);
    }
    return true;
}
