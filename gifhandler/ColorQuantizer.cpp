// Reduction of a true-colour frame to a GIF's 256-colour image.
//
// Design. A frame's colours are counted exactly first: an open-addressed
// table of (colour, count) pairs, at most half full. Up to 256 colours, the
// table is the frame's own colours in order of first appearance and nothing
// is lost. Above that the colours are reduced by variance-minimising box
// cuts, then one pass of k-means:
//
//  * The counted colours are summed into a 32x32x32 grid of moments (count,
//    channel sums, squared norms), kept as running sums along all three axes
//    so that the moments of any box of cells take eight lookups. Cutting then
//    costs the same for 300 colours as for 300,000: a first version that cut
//    the list of distinct colours itself spent most of a noisy frame's time
//    scanning the same large boxes again and again.
//  * The box with the largest squared error is cut next, on the axis and at
//    the place that leave the two halves the smallest total error. Cutting by
//    error rather than by pixel count or volume spends the table on what the
//    eye sees most: large areas and wide spreads, not scattered outliers.
//  * The k-means pass moves each colour to the mean of the grid cells nearest
//    to it, which takes off the boxes' straight edges (as coarse as the
//    grid): a few percent less error on the test pictures, for little time.
//  * Every distinct colour then gets its nearest table colour, exactly. The
//    search sorts the table by green and walks outwards from the input's
//    green, stopping on each side once the green difference alone exceeds the
//    best distance.
//  * The exact table's memory grows with the frame but is capped at 2^17
//    colours (2.5 MiB with its list). A frame with more distinct colours is
//    counted again with one bit less per channel, until it fits; at five bits
//    per channel it always does. Only very noisy large frames get there.
//  * With a previous frame, new colours within a few levels of an old one
//    become the old one, so that still areas can be shown as before.
//  * A key colour (the one that becomes transparent) is left out of the
//    grid and gets an entry of its own after the cut ones, which the
//    nearest-colour search and the ditherer never see: its pixels take that
//    entry and no other pixel can. No other entry may hold the key colour
//    either, or its pixels would look transparent to whoever finds the
//    entry by its colour: such an entry moves one level.
//
// Dithering is Floyd-Steinberg, serpentine, error in sixteenths. It applies
// only where it helps: a pixel whose colour is in the table takes it and
// neither receives nor passes error, so areas of a colour the table has stay
// flat even beside dithered ones, and so does a pixel unchanged from the
// previous frame (the still parts of an animation must not shimmer).
// Dithered targets find their colour through a lazily filled map of 6-6-6
// cells (the nearest colour to the cell's centre): the diffused error makes up
// for the cell's width, and most targets hit a cell already filled.
//
// The counting table, the dithering rows and the cell map are one block from
// the global heap, sized by the frame; the grid (840 KiB) a second one, taken
// only for frames that need reducing. Both are freed before returning.
// Floating point is used only for the squared norms; for one build it is as
// repeatable as the integers.
#include "ColorQuantizer.h"

#include <string.h>

namespace {

const DWORD kUsed = 0x01000000;             // marks a filled slot; colours are 24-bit
const DWORD kMaxExactColours = 1u << 17;
const DWORD kCellMapSize = 1u << 18;        // 6-6-6 cells for dithered targets
const int kNoIndex = -1;

struct Slot
{
    DWORD key;          // colour | kUsed, 0 when empty
    DWORD value;        // pixel count, then the colour's table index
};

inline DWORD Red(DWORD c) { return (c >> 16) & 0xFF; }
inline DWORD Green(DWORD c) { return (c >> 8) & 0xFF; }
inline DWORD Blue(DWORD c) { return c & 0xFF; }
inline DWORD Channel(DWORD c, int axis) { return (c >> (16 - 8 * axis)) & 0xFF; }
inline DWORD Rgb(DWORD r, DWORD g, DWORD b) { return r << 16 | g << 8 | b; }

inline DWORD Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<DWORD>(v); }
inline DWORD RoundMean(double sum, double n) { return Clamp(static_cast<int>(sum / n + 0.5)); }

