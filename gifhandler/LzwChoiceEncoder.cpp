// LZW with choices.
//
// Design. LZW writes the longest string of the table that the pixels ahead
// match, then starts again. Where a pixel may be written as more than one
// index, more strings of the table match, and the encoder looks for the
// longest of them:
//  * a still pixel (it shows what the screen shows) may be transparent or
//    keep its colour. Inside the rectangle of change that makes long runs of
//    the transparent index where the picture stays, and leaves the picture's
//    own patterns where a still pixel sits among changed ones;
//  * with lossy compression a pixel that is not still and not of the key
//    colour may take a colour of the table close to its own, never the
//    transparent index or the key colour. How close depends on the pixel's
//    neighbours: where the picture is busy a difference hides among the
//    others and the whole reach of the lossiness is allowed; where it is
//    smooth (a gradient, a sky) a small part of it, since a difference shows
//    there as a blotch. Each pixel's difference stands alone: none is carried
//    to the next, which would add a grain of its own.
// The search. From each string's first pixel the table is a tree: a string's
// children are the strings one pixel longer. The encoder walks it depth
// first, into every child whose last pixel the pixel at that depth may be
// written as, and keeps the string that reaches furthest (of equal ones, the
// one of the least difference). Every node of the tree is met at most once
// a search (its depth fixes the pixel it is compared with), so a search costs
// at most the table's size, and a budget stops it sooner on pictures where
// nearly every colour is within reach. The first pixel of a string may take
// its choices too: each is searched, with the string that ends before it
// and this pixel added to the table as the decoder will add it.
// Without lossiness the still pixels' two choices are looked up directly;
// with it each string's children are listed (first child, next sibling).
// The table, its periods and the code widths are those of the exact encoder
// (LzwWorkspace.h), so the bytes follow the same rules.
#include "LzwChoiceEncoder.h"

#include "HeapArray.h"
#include "LzwWorkspace.h"

#include <math.h>
#include <new>

namespace {

using namespace lzw;

const DWORD kNoCode = 0xFFFF;
// Nodes a search tries before it settles for the longest string found.
const DWORD kSearchBudget = 6000;
// First pixels a lossy string may start with: its own colour and the
// nearest ones within reach.
const DWORD kFirstChoices = 32;

// How busy the picture around a pixel must be (the mean weighted distance
// to its neighbours) for the whole reach to be allowed; the reach grows in
// step with it from a sixth where the picture is flat (kSmoothPart of
// kSmoothPart + kBusyFull), and up to half as much again where busier.
// Chosen on photographs and screen captures by the mean SSIM of the frames
// at a size.
const double kSmoothPart = 4;
const double kBusyFull = 20;
const double kBusiestShare = 1.5;

// Squared weighted distance between two colours: green counts most, as the
// eye sees it; about the square of a channel's difference for a grey step.
inline int Distance2(const RGBQUAD& a, const RGBQUAD& b)
{
    const int dr = a.rgbRed - b.rgbRed, dg = a.rgbGreen - b.rgbGreen, db = a.rgbBlue - b.rgbBlue;
    return (2 * dr * dr + 4 * dg * dg + 3 * db * db) / 9;
}

// A string the search found: the pixel after it, its code and the sum of
// the differences it made.
struct Found
{
    SIZE_T end;
    DWORD code;
    int error;
};

inline bool Better(const Found& a, const Found& b)
{
    return a.end > b.end || (a.end == b.end && a.error < b.error);
}

// One step of the walk: a string, where among its children the walk is,
// and the difference so far.
struct Step
{
    DWORD node;
    DWORD next;             // the next child to try (a code, or with direct lookups a choice's number)
    int error;
};

// The encoder's own memory beside the workspace: the tree's lists and the
// walk's steps (a string is at most as long as the table has codes).
struct SearchSpace
{
    WORD first[kMaxCodeLimit];      // a string's first child, 0 = none
    WORD sibling[kMaxCodeLimit];    // the next child of the same string, 0 = none
    WORD height[kMaxCodeLimit];     // at least the pixels the longest string below a string adds
    Step steps[kMaxCodeLimit + 1];
};

// For each pixel, the squared difference its colour may take: the reach of
// the lossiness where the picture is busy around it, less where it is
// smooth. Busy is measured as the mean distance to the four neighbours.
bool PixelReaches(const LzwChoices& c, DWORD width, DWORD height, const BYTE* pixels, CHeapArray<int>& reach2)
{
    const SIZE_T n = static_cast<SIZE_T>(width) * height;
    if (!reach2.Reserve(n))
        return false;
    const double reach = LzwLossyReach(c.lossiness);
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            const SIZE_T i = static_cast<SIZE_T>(y) * width + x;
            const RGBQUAD& colour = c.colours[pixels[i]];
            double sum = 0;
            int count = 0;
            const bool has[4] = { x > 0, x + 1 < width, y > 0, y + 1 < height };
            const SIZE_T at[4] = { i - 1, i + 1, i - width, i + width };
            for (int k = 0; k < 4; ++k)
                if (has[k]) {
                    sum += ::sqrt(static_cast<double>(Distance2(colour, c.colours[pixels[at[k]]])));
                    ++count;
                }
            const double busy = count != 0 ? sum / count : 0;
            double r = reach * (busy + kSmoothPart) / (kSmoothPart + kBusyFull);
            if (r > reach * kBusiestShare)
                r = reach * kBusiestShare;
            reach2.Get()[i] = static_cast<int>(r * r);
        }
    return true;
}

