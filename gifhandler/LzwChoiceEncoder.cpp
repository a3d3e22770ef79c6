// LZW with choices.
//
// Design. LZW writes the longest string of the table that the pixels ahead
// match, then starts again. Where a pixel may be written as more than one
// index, the encoder extends the current string with whichever of them the
// table has a string for, so that strings grow longer than the exact pixels
// would let them:
//  * a still pixel (it shows what the screen shows) may be transparent or
//    keep its colour. Inside the rectangle of change that makes long runs of
//    the transparent index where the picture stays, and leaves the picture's
//    own patterns where a still pixel sits among changed ones. The choice
//    that continues the way the previous pixel went is tried first;
//  * with lossy compression a pixel that is not still and not of the key
//    colour may take a colour of the table close to its own, nearest first,
//    never the transparent index. The difference made is carried to the next
//    pixel of the row (three quarters of it), and a colour is taken only
//    while the colour wanted, with what is carried, stays within the reach
//    of the lossiness: errors do not add up along a run, and a run of one
//    colour passes through a gentle gradient as through a flat area.
// The pixel's own index is always tried first; where no choice continues the
// string, the string is written and the next one starts with the pixel's own
// index (a still pixel: the transparent one, unless its colour continues a run).
// The table, its periods and the code widths are those of the exact encoder
// (LzwWorkspace.h), so the bytes follow the same rules.
#include "LzwChoiceEncoder.h"

#include "LzwWorkspace.h"

#include <stdlib.h>

namespace {

using namespace lzw;

const DWORD kNearest = 12;          // choices a lossy pixel has, at most
const DWORD kNoString = 0xFFFF;     // before the first pixel; no choice made

// Squared weighted distance between two colours: green counts most, as the
// eye sees it; about the square of a channel's difference for a grey step.
inline int Distance2(int dr, int dg, int db)
{
    return (2 * dr * dr + 4 * dg * dg + 3 * db * db) / 9;
}

// For every index, the indices of the colours within reach, nearest first.
struct NearColours
{
    BYTE list[256][kNearest];
    BYTE length[256];
    int reach2;

    explicit NearColours(const LzwChoices& c)
    {
        ::ZeroMemory(length, sizeof length);
        const int reach = static_cast<int>(LzwLossyReach(c.lossiness));
        reach2 = reach * reach;
        if (c.lossiness == 0 || c.colours == nullptr)
            return;
        const DWORD count = c.count > 256 ? 256 : c.count;
        for (DWORD v = 0; v < count; ++v) {
            if (static_cast<int>(v) == c.keyIndex || static_cast<int>(v) == c.stillIndex)
                continue;
            int found[kNearest];
            DWORD n = 0;
            for (DWORD i = 0; i < count; ++i) {
                if (i == v || static_cast<int>(i) == c.keyIndex || static_cast<int>(i) == c.stillIndex)
                    continue;
                const int d = Distance2(c.colours[i].rgbRed - c.colours[v].rgbRed,
                                        c.colours[i].rgbGreen - c.colours[v].rgbGreen,
                                        c.colours[i].rgbBlue - c.colours[v].rgbBlue);
                if (d > reach2)
                    continue;
                // Insertion into the kNearest nearest so far.
                DWORD at = n < kNearest ? n++ : kNearest;
                while (at > 0 && found[at - 1] > d) {
                    if (at < kNearest) {
                        found[at] = found[at - 1];
                        list[v][at] = list[v][at - 1];
                    }
                    --at;
                }
                if (at < kNearest) {
                    found[at] = d;
                    list[v][at] = static_cast<BYTE>(i);
                }
            }
            length[v] = static_cast<BYTE>(n);
        }
    }
};

// The state of one row's lossy choices: the difference carried along it.
struct Carried
{
    int r, g, b;
};

class ChoiceEncoder
{
public:
    ChoiceEncoder(const LzwChoices& choices, Workspace* work, SubBlockPacker& packer, const CodeSet& codes)
        : m_choices(choices), m_near(choices), m_work(work), m_packer(packer), m_codes(codes),
          m_nextCode(codes.firstFree)
    {
    }