// A table of distinct colours, exact or with the low bits of each channel
// dropped: the key of a pixel is its colour with `mask` applied.
class ColourCount
{
public:
    ColourCount(Slot* slots, DWORD slotBits, DWORD* list, DWORD limit)
        : m_slots(slots), m_bits(slotBits), m_list(list), m_limit(limit), m_size(0),
          m_mask(0), m_half(0) {}

    // Counts the frame's colours at `dropBits` fewer bits per channel; false
    // when more than the limit are found.
    bool Count(const DWORD* pixels, DWORD n, DWORD dropBits)
    {
        const DWORD keep = (0xFFu << dropBits) & 0xFF;
        m_mask = Rgb(keep, keep, keep);
        const DWORD half = (1u << dropBits) >> 1;
        m_half = Rgb(half, half, half);
        ::memset(m_slots, 0, sizeof(Slot) << m_bits);
        m_size = 0;
        DWORD last = ~0u;
        Slot* lastSlot = nullptr;
        for (DWORD i = 0; i < n; ++i) {
            const DWORD key = (pixels[i] & m_mask) | kUsed;
            if (key == last) {              // runs are common: skip the hashing
                ++lastSlot->value;
                continue;
            }
            Slot* s = Find(key);
            if (s->key == 0) {
                if (m_size == m_limit)
                    return false;
                s->key = key;
                m_list[m_size++] = static_cast<DWORD>(s - m_slots);
            }
            ++s->value;
            last = key;
            lastSlot = s;
        }
        return true;
    }

    DWORD Size() const { return m_size; }
    DWORD* List() const { return m_list; }
    Slot& At(DWORD position) const { return m_slots[position]; }
    // The colour standing for every pixel counted in a slot: the centre of
    // the dropped bits' range.
    DWORD ColourOf(const Slot& s) const { return (s.key & 0xFFFFFF) | m_half; }
    Slot* Lookup(DWORD pixel) const { return Find((pixel & m_mask) | kUsed); }
    bool Exact() const { return m_mask == 0xFFFFFF; }

private:
    Slot* Find(DWORD key) const
    {
        const DWORD mask = (1u << m_bits) - 1;
        DWORD i = (key * 0x9E3779B1u) >> (32 - m_bits);
        while (m_slots[i].key != 0 && m_slots[i].key != key)
            i = (i + 1) & mask;
        return &m_slots[i];
    }

    Slot* m_slots;
    DWORD m_bits;       // log2 of the slot count
    DWORD* m_list;      // positions of the filled slots, in order of first appearance
    DWORD m_limit;      // most colours held, at most half the slots
    DWORD m_size;
    DWORD m_mask;
    DWORD m_half;
};

// Nearest table colour by squared distance, searched from the table sorted
// by green.
class NearestColour
{
public:
    void Build(const DWORD* colours, DWORD count)
    {
        m_count = count;
        for (DWORD i = 0; i < count; ++i)       // insertion sort by green, then index
        {
            DWORD j = i;
            for (; j > 0 && Green(m_sorted[j - 1].colour) > Green(colours[i]); --j)
                m_sorted[j] = m_sorted[j - 1];
            m_sorted[j].colour = colours[i];
            m_sorted[j].index = i;
        }
        DWORD pos = 0;
        for (DWORD g = 0; g < 256; ++g) {
            while (pos < count && Green(m_sorted[pos].colour) < g)
                ++pos;
            m_start[g] = pos;
        }
    }