class ChoiceEncoder
{
public:
    ChoiceEncoder(const LzwChoices& choices, Workspace* work, SearchSpace* space, SubBlockPacker& packer,
                  const CodeSet& codes, SIZE_T nPixels, const BYTE* pixels, const int* reach2)
        : m_choices(choices), m_work(work), m_space(space), m_packer(packer), m_codes(codes),
          m_nextCode(codes.firstFree), m_nPixels(nPixels), m_pixels(pixels), m_reach2(reach2),
          m_still(choices.still), m_stillIndex(choices.stillIndex >= 0 ? static_cast<DWORD>(choices.stillIndex) : kNoCode),
          m_keyIndex(choices.keyIndex >= 0 ? static_cast<DWORD>(choices.keyIndex) : kNoCode),
          m_bLossy(reach2 != nullptr), m_nColours(choices.count > 256 ? 256 : choices.count)
    {
        ResetTree();
    }

    void Encode()
    {
        SIZE_T pos = 0;
        DWORD prev = kNoCode;
        while (pos < m_nPixels && !m_packer.Failed()) {
            bool bAdd = prev != kNoCode;
            if (bAdd && m_nextCode == kMaxCodeLimit) {
                TableFull(prev, pos);
                bAdd = false;
            }
            DWORD firsts[kFirstChoices];
            const DWORD nFirsts = FirstChoices(pos, firsts);
            Found best = { 0, kNoCode, 0 };
            DWORD bestFirst = firsts[0];
            for (DWORD i = 0; i < nFirsts; ++i) {
                int error = 0;
                Accept(pos, firsts[i], error);
                if (bAdd)
                    AddString(prev, firsts[i]);
                const Found found = Search(firsts[i], pos, error, i == 0 ? 0 : best.end);
                if (bAdd)
                    TakeBackString(prev);
                if (i == 0 || Better(found, best)) {
                    best = found;
                    bestFirst = firsts[i];
                }
            }
            if (bAdd)
                AddString(prev, bestFirst);
            prev = best.code;
            pos = best.end;
        }
        if (!m_packer.Failed()) {
            if (!m_timer.Frozen())
                PutPeriod(m_packer, m_work, m_codes, m_nextCode);
            m_packer.Put(prev, WidthBefore(m_nextCode, m_codes.minimum));
            m_packer.Put(m_codes.end, WidthBefore(m_nextCode, m_codes.minimum));
        }
    }

private:
    // Whether the pixel at pos may be written as index, and the difference made.
    bool Accept(SIZE_T pos, DWORD index, int& error) const
    {
        const DWORD own = m_pixels[pos];
        error = 0;
        if (index == own)
            return true;
        if (m_still != nullptr && m_still[pos] != 0)
            return index == m_stillIndex;
        if (!m_bLossy || own == m_keyIndex || index == m_keyIndex || index == m_stillIndex || index >= m_nColours)
            return false;
        error = Distance2(m_choices.colours[own], m_choices.colours[index]);
        return error <= m_reach2[pos];
    }