    void Encode(DWORD width, DWORD height, const BYTE* pixels)
    {
        const BYTE* still = m_choices.still;
        const DWORD stillIndex = static_cast<DWORD>(m_choices.stillIndex);   // matches no index when -1
        const bool bTransparent = m_choices.stillIndex >= 0;
        DWORD prefix = kNoString;
        DWORD last = kNoString;         // the index the previous pixel was written as
        for (DWORD y = 0; y < height && !m_packer.Failed(); ++y) {
            Carried carried = { 0, 0, 0 };
            const SIZE_T rowStart = static_cast<SIZE_T>(y) * width;
            for (DWORD x = 0; x < width; ++x) {
                const SIZE_T at = rowStart + x;
                const DWORD own = pixels[at];
                const bool bStill = still != nullptr && still[at] != 0;
                DWORD chosen = kNoString;
                if (prefix != kNoString) {
                    if (bStill && bTransparent) {
                        // The way the previous pixel went first.
                        const DWORD first = last == stillIndex ? stillIndex : own;
                        const DWORD second = first == own ? stillIndex : own;
                        chosen = Extend(prefix, first) ? first : Extend(prefix, second) ? second : kNoString;
                    } else if (Extend(prefix, own)) {
                        chosen = own;
                    } else if (!bStill && m_near.length[own] != 0) {
                        chosen = ExtendNear(prefix, own, carried);
                    }
                }
                if (chosen == kNoString) {
                    // The string ends; the next one starts with this pixel.
                    chosen = bStill && bTransparent && own != last ? stillIndex : own;
                    if (prefix != kNoString)
                        AddString(prefix, chosen, at);
                    prefix = chosen;
                }
                if (chosen == own)
                    Fade(carried);
                last = chosen;
            }
        }
        if (!m_packer.Failed()) {
            if (!m_timer.Frozen())
                PutPeriod(m_packer, m_work, m_codes, m_nextCode);
            m_packer.Put(prefix, WidthBefore(m_nextCode, m_codes.minimum));
            m_packer.Put(m_codes.end, WidthBefore(m_nextCode, m_codes.minimum));
        }
    }

private:
    // Moves prefix to the string of prefix followed by index, when the table has it.
    bool Extend(DWORD& prefix, DWORD index)
    {
        const DWORD found = m_work->child[index * kChildRow + prefix];
        if (m_work->made[found] != (m_work->period | (index << 12) | prefix))
            return false;
        prefix = found;
        return true;
    }

    // The nearest colour within reach whose string the table has, with the
    // difference carried on; kNoString when none.
    DWORD ExtendNear(DWORD& prefix, DWORD own, Carried& carried)
    {
        const RGBQUAD* colours = m_choices.colours;
        const int r = colours[own].rgbRed + carried.r, g = colours[own].rgbGreen + carried.g,
                  b = colours[own].rgbBlue + carried.b;
        for (DWORD i = 0; i < m_near.length[own]; ++i) {
            const DWORD c = m_near.list[own][i];
            const int dr = r - colours[c].rgbRed, dg = g - colours[c].rgbGreen, db = b - colours[c].rgbBlue;
            if (Distance2(dr, dg, db) > m_near.reach2)
                continue;
            if (Extend(prefix, c)) {
                carried.r = dr * 3 / 4;
                carried.g = dg * 3 / 4;
                carried.b = db * 3 / 4;
                return c;
            }
        }
        return kNoString;
    }

    // After a pixel written as its own colour, what was carried fades.
    static void Fade(Carried& carried)
    {
        carried.r = carried.r * 3 / 4;
        carried.g = carried.g * 3 / 4;
        carried.b = carried.b * 3 / 4;
    }

    // The string prefix + index gets the next code (its prefix is written
    // when the period ends), or the table is full: it starts again, or with
    // the deferred Clear goes on as it is while it packs well. pos is the
    // pixel after the string.
    void AddString(DWORD prefix, DWORD index, ULONGLONG pos)
    {
        if (m_nextCode == kMaxCodeLimit && !m_choices.deferClear) {
            EndPeriod(m_packer, m_work, m_codes, prefix);
            m_nextCode = m_codes.firstFree;
            return;
        }
        if (m_nextCode == kMaxCodeLimit) {
            if (PutWithFullTable(m_packer, m_work, m_codes, m_timer, prefix, pos))
                m_nextCode = m_codes.firstFree;
            return;
        }
        const DWORD record = m_work->period | (index << 12) | prefix;
        m_work->child[index * kChildRow + prefix] = static_cast<WORD>(m_nextCode);
        m_work->made[m_nextCode] = record;
        ++m_nextCode;
    }

    const LzwChoices& m_choices;
    NearColours m_near;
    Workspace* m_work;
    SubBlockPacker& m_packer;
    const CodeSet& m_codes;
    DWORD m_nextCode;
    ClearTimer m_timer;
};

} // namespace

DWORD LzwLossyReach(DWORD lossiness)
{
    return lossiness > 200 ? 60 : (lossiness * 3 + 5) / 10;
}

bool LzwEncodeChoices(ByteSink& sink, DWORD width, DWORD height, const BYTE* pixels, DWORD minCodeSize,
                      const LzwChoices& choices)
{
    if (minCodeSize < 2 || minCodeSize > 8 || width == 0 || height == 0 || pixels == nullptr)
        return false;
    const CodeSet codes(minCodeSize);
    Workspace* const work = TakeWorkspace();
    if (work == nullptr)
        return false;
    bool ok = false;
    {
        SubBlockPacker packer(sink, work->output, minCodeSize);
        ResetTable(work);
        packer.Put(codes.clear, minCodeSize + 1);
        ChoiceEncoder encoder(choices, work, packer, codes);
        encoder.Encode(width, height, pixels);
        ok = !packer.Failed() && packer.Finish();
    }
    GiveBackWorkspace(work);
    return ok;
}