    DWORD Find(DWORD colour) const
    {
        const int r = Red(colour), g = Green(colour), b = Blue(colour);
        int best = 0x7FFFFFFF;
        DWORD bestIndex = 0;
        int up = static_cast<int>(m_start[g]), down = up - 1;
        const int count = static_cast<int>(m_count);
        while (up < count || down >= 0) {
            if (up < count) {
                const Entry& e = m_sorted[up++];
                const int dg = static_cast<int>(Green(e.colour)) - g;
                if (dg * dg >= best)
                    up = count;
                else
                    Consider(e, r, dg, b, &best, &bestIndex);
            }
            if (down >= 0) {
                const Entry& e = m_sorted[down--];
                const int dg = static_cast<int>(Green(e.colour)) - g;
                if (dg * dg >= best)
                    down = -1;
                else
                    Consider(e, r, dg, b, &best, &bestIndex);
            }
        }
        return bestIndex;
    }

private:
    struct Entry { DWORD colour; DWORD index; };

    static void Consider(const Entry& e, int r, int dg, int b, int* best, DWORD* bestIndex)
    {
        const int dr = static_cast<int>(Red(e.colour)) - r;
        const int db = static_cast<int>(Blue(e.colour)) - b;
        const int d = dr * dr + dg * dg + db * db;
        // Ties go to the lower index, whichever side found it first.
        if (d < *best || (d == *best && e.index < *bestIndex)) {
            *best = d;
            *bestIndex = e.index;
        }
    }

    Entry m_sorted[256];
    DWORD m_start[256];     // first sorted entry with at least this green
    DWORD m_count;
};

// Pixel weight and sums of a set of colours. Counts and channel sums stay
// below 2^32 for frames of kMaxQuantizePixels, so the unsigned wrap-around of
// the differences taken in Grid::Sum cancels out; squared norms are doubles,
// exact for every integer a frame can sum to.
struct Moments
{
    DWORD n, r, g, b;
    double norms;       // sum of the squared lengths of the colours

    void Clear() { n = r = g = b = 0; norms = 0; }
    void Add(const Moments& m) { n += m.n; r += m.r; g += m.g; b += m.b; norms += m.norms; }
    void Subtract(const Moments& m) { n -= m.n; r -= m.r; g -= m.g; b -= m.b; norms -= m.norms; }
    void AddColour(DWORD c, DWORD count)
    {
        const DWORD cr = Red(c), cg = Green(c), cb = Blue(c);
        n += count;
        r += count * cr;
        g += count * cg;
        b += count * cb;
        norms += static_cast<double>(count) * (cr * cr + cg * cg + cb * cb);
    }
    // n times the squared length of the mean: the part of the squared norms
    // that the mean accounts for.
    double Explained() const
    {
        const double dr = r, dg = g, db = b;
        return (dr * dr + dg * dg + db * db) / n;
    }
    DWORD Mean() const
    {
        return Rgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
    }
};

const int kGridSide = 33;               // 32 levels a channel, plus a zero plane
const int kGridCells = kGridSide * kGridSide * kGridSide;

inline int GridIndex(int r, int g, int b) { return (r * kGridSide + g) * kGridSide + b; }

// A box of grid cells: lo exclusive, hi inclusive, per channel.
struct Box
{
    int lo[3], hi[3];
    double error;       // squared error of the box's mean; 0 when it cannot be cut
};

// The colours' moments summed over the grid: cell (r, g, b) holds the sum of
// every cell at or below it on all three axes, so that any box's moments are
// eight lookups, and the best cut of a box is found without visiting its
// colours.
class Grid
{
public:
    explicit Grid(Moments* cells) : m_cells(cells) {}