    // The indices a string starting at pos may start with: a still pixel
    // transparent first, then its own; any other pixel its own, then with
    // lossiness the nearest colours within reach.
    DWORD FirstChoices(SIZE_T pos, DWORD* firsts) const
    {
        const DWORD own = m_pixels[pos];
        if (m_still != nullptr && m_still[pos] != 0) {
            if (m_stillIndex == kNoCode || m_stillIndex == own) {
                firsts[0] = own;
                return 1;
            }
            firsts[0] = m_stillIndex;
            firsts[1] = own;
            return 2;
        }
        DWORD n = 0;
        firsts[n++] = own;
        if (!m_bLossy)
            return n;
        // The nearest colours within reach, by insertion after the own one.
        int distance[kFirstChoices];
        for (DWORD c = 0; c < m_nColours; ++c) {
            int d = 0;
            if (c == own || !Accept(pos, c, d))
                continue;
            DWORD at = n < kFirstChoices ? n++ : kFirstChoices;
            while (at > 1 && distance[at - 1] > d) {
                if (at < kFirstChoices) {
                    distance[at] = distance[at - 1];
                    firsts[at] = firsts[at - 1];
                }
                --at;
            }
            if (at < kFirstChoices) {
                distance[at] = d;
                firsts[at] = c;
            }
        }
        return n;
    }

    // The longest string from the one-pixel string `first` at pos, depth
    // first; strings that cannot reach `beat` (the end of one found from
    // another first pixel) are not walked.
    Found Search(DWORD first, SIZE_T pos, int error, SIZE_T beat)
    {
        Found best = { pos + 1, first, error };
        Step* const steps = m_space->steps;
        DWORD depth = 0;
        steps[0] = Step{ first, m_bLossy ? DWORD(m_space->first[first]) : 0u, error };
        for (DWORD budget = kSearchBudget; budget != 0;) {
            Step& step = steps[depth];
            const SIZE_T at = pos + depth + 1;     // the pixel a child of this step ends with
            DWORD child = kNoCode;
            if (at < m_nPixels && !Hopeless(at + m_space->height[step.node], best.end > beat ? best.end : beat))
                child = m_bLossy ? NextListed(step) : NextDirect(step, at);
            if (child == kNoCode) {
                if (depth == 0)
                    break;
                --depth;
                continue;
            }
            --budget;
            int d = 0;
            if (!Accept(at, Suffix(child), d))
                continue;
            const Found found = { at + 1, child, step.error + d };
            if (Better(found, best))
                best = found;
            ++depth;
            steps[depth] = Step{ child, m_bLossy ? DWORD(m_space->first[child]) : 0u, found.error };
        }
        return best;
    }

    // Whether strings that end at most at `reach` cannot be better than one
    // that ends at `end` (of equal length, a lossy one may differ less).
    bool Hopeless(SIZE_T reach, SIZE_T end) const
    {
        return m_bLossy ? reach < end : reach <= end;
    }

    // The next child from the step's list, or kNoCode.
    DWORD NextListed(Step& step) const
    {
        const DWORD child = step.next;
        if (child == 0)
            return kNoCode;
        step.next = m_space->sibling[child];
        return child;
    }

    // Without lossiness a pixel has at most two ways to be written: the
    // next of them whose string the table has, or kNoCode. A still pixel
    // tries first the way the string went (transparent after transparent,
    // else its own colour), so that of equal strings the one that keeps to
    // its kind is kept.
    DWORD NextDirect(Step& step, SIZE_T at) const
    {
        const DWORD own = m_pixels[at];
        const bool bTwo = m_still != nullptr && m_still[at] != 0 && m_stillIndex != kNoCode && m_stillIndex != own;
        const bool bStillFirst = bTwo && LastIndex(step.node) == m_stillIndex;
        while (step.next < (bTwo ? 2u : 1u)) {
            const DWORD index = (step.next == 0) != bStillFirst ? own : m_stillIndex;
            ++step.next;
            const DWORD found = m_work->child[index * kChildRow + step.node];
            if (m_work->made[found] == (m_work->period | (index << 12) | step.node))
                return found;
        }
        return kNoCode;
    }

    // The last pixel of a string.
    DWORD LastIndex(DWORD code) const
    {
        return code < m_codes.clear ? code : Suffix(code);
    }

    DWORD Suffix(DWORD code) const
    {
        return (m_work->made[code] >> 12) & 0xFF;
    }

