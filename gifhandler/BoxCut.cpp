// CBoxCut: variance-minimising box cuts over a grid of colour moments.
//
// Design. The histogram's entries are summed into a 32x32x32 grid of moments
// (count, channel sums, squared norms), kept as running sums along all three
// axes so that the moments of any box of cells take eight lookups. Cutting
// then costs the same for 300 colours as for 30,000. The box with the
// largest squared error is cut next, on the axis and at the place that leave
// the two halves the smallest total error: the table goes to what the eye
// sees most, large areas and wide spreads, not scattered outliers. The cuts
// are as coarse as the grid (8 levels); the refiner moves the means onto
// the colours themselves afterwards.
//
// Counts and channel sums stay below 2^32 for frames of kMaxQuantizePixels,
// so the unsigned wrap-around of the differences taken in Sum cancels out;
// squared norms are doubles, exact for every integer a frame can sum to.
#include "BoxCut.h"

#include "ColourHistogram.h"
#include "ColourMath.h"

namespace {

const int kSide = 33;                   // 32 levels a channel, plus a zero plane
const int kCells = kSide * kSide * kSide;

inline int GridIndex(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

} // namespace

struct CBoxCut::Moments
{
    DWORD n, r, g, b;
    double norms;       // sum of the squared lengths of the colours

    void Clear() { n = r = g = b = 0; norms = 0; }
    void Add(const Moments& m) { n += m.n; r += m.r; g += m.g; b += m.b; norms += m.norms; }
    void Subtract(const Moments& m) { n -= m.n; r -= m.r; g -= m.g; b -= m.b; norms -= m.norms; }
    // n times the squared length of the mean: the part of the squared norms
    // that the mean accounts for.
    double Explained() const
    {
        const double dr = r, dg = g, db = b;
        return (dr * dr + dg * dg + db * db) / n;
    }
    DWORD Mean() const
    {
        return Rgb(static_cast<int>((r + n / 2) / n), static_cast<int>((g + n / 2) / n),
                   static_cast<int>((b + n / 2) / n));
    }
};

// A box of grid cells: lo exclusive, hi inclusive, per channel.
struct CBoxCut::Box
{
    int lo[3], hi[3];
    double error;       // squared error of the box's mean; 0 when it cannot be cut
};

void CBoxCut::BuildGrid(const CColourHistogram& histogram)
{
    for (int i = 0; i < kCells; ++i)
        m_pGrid[i].Clear();
    for (DWORD k = 0; k < histogram.Size(); ++k) {
        const DWORD c = histogram.Colour(k);
        double sums[3];
        histogram.Sums(k, sums);
        const DWORD w = histogram.Weight(k);
        Moments& m = m_pGrid[GridIndex(Red(c) / 8 + 1, Green(c) / 8 + 1, Blue(c) / 8 + 1)];
        m.n += w;
        m.r += static_cast<DWORD>(sums[0]);
        m.g += static_cast<DWORD>(sums[1]);
        m.b += static_cast<DWORD>(sums[2]);
        m.norms += static_cast<double>(w) * (Red(c) * Red(c) + Green(c) * Green(c) + Blue(c) * Blue(c));
    }
    // Running sums along b, then g, then r: one pass an axis, three
    // additions a cell instead of seven (the sums are exact, so the order
    // does not change them).
    for (int r = 1; r < kSide; ++r)
        for (int g = 1; g < kSide; ++g)
            for (int b = 1; b < kSide; ++b)
                m_pGrid[GridIndex(r, g, b)].Add(m_pGrid[GridIndex(r, g, b - 1)]);
    for (int r = 1; r < kSide; ++r)
        for (int g = 1; g < kSide; ++g)
            for (int b = 1; b < kSide; ++b)
                m_pGrid[GridIndex(r, g, b)].Add(m_pGrid[GridIndex(r, g - 1, b)]);
    for (int r = 1; r < kSide; ++r)
        for (int g = 1; g < kSide; ++g)
            for (int b = 1; b < kSide; ++b)
                m_pGrid[GridIndex(r, g, b)].Add(m_pGrid[GridIndex(r - 1, g, b)]);
}

CBoxCut::Moments CBoxCut::Sum(const int lo[3], const int hi[3]) const
{
    auto at = [this](int r, int g, int b) -> const Moments& { return m_pGrid[GridIndex(r, g, b)]; };
    Moments m = at(hi[0], hi[1], hi[2]);
    m.Subtract(at(hi[0], hi[1], lo[2]));
    m.Subtract(at(hi[0], lo[1], hi[2]));
    m.Add(at(hi[0], lo[1], lo[2]));
    m.Subtract(at(lo[0], hi[1], hi[2]));
    m.Add(at(lo[0], hi[1], lo[2]));
    m.Add(at(lo[0], lo[1], hi[2]));
    m.Subtract(at(lo[0], lo[1], lo[2]));
    return m;
}

void CBoxCut::SetError(Box* box) const
{
    box->error = 0;
    for (int a = 0; a < 3; ++a)
        if (box->hi[a] - box->lo[a] > 1) {
            const Moments m = Sum(box->lo, box->hi);
            box->error = m.norms - m.Explained();
            return;
        }
}

// Cuts `box` in two where the two means explain the most, the upper part
// going to `upper`; false (and the box marked done) when no cut leaves
// colours on both sides.
bool CBoxCut::Split(Box* box, Box* upper) const
{
    const Moments whole = Sum(box->lo, box->hi);
    double bestScore = -1;
    int bestAxis = -1, bestAt = 0;
    for (int a = 0; a < 3; ++a) {
        int hi[3] = { box->hi[0], box->hi[1], box->hi[2] };
        for (int at = box->lo[a] + 1; at < box->hi[a]; ++at) {
            hi[a] = at;
            const Moments lower = Sum(box->lo, hi);
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

bool CBoxCut::Cut(const CColourHistogram& histogram, DWORD limit, DWORD colours[256], DWORD* pnCount)
{
    *pnCount = 0;
    if (!m_pGrid.Reserve(kCells))
        return false;
    if (histogram.Size() == 0)
        return true;
    BuildGrid(histogram);
    Box boxes[256];
    for (int a = 0; a < 3; ++a) {
        boxes[0].lo[a] = 0;
        boxes[0].hi[a] = kSide - 1;
    }
    SetError(&boxes[0]);
    DWORD count = 1;
    while (count < limit) {
        DWORD worst = 0;
        for (DWORD i = 1; i < count; ++i)
            if (boxes[i].error > boxes[worst].error)
                worst = i;
        if (!(boxes[worst].error > 0))
            break;
        // A box that cannot be cut is marked done, and the next worst is tried.
        if (Split(&boxes[worst], &boxes[count]))
            ++count;
    }
    for (DWORD i = 0; i < count; ++i)
        colours[i] = Sum(boxes[i].lo, boxes[i].hi).Mean();
    *pnCount = count;
    return true;
}