    // `without` pixels of the slot `from` (may be null) are left out.
    void Build(const ColourCount& count, const Slot* from, DWORD without)
    {
        for (int i = 0; i < kGridCells; ++i)
            m_cells[i].Clear();
        for (DWORD k = 0; k < count.Size(); ++k) {
            const Slot& s = count.At(count.List()[k]);
            const DWORD c = count.ColourOf(s);
            const DWORD n = &s == from ? s.value - without : s.value;
            m_cells[GridIndex(Red(c) / 8 + 1, Green(c) / 8 + 1, Blue(c) / 8 + 1)].AddColour(c, n);
        }
        // Running sums along b, then g, then r.
        for (int r = 1; r < kGridSide; ++r)
            for (int g = 1; g < kGridSide; ++g)
                for (int b = 1; b < kGridSide; ++b) {
                    Moments& m = m_cells[GridIndex(r, g, b)];
                    m.Add(m_cells[GridIndex(r, g, b - 1)]);
                    m.Add(m_cells[GridIndex(r, g - 1, b)]);
                    m.Add(m_cells[GridIndex(r - 1, g, b)]);
                    m.Subtract(m_cells[GridIndex(r, g - 1, b - 1)]);
                    m.Subtract(m_cells[GridIndex(r - 1, g, b - 1)]);
                    m.Subtract(m_cells[GridIndex(r - 1, g - 1, b)]);
                    m.Add(m_cells[GridIndex(r - 1, g - 1, b - 1)]);
                }
    }

    Moments Sum(const int lo[3], const int hi[3]) const
    {
        Moments m = At(hi[0], hi[1], hi[2]);
        m.Subtract(At(hi[0], hi[1], lo[2]));
        m.Subtract(At(hi[0], lo[1], hi[2]));
        m.Add(At(hi[0], lo[1], lo[2]));
        m.Subtract(At(lo[0], hi[1], hi[2]));
        m.Add(At(lo[0], hi[1], lo[2]));
        m.Add(At(lo[0], lo[1], hi[2]));
        m.Subtract(At(lo[0], lo[1], lo[2]));
        return m;
    }

private:
    const Moments& At(int r, int g, int b) const { return m_cells[GridIndex(r, g, b)]; }

    Moments* m_cells;
};

// The table's colours by value, for the pixels it shows exactly.
class ExactColours
{
public:
    void Build(const DWORD* colours, DWORD count)
    {
        ::memset(m_keys, 0, sizeof m_keys);
        for (DWORD k = 0; k < count; ++k) {
            const DWORD s = Position(colours[k] | kUsed);
            if (m_keys[s] == 0) {               // a repeated colour keeps its first index
                m_keys[s] = colours[k] | kUsed;
                m_index[s] = static_cast<BYTE>(k);
            }
        }
    }

    int Find(DWORD colour) const
    {
        const DWORD s = Position(colour | kUsed);
        return m_keys[s] != 0 ? m_index[s] : kNoIndex;
    }

private:
    static const DWORD kBits = 10;              // at most a quarter full

    DWORD Position(DWORD key) const
    {
        DWORD s = (key * 0x9E3779B1u) >> (32 - kBits);
        while (m_keys[s] != 0 && m_keys[s] != key)
            s = (s + 1) & ((1u << kBits) - 1);
        return s;
    }

    DWORD m_keys[1u << kBits];                  // colour | kUsed, 0 when empty
    BYTE m_index[1u << kBits];
};

struct Workspace
{
    Box boxes[256];
    Moments means[256];
    DWORD colours[256];
    NearestColour nearest;
    ExactColours exact;
};

// Makes the colour table of a frame with more than 256 colours.
class Quantizer
{
public:
    Quantizer(Workspace& work, const Grid& grid) : m_work(work), m_grid(grid) {}

    // Fills m_work.colours with at most `limit` colours by cutting boxes
    // and one k-means pass; returns the count.
    DWORD MakeTable(DWORD limit)
    {
        Box* boxes = m_work.boxes;
        for (int a = 0; a < 3; ++a) {
            boxes[0].lo[a] = 0;
            boxes[0].hi[a] = kGridSide - 1;
        }
        SetError(&boxes[0]);
        DWORD count = 1;
        while (count < limit) {
            DWORD worst = 0;
            for (DWORD i = 1; i < count; ++i)
                if (boxes[i].error > boxes[worst].error)
                    worst = i;
            if (!(boxes[worst].error > 0) || !Cut(&boxes[worst], &boxes[count]))
                break;
            ++count;
        }
        for (DWORD i = 0; i < count; ++i)
            m_work.colours[i] = m_grid.Sum(boxes[i].lo, boxes[i].hi).Mean();
        Refine(count);
        return count;
    }

private:
    void SetError(Box* box) const
    {
        box->error = 0;
        for (int a = 0; a < 3; ++a)
            if (box->hi[a] - box->lo[a] > 1) {
                const Moments m = m_grid.Sum(box->lo, box->hi);
                box->error = m.norms - m.Explained();
                return;
            }
    }