    void ResetTree()
    {
        ::ZeroMemory(m_space->first, sizeof m_space->first);
        ::ZeroMemory(m_space->height, sizeof m_space->height);
    }

    // The string prefix + index gets the next code (its prefix is written
    // when the period ends). The table has room.
    void AddString(DWORD prefix, DWORD index)
    {
        const DWORD code = m_nextCode++;
        m_work->child[index * kChildRow + prefix] = static_cast<WORD>(code);
        m_work->made[code] = m_work->period | (index << 12) | prefix;
        m_space->first[code] = 0;
        m_space->sibling[code] = m_space->first[prefix];
        m_space->first[prefix] = static_cast<WORD>(code);
        // The strings the new one extends reach further now. A string
        // taken back leaves its heights: more than the truth only walks more.
        m_space->height[code] = 0;
        WORD reach = 1;
        for (DWORD node = prefix; m_space->height[node] < reach; ++reach) {
            m_space->height[node] = reach;
            if (node < m_codes.firstFree)
                break;
            node = m_work->made[node] & 0xFFF;
        }
    }

    // Undoes the last AddString, made for a first pixel that was only tried.
    void TakeBackString(DWORD prefix)
    {
        const DWORD code = --m_nextCode;
        m_space->first[prefix] = m_space->sibling[code];
        m_work->made[code] = 0;
    }

    // The string prefix ends with the table full: it starts again, or with
    // the deferred Clear goes on as it is while it packs well. pos is the
    // pixel after the string.
    void TableFull(DWORD prefix, ULONGLONG pos)
    {
        if (!m_choices.deferClear) {
            EndPeriod(m_packer, m_work, m_codes, prefix);
            m_nextCode = m_codes.firstFree;
            ResetTree();
        } else if (PutWithFullTable(m_packer, m_work, m_codes, m_timer, prefix, pos)) {
            m_nextCode = m_codes.firstFree;
            ResetTree();
        }
    }

    const LzwChoices& m_choices;
    Workspace* m_work;
    SearchSpace* m_space;
    SubBlockPacker& m_packer;
    const CodeSet& m_codes;
    DWORD m_nextCode;
    ClearTimer m_timer;
    const SIZE_T m_nPixels;
    const BYTE* const m_pixels;
    const int* const m_reach2;      // per pixel; null without lossiness
    const BYTE* const m_still;
    const DWORD m_stillIndex;       // kNoCode: none
    const DWORD m_keyIndex;         // kNoCode: none
    const bool m_bLossy;
    const DWORD m_nColours;
};

} // namespace

DWORD LzwLossyReach(DWORD lossiness)
{
    // Seven tenths a level at first, for fine steps on sharp pictures (text,
    // drawings), then slower, so that each level costs about as much picture
    // as the same level of other lossy GIF encoders.
    const double level = lossiness > 200 ? 200 : lossiness;
    const double curve = 4.0 + 2.8 * ::sqrt(level);
    const double linear = 0.7 * level;
    return static_cast<DWORD>((linear < curve ? linear : curve) + 0.5);
}

bool LzwEncodeChoices(ByteSink& sink, DWORD width, DWORD height, const BYTE* pixels, DWORD minCodeSize,
                      const LzwChoices& choices)
{
    if (minCodeSize < 2 || minCodeSize > 8 || width == 0 || height == 0 || pixels == nullptr)
        return false;
    const bool bLossy = choices.lossiness != 0 && choices.colours != nullptr && choices.count != 0;
    CHeapArray<int> reach2;
    if (bLossy && !PixelReaches(choices, width, height, pixels, reach2))
        return false;
    const CodeSet codes(minCodeSize);
    SearchSpace* const space = new (std::nothrow) SearchSpace;
    if (space == nullptr)
        return false;
    Workspace* const work = TakeWorkspace();
    bool ok = false;
    if (work != nullptr) {
        SubBlockPacker packer(sink, work->output, minCodeSize);
        ResetTable(work);
        packer.Put(codes.clear, minCodeSize + 1);
        ChoiceEncoder encoder(choices, work, space, packer, codes, static_cast<SIZE_T>(width) * height, pixels,
                              bLossy ? reach2.Get() : nullptr);
        encoder.Encode();
        ok = !packer.Failed() && packer.Finish();
        GiveBackWorkspace(work);
    }
    delete space;
    return ok;
}