    // Cuts `box` in two where the two means explain the most, the upper part
    // going to `upper`; false (and the box marked done) when no cut leaves
    // colours on both sides.
    bool Cut(Box* box, Box* upper) const
    {
        const Moments whole = m_grid.Sum(box->lo, box->hi);
        double bestScore = -1;
        int bestAxis = -1, bestAt = 0;
        for (int a = 0; a < 3; ++a) {
            int hi[3] = { box->hi[0], box->hi[1], box->hi[2] };
            for (int at = box->lo[a] + 1; at < box->hi[a]; ++at) {
                hi[a] = at;
                const Moments lower = m_grid.Sum(box->lo, hi);
                if (lower.n == 0)
                    continue;
                if (lower.n == whole.n)
                    break;
                Moments higher = whole;
                higher.Subtract(lower);
                const double score = lower.Explained() + higher.Explained();
                if (score > bestScore) {
                    bestScore = score;
                    bestAxis = a;
                    bestAt = at;
                }
            }
        }
        if (bestAxis < 0) {
            box->error = 0;
            return false;
        }
        *upper = *box;
        upper->lo[bestAxis] = bestAt;
        box->hi[bestAxis] = bestAt;
        SetError(box);
        SetError(upper);
        return true;
    }

    // One k-means step over the grid's cells, each taken at its mean.
    void Refine(DWORD count)
    {
        m_work.nearest.Build(m_work.colours, count);
        for (DWORD k = 0; k < count; ++k)
            m_work.means[k].Clear();
        for (int r = 1; r < kGridSide; ++r)
            for (int g = 1; g < kGridSide; ++g)
                for (int b = 1; b < kGridSide; ++b) {
                    const int lo[3] = { r - 1, g - 1, b - 1 }, hi[3] = { r, g, b };
                    const Moments cell = m_grid.Sum(lo, hi);
                    if (cell.n != 0)
                        m_work.means[m_work.nearest.Find(cell.Mean())].Add(cell);
                }
        for (DWORD k = 0; k < count; ++k)
            if (m_work.means[k].n != 0)
                m_work.colours[k] = m_work.means[k].Mean();
    }

    Workspace& m_work;
    const Grid& m_grid;
};

DWORD ColourOf(const RGBQUAD& q) { return Rgb(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// Moves each new colour lying within six levels a channel (a squared
// distance of kSnapDistance) of a colour of the previous table onto it, each
// old colour taken once, in table order: still pixels can then keep the
// colour they were shown in, for an error of a few levels. The key colour
// is never taken.
const int kSnapDistance = 3 * 6 * 6;

void SnapToPrevious(const QuantizePrevious& previous, DWORD keyColour, DWORD* colours, DWORD count)
{
    bool moved[256] = {};
    for (DWORD j = 0; j < previous.count; ++j) {
        const DWORD old = ColourOf(previous.table[j]);
        if (old == keyColour)
            continue;
        int best = kSnapDistance + 1;
        DWORD bestK = 0;
        for (DWORD k = 0; k < count; ++k) {
            const int dr = static_cast<int>(Red(colours[k])) - static_cast<int>(Red(old));
            const int dg = static_cast<int>(Green(colours[k])) - static_cast<int>(Green(old));
            const int db = static_cast<int>(Blue(colours[k])) - static_cast<int>(Blue(old));
            const int d = dr * dr + dg * dg + db * db;
            if (!moved[k] && d < best) {
                best = d;
                bestK = k;
            }
        }
        if (best <= kSnapDistance) {
            colours[bestK] = old;
            moved[bestK] = true;
        }
    }
}

// Moves every cut colour that is the key colour one level of blue away.
void KeepKeyApart(DWORD keyColour, DWORD* colours, DWORD count)
{
    for (DWORD k = 0; k < count; ++k)
        if (colours[k] == keyColour)
            colours[k] = Blue(keyColour) < 255 ? keyColour + 1 : keyColour - 1;
}

// What each pixel of a reduced frame needs besides its colour.
struct MapContext
{
    DWORD width, height;
    const DWORD* pixels;
    const QuantizePrevious* previous;
    int match[256];         // previous table index -> new index, or kNoIndex
    BYTE* indices;
    DWORD keyColour;        // its pixels take keyIndex, when that is not kNoIndex
    int keyIndex;
};

inline bool IsKey(const MapContext& m, DWORD c)
{
    return m.keyIndex != kNoIndex && c == m.keyColour;
}

const int kMoving = -2;

// kMoving for a pixel unlike the previous frame's at its place (or without a
// previous frame); else the new index of the colour it was shown in, or
// kNoIndex when the new table lacks it.
inline int StillIndex(const MapContext& m, size_t i, DWORD c)
{
    if (m.previous == nullptr || (m.previous->pixels[i] & 0xFFFFFF) != c)
        return kMoving;
    return m.match[m.previous->indices[i]];
}

// Every pixel to the nearest colour of its count entry, no dithering.
void MapNearest(const MapContext& m, const ColourCount& count, const Workspace& work)
{
    const size_t n = static_cast<size_t>(m.width) * m.height;
    for (size_t i = 0; i < n; ++i) {
        const DWORD c = m.pixels[i] & 0xFFFFFF;
        if (IsKey(m, c)) {
            m.indices[i] = static_cast<BYTE>(m.keyIndex);
            continue;
        }
        DWORD index = count.Lookup(c)->value;
        if (work.colours[index] != c) {
            const int kept = StillIndex(m, i, c);
            if (kept >= 0)
                index = static_cast<DWORD>(kept);
        }
        m.indices[i] = static_cast<BYTE>(index);
    }
}

// The cell map for dithered targets: nearest colour to each 6-6-6 cell's
// centre, found on first use.
class CellMap
{
public:
    CellMap(BYTE* cells, BYTE* filled, const NearestColour& nearest)
        : m_cells(cells), m_filled(filled), m_nearest(nearest)
    {
        ::memset(m_filled, 0, kCellMapSize / 8);
    }

    DWORD Find(DWORD r, DWORD g, DWORD b)
    {
        const DWORD cell = (r >> 2) << 12 | (g >> 2) << 6 | (b >> 2);
        const BYTE bit = static_cast<BYTE>(1u << (cell & 7));
        if ((m_filled[cell >> 3] & bit) == 0) {
            m_cells[cell] = static_cast<BYTE>(m_nearest.Find(Rgb((r & ~3u) | 2, (g & ~3u) | 2, (b & ~3u) | 2)));
            m_filled[cell >> 3] |= bit;
        }
        return m_cells[cell];
    }

private:
    BYTE* m_cells;
    BYTE* m_filled;
    const NearestColour& m_nearest;
};

// Serpentine Floyd-Steinberg over the pixels whose colour the table lacks
// and that did not stay still; `errors` holds two rows of (width + 2) * 3
// sixteenths, the ends there so that no pixel needs a bounds test.
void MapDithered(const MapContext& m, const Workspace& work, CellMap& cells, int* errors)
{
    const size_t rowInts = (m.width + 2) * 3;
    int* current = errors;
    int* next = errors + rowInts;
    ::memset(errors, 0, 2 * rowInts * sizeof(int));

    for (DWORD y = 0; y < m.height; ++y) {
        const bool forward = (y & 1) == 0;
        const int dir = forward ? 3 : -3;       // to the next pixel in `current`
        for (DWORD k = 0; k < m.width; ++k) {
            const DWORD x = forward ? k : m.width - 1 - k;
            const size_t i = static_cast<size_t>(y) * m.width + x;
            const DWORD c = m.pixels[i] & 0xFFFFFF;
            // Error reaching a pixel that is not dithered stops there.
            int* e = current + 3 * (x + 1);
            const int er = e[0], eg = e[1], eb = e[2];
            e[0] = e[1] = e[2] = 0;

            const int exact = IsKey(m, c) ? m.keyIndex : work.exact.Find(c);
            const int still = exact == kNoIndex ? StillIndex(m, i, c) : kMoving;
            DWORD index;
            if (exact != kNoIndex) {
                index = static_cast<DWORD>(exact);
            } else if (still >= 0) {
                index = static_cast<DWORD>(still);
            } else if (still == kNoIndex) {
                index = cells.Find(Red(c), Green(c), Blue(c));
            } else {
                // Round the sixteenths to the nearest whole level.
                const DWORD r = Clamp(static_cast<int>(Red(c)) + ((er + 8) >> 4));
                const DWORD g = Clamp(static_cast<int>(Green(c)) + ((eg + 8) >> 4));
                const DWORD b = Clamp(static_cast<int>(Blue(c)) + ((eb + 8) >> 4));
                index = cells.Find(r, g, b);
                const DWORD shown = work.colours[index];
                const int dr = static_cast<int>(r) - static_cast<int>(Red(shown));
                const int dg = static_cast<int>(g) - static_cast<int>(Green(shown));
                const int db = static_cast<int>(b) - static_cast<int>(Blue(shown));
                int* ahead = e + dir;
                int* below = next + 3 * (x + 1);
                ahead[0] += 7 * dr; ahead[1] += 7 * dg; ahead[2] += 7 * db;
                below[-dir] += 3 * dr; below[1 - dir] += 3 * dg; below[2 - dir] += 3 * db;
                below[0] += 5 * dr; below[1] += 5 * dg; below[2] += 5 * db;
                below[dir] += dr; below[1 + dir] += dg; below[2 + dir] += db;
            }
            m.indices[i] = static_cast<BYTE>(index);
        }
        // The ends of a row only ever receive error: empty them for reuse.
        int* t = current;
        current = next;
        next = t;
        ::memset(next, 0, 3 * sizeof(int));
        ::memset(next + 3 * (m.width + 1), 0, 3 * sizeof(int));
    }
}

DWORD SlotBitsFor(DWORD colours)
{
    DWORD bits = 10;
    while ((1u << bits) < 2 * colours)
        ++bits;
    return bits;
}

} // namespace

HRESULT QuantizeFrame(DWORD width, DWORD height, const DWORD* pixels, bool dither,
                      const QuantizePrevious* previous, DWORD keyColour,
                      RGBQUAD table[256], DWORD* count, BYTE* indices, DWORD maxColours)
{
    if (count != nullptr)
        *count = 0;
    if (table != nullptr)
        ::ZeroMemory(table, 256 * sizeof(RGBQUAD));
    if (count == nullptr || table == nullptr || pixels == nullptr || indices == nullptr
        || width == 0 || height == 0 || maxColours < 2 || maxColours > 256
        || static_cast<ULONGLONG>(width) * height > kMaxQuantizePixels)
        return E_INVALIDARG;
    if (previous != nullptr
        && (previous->pixels == nullptr || previous->indices == nullptr
            || previous->table == nullptr || previous->count == 0 || previous->count > 256))
        return E_INVALIDARG;

    const DWORD n = width * height;
    const DWORD limit = n < kMaxExactColours ? n : kMaxExactColours;
    const DWORD slotBits = SlotBitsFor(limit);

    // One block: workspace, slots, colour list, then the dithering tables.
    const size_t slotBytes = sizeof(Slot) << slotBits;
    const size_t listBytes = limit * sizeof(DWORD);
    const size_t errorBytes = dither ? 2 * (width + 2) * 3 * sizeof(int) : 0;
    const size_t cellBytes = dither ? kCellMapSize + kCellMapSize / 8 : 0;
    const size_t total = sizeof(Workspace) + slotBytes + listBytes + errorBytes + cellBytes;
    HGLOBAL hWork = ::GlobalAlloc(GMEM_FIXED, total);
    if (hWork == nullptr)
        return E_OUTOFMEMORY;
    BYTE* p = static_cast<BYTE*>(hWork);
    Workspace& work = *reinterpret_cast<Workspace*>(p);
    p += sizeof(Workspace);
    Slot* slots = reinterpret_cast<Slot*>(p);
    p += slotBytes;
    DWORD* list = reinterpret_cast<DWORD*>(p);
    p += listBytes;
    int* errors = reinterpret_cast<int*>(p);
    p += errorBytes;
    BYTE* cells = dither ? p : nullptr;
    BYTE* filled = dither ? p + kCellMapSize : nullptr;

    ColourCount colours(slots, slotBits, list, limit);
    DWORD dropBits = 0;
    while (!colours.Count(pixels, n, dropBits))
        ++dropBits;
    DWORD keyPixels = 0;
    for (DWORD i = 0; keyColour != kNoKeyColour && i < n; ++i)
        keyPixels += (pixels[i] & 0xFFFFFF) == keyColour ? 1 : 0;

    HRESULT hr = S_OK;
    HGLOBAL hGrid = nullptr;
    DWORD used = 0;
    if (colours.Exact() && colours.Size() <= maxColours) {
        // The frame's own colours, in order of first appearance.
        used = colours.Size();
        for (DWORD k = 0; k < used; ++k) {
            Slot& s = colours.At(list[k]);
            work.colours[k] = s.key & 0xFFFFFF;
            s.value = k;
        }
        for (DWORD i = 0; i < n; ++i)
            indices[i] = static_cast<BYTE>(colours.Lookup(pixels[i])->value);
    } else if ((hGrid = ::GlobalAlloc(GMEM_FIXED, kGridCells * sizeof(Moments))) == nullptr) {
        hr = E_OUTOFMEMORY;
    } else {
        Grid grid(static_cast<Moments*>(hGrid));
        grid.Build(colours, keyPixels != 0 ? colours.Lookup(keyColour) : nullptr, keyPixels);
        Quantizer quantizer(work, grid);
        used = quantizer.MakeTable(keyPixels != 0 ? maxColours - 1 : maxColours);
        if (previous != nullptr)
            SnapToPrevious(*previous, keyColour, work.colours, used);
        KeepKeyApart(keyColour, work.colours, used);
        work.nearest.Build(work.colours, used);
        work.exact.Build(work.colours, used);
        // The key's entry comes after the ones the searches know.
        int keyIndex = kNoIndex;
        if (keyPixels != 0) {
            keyIndex = static_cast<int>(used);
            work.colours[used++] = keyColour;
        }

        MapContext m = { width, height, pixels, previous, {}, indices, keyColour, keyIndex };
        for (DWORD j = 0; j < 256; ++j)
            m.match[j] = previous != nullptr && j < previous->count
                       ? work.exact.Find(ColourOf(previous->table[j])) : kNoIndex;
        if (dither) {
            CellMap cellMap(cells, filled, work.nearest);
            MapDithered(m, work, cellMap, errors);
        } else {
            for (DWORD k = 0; k < colours.Size(); ++k) {
                Slot& s = colours.At(list[k]);
                s.value = work.nearest.Find(colours.ColourOf(s));
            }
            MapNearest(m, colours, work);
        }
    }

    if (SUCCEEDED(hr)) {
        for (DWORD k = 0; k < used; ++k) {
            table[k].rgbRed = static_cast<BYTE>(Red(work.colours[k]));
            table[k].rgbGreen = static_cast<BYTE>(Green(work.colours[k]));
            table[k].rgbBlue = static_cast<BYTE>(Blue(work.colours[k]));
        }
        *count = used;
    }
    if (hGrid != nullptr)
        ::GlobalFree(hGrid);
    ::GlobalFree(hWork);
    return hr;
}
