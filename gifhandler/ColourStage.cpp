// CColourStage: tables in order, pixels mapped with what the screen shows.
//
// Design. Each frame's table is one of three, chosen on the stream's thread
// in the order the frames come:
//  * its own colours, when they fit: nothing is lost;
//  * the previous frame's table, when it shows the pixels that changed
//    about as well (within kKeepShare of the squared error, and kKeepSlack)
//    as it showed the colours of the frame it was made for, which it fitted
//    as closely as the refiner could: a video's frames share their colours,
//    and a kept table costs no search and no table in the file. A table made
//    for another movie does not show a new one's colours as well as it
//    showed its own, so what comes before a movie does not change how it
//    looks (a slack that let a table serve while it was three times worse
//    than a new one once cost a movie 8 dB after another). Measured over
//    the changed pixels alone, not the frame: a ball leaving a still
//    gradient uncovers colours that the table made while it covered them
//    never had, and the frame's error hides them. A small change (under
//    half the frame) may be shown worse than that, up to kKeepSpread times
//    the table's own error, while the frame as a whole, its still part
//    counted at the table's own error, stays within the same bound: a
//    sprite's soft edges are blends no table holds, and a table fitted anew
//    would show them hardly better, for a search of the whole frame each
//    time (a sprite over a photograph cost 15 ms a frame). A few pixels of a
//    colour the table lacks are shown much worse, and get a table of their own;
//  * else a table fitted to this frame alone.
// In a differenced file, a new table leaves one entry for pixels that stay
// as the screen shows them, whatever colour that is: they are written
// transparent. (A frame whose own colours fill the table has no such entry,
// and is written exactly.)
//
// Without differencing, still pixels keep their colours by the new table
// holding them (they come from the previous one), and the rest is fitted to
// the pixels that changed. When that would leave less than an eighth of the
// table to them, the still colours whose pixels move least to another are
// given up, and those pixels take the entry nearest to what they showed.
//
// Mapping, in frame order, keeps the screen's colours as they are where that
// shows the source as well as the table can:
//  * a pixel whose source did not change keeps what the screen shows, unless
//    that is further from its source than the table's nearest colour by more
//    than kTrailSlack levels: the error diffusion of a moving edge can leave
//    such pixels behind, and they are repainted once, with their nearest
//    colour, undithered, which they then keep;
//  * a pixel whose source changed keeps what the screen shows when that is
//    at least as close as the table's nearest colour (to the middle of its
//    small cell, see ColourLookup.cpp): drifting pictures gather more
//    colours on the screen than one table holds;
//  * a kept pixel takes the table's entry of that exact colour, else the
//    stays entry; without either (the plain layout) it is mapped afresh.
// Kept and repainted pixels neither take nor pass on dithering error. A
// still pixel that kept its colour, or was repainted, is settled: while the
// table stays the same and its source stays still, it keeps its colour
// without being looked at again.
#include "ColourStage.h"

#include "ColourLookup.h"
#include "ColourMath.h"
#include "PixelMapper.h"

#include <math.h>
#include <string.h>

namespace {

// The first entry of colours holding colour; -1 when none does.
int TableEntry(const DWORD* colours, DWORD count, DWORD colour)
{
    for (DWORD k = 0; k < count; ++k)
        if (colours[k] == colour)
            return static_cast<int>(k);
    return -1;
}

const double kKeepShare = 0.05;
const double kKeepSlack = 0.5;
const double kKeepSpread = 4;
const float kTrailSlack = 24.0f;

// Whether a still pixel's shown colour, at squared distance shownDistance
// from its source, is close enough to it for a table whose nearest colour
// lies at squared distance nearestDistance.
inline bool ShownWell(int shownDistance, int nearestDistance)
{
    const float reach = ::sqrtf(static_cast<float>(nearestDistance)) + kTrailSlack;
    return static_cast<float>(shownDistance) <= reach * reach;
}

// Whether any of n pixels is of colour.
bool HasColour(const DWORD* pixels, DWORD n, DWORD colour)
{
    for (DWORD i = 0; i < n; ++i)
        if ((pixels[i] & 0xFFFFFF) == colour)
            return true;
    return false;
}

} // namespace

CColourStage::CColourStage()
    : m_nFrames(0), m_bPrevious(false), m_bForgotten(false), m_nWidth(0), m_nHeight(0), m_bHasPlan(false),
      m_dPlanError(0)
{
    ::ZeroMemory(&m_plan, sizeof m_plan);
    ::ZeroMemory(&m_planOptions, sizeof m_planOptions);
}

bool CColourStage::Reserve(DWORD nPixels)
{
    for (CHeapArray<DWORD>& pixels : m_pixels)
        if (!pixels.Grow(nPixels))
            return false;
    return m_shown.Grow(nPixels) && m_settled.Grow(nPixels) && m_fixed.Reserve(nPixels) && m_indices.Reserve(nPixels)
           && m_changed.Reserve(nPixels);
}

DWORD* CColourStage::NextPixels(DWORD width, DWORD height)
{
    const ULONGLONG nPixels = static_cast<ULONGLONG>(width) * height;
    if (nPixels == 0 || nPixels > 0xFFFFFFFF || !Reserve(static_cast<DWORD>(nPixels)))
        return nullptr;
    // A frame of another size has no previous. The ring turns on whatever
    // happens: a frame still being mapped keeps its buffers.
    m_bPrevious = m_nFrames != 0 && !m_bForgotten && width == m_nWidth && height == m_nHeight;
    m_bForgotten = false;
    m_nWidth = width;
    m_nHeight = height;
    return m_pixels[m_nFrames++ % kRing];
}

void CColourStage::Forget()
{
    m_bForgotten = true;
}

// The colours the screen shows at pixels whose source stands still, at
// most `most` of them (and at most kMaxStillColours are looked at); how
// many. Where there are more, those whose pixels would move least to the
// nearest of the others (pixels times squared distance) are left out. The
// key colour is not among them: its pixels have their own entry, and no
// other entry may hold it.
DWORD CColourStage::StillColours(const DWORD* pixels, DWORD n, const ColourOptions& options, DWORD most,
                                 DWORD colours[256])
{
    const DWORD* previous = m_pixels[(m_nFrames - 2) % kRing];
    const DWORD key = options.hasKey ? options.key & 0xFFFFFF : 0xFFFFFFFF;
    DWORD keys[2 * kMaxStillColours] = {}, counts[2 * kMaxStillColours] = {};
    DWORD nFound = 0;
    for (DWORD i = 0; i < n; ++i) {
        if (((pixels[i] ^ previous[i]) & 0xFFFFFF) != 0 || m_shown[i] == key)
            continue;
        const DWORD slotKey = m_shown[i] | 0x01000000;
        DWORD s = (slotKey * 0x9E3779B1u) >> (32 - kStillBits);
        while (keys[s] != 0 && keys[s] != slotKey)
            s = (s + 1) & (2 * kMaxStillColours - 1);
        if (keys[s] == 0) {
            if (nFound == kMaxStillColours)
                continue;
            keys[s] = slotKey;
            ++nFound;
        }
        ++counts[s];
    }
    // Side by side, in the order of the colours (the slots' order depends
    // on nothing else either).
    DWORD found[kMaxStillColours], weight[kMaxStillColours];
    DWORD m = 0;
    for (DWORD s = 0; s < 2 * kMaxStillColours; ++s)
        if (keys[s] != 0) {
            found[m] = keys[s] & 0xFFFFFF;
            weight[m++] = counts[s];
        }
    // What leaving each out would cost, cheapest first among equals by colour.
    double cost[kMaxStillColours];
    for (DWORD a = 0; a < m && m > most; ++a) {
        int nearest = 0x7FFFFFFF;
        for (DWORD b = 0; b < m; ++b)
            if (b != a) {
                const int d = ColourDistance(found[a], found[b]);
                nearest = d < nearest ? d : nearest;
            }
        cost[a] = static_cast<double>(weight[a]) * nearest;
    }
    bool left[kMaxStillColours] = {};
    for (DWORD dropped = 0; m > most && dropped < m - most; ++dropped) {
        DWORD cheapest = m;
        for (DWORD a = 0; a < m; ++a)
            if (!left[a] && (cheapest == m || cost[a] < cost[cheapest]
                             || (cost[a] == cost[cheapest] && found[a] < found[cheapest])))
                cheapest = a;
        left[cheapest] = true;
    }
    DWORD nTaken = 0;
    for (DWORD a = 0; a < m; ++a)
        if (!left[a])
            colours[nTaken++] = found[a];
    return nTaken;
}

// The kept table's error on the pixels that changed from the previous
// frame, mean squared over the channels summed, pixel by pixel; when most
// of the frame changed (*pnChanged is then n), on every other pixel of
// every other row: a quarter of the searches, and no count of the frame's
// colours, which is needed only when the table is not kept.
double CColourStage::ChangedError(const DWORD* pixels, const DWORD* previous, DWORD n, DWORD* pnChanged)
{
    DWORD nChanged = 0;
    for (DWORD i = 0; previous != nullptr && i < n; ++i)
        nChanged += ((pixels[i] ^ previous[i]) & 0xFFFFFF) != 0 ? 1 : 0;
    const bool sampled = previous == nullptr || nChanged > n / 2;
    *pnChanged = sampled ? n : nChanged;
    if (nChanged == 0 && !sampled)
        return 0;
    if (!m_lookup.Build(m_plan.colours, m_plan.free))
        return -1;
    const DWORD key = m_plan.keyIndex >= 0 ? m_plan.colours[m_plan.keyIndex] : 0xFFFFFFFF;
    double sum = 0;
    DWORD nCounted = 0;
    for (DWORD y = 0; y < m_nHeight; y += sampled ? 2 : 1)
        for (DWORD x = 0; x < m_nWidth; x += sampled ? 2 : 1) {
            const DWORD i = y * m_nWidth + x;
            const DWORD c = pixels[i] & 0xFFFFFF;
            if ((sampled || c != (previous[i] & 0xFFFFFF)) && c != key) {
                sum += ColourDistance(c, m_plan.colours[m_lookup.NearestKnown(c)]);
                ++nCounted;
            }
        }
    return nCounted == 0 ? 0 : sum / nCounted;
}

HRESULT CColourStage::ChooseTable(const ColourOptions& options, bool differenced, ColourFrame& frame)
{
    ::ZeroMemory(&frame, sizeof frame);
    if (m_nFrames == 0)
        return E_UNEXPECTED;
    const DWORD n = m_nWidth * m_nHeight;
    const DWORD* pixels = m_pixels[(m_nFrames - 1) % kRing];
    const bool hasPrevious = m_bPrevious;
    const DWORD* pKey = options.hasKey ? &options.key : nullptr;
    const bool keyShown = options.hasKey && HasColour(pixels, n, options.key & 0xFFFFFF);
    const DWORD reserved = keyShown ? 1 : 0;
    // A frame of many colours is counted only when its table is not kept.
    bool counted = false;
    if (m_maker.MayFit(pixels, n, pKey, options.limit - reserved)) {
        if (!m_maker.Count(pixels, n, pKey))
            return E_OUTOFMEMORY;
        counted = true;
    }

    ColourPlan& plan = frame.plan;
    plan.keyIndex = plan.stayIndex = -1;
    bool kept = false;
    double error = 0;
    if (counted && m_maker.FitsIn(options.limit - reserved)) {
        if (!m_maker.Make(options.limit - reserved, plan.colours, &plan.free))
            return E_OUTOFMEMORY;
        plan.exact = true;
    } else {
        // The previous table, made with the same options, while it serves.
        const bool sameOptions = m_bHasPlan && m_planOptions.limit == options.limit
                                 && m_planOptions.hasKey == options.hasKey
                                 && (!options.hasKey || m_planOptions.key == options.key)
                                 && keyShown == (m_plan.keyIndex >= 0);
        if (sameOptions) {
            DWORD nChanged = n;
            const double keptError = ChangedError(
                pixels, hasPrevious ? m_pixels[(m_nFrames - 2) % kRing].Get() : nullptr, n, &nChanged);
            if (keptError < 0)
                return E_OUTOFMEMORY;
            const double allowed = m_dPlanError * (1 + kKeepShare) + kKeepSlack;
            const double frameError = (keptError * nChanged + m_dPlanError * (n - nChanged)) / n;
            kept = keptError <= allowed || (keptError <= m_dPlanError * kKeepSpread && frameError <= allowed);
        }
        const DWORD room = options.limit - reserved - (differenced && hasPrevious ? 1 : 0);
        // Without transparency to keep them, still pixels keep their colours
        // by the new table holding them; the changed pixels get what is
        // left, and at least an eighth of it.
        DWORD pinned[256];
        DWORD nPinned = 0, nChanged = 0;
        if (!kept && !differenced && hasPrevious) {
            const DWORD* previous = m_pixels[(m_nFrames - 2) % kRing];
            for (DWORD i = 0; i < n; ++i)
                if (((pixels[i] ^ previous[i]) & 0xFFFFFF) != 0)
                    m_changed[nChanged++] = pixels[i];
            nPinned = StillColours(pixels, n, options, room - room / 8, pinned);
        }
        if (kept) {
            plan = m_plan;
            error = m_dPlanError;
        } else {
            plan.free = 0;
            if (!counted && !m_maker.Count(pixels, n, pKey))
                return E_OUTOFMEMORY;
            if (nPinned > 0) {
                // The rest is fitted to the pixels that changed.
                if (!m_maker.Count(m_changed, nChanged, pKey)
                    || (m_maker.Pixels() != 0 && !m_maker.Make(room - nPinned, plan.colours, &plan.free))
                    || !m_maker.Count(pixels, n, pKey))
                    return E_OUTOFMEMORY;
            } else if (!m_maker.Make(room, plan.colours, &plan.free)) {
                return E_OUTOFMEMORY;
            }
            // Also when no pixel has the key colour: no entry of a fitted
            // table holds it, whatever transparency the images take.
            if (options.hasKey)
                KeepKeyApart(plan.colours, plan.free, options.key & 0xFFFFFF);
            for (DWORD k = 0; k < nPinned; ++k)
                if (TableEntry(plan.colours, plan.free, pinned[k]) < 0)
                    plan.colours[plan.free++] = pinned[k];
            if ((error = m_maker.Error(plan.colours, plan.free)) < 0)
                return E_OUTOFMEMORY;
        }
    }
    if (!kept) {
        plan.count = plan.free;
        if (keyShown) {
            plan.keyIndex = static_cast<int>(plan.count);
            plan.colours[plan.count++] = options.key & 0xFFFFFF;
        }
        if (differenced && hasPrevious && plan.count < options.limit) {
            plan.stayIndex = static_cast<int>(plan.count);
            plan.colours[plan.count++] = 0;
        }
        // A frame of the key colour alone still has a table of one entry.
        if (plan.count == 0)
            plan.colours[plan.count++] = 0;
    }
    frame.tableChanged = !m_bHasPlan || !hasPrevious || m_plan.count != plan.count
                         || ::memcmp(m_plan.colours, plan.colours, plan.count * sizeof(DWORD)) != 0;
    m_plan = plan;
    m_planOptions = options;
    m_dPlanError = error;
    m_bHasPlan = true;

    frame.width = m_nWidth;
    frame.height = m_nHeight;
    frame.pixels = pixels;
    frame.previous = hasPrevious ? m_pixels[(m_nFrames - 2) % kRing].Get() : nullptr;
    frame.shown = m_shown;
    frame.settled = m_settled;
    frame.fixed = m_fixed;
    frame.indices = m_indices;
    frame.dither = options.dither && !plan.exact;
    return S_OK;
}

bool CColourStage::Map(ColourFrame& frame, CColourLookup& lookup, CPixelMapper& mapper)
{
    const ColourPlan& plan = frame.plan;
    if (!lookup.Build(plan.colours, plan.free))
        return false;
    const DWORD n = frame.width * frame.height;
    const DWORD key = plan.keyIndex >= 0 ? plan.colours[plan.keyIndex] : 0;
    frame.nStayed = frame.nRepainted = 0;
    if (frame.previous != nullptr) {
        for (DWORD i = 0; i < n; ++i) {
            const DWORD c = frame.pixels[i] & 0xFFFFFF;
            frame.fixed[i] = 0;
            if (plan.keyIndex >= 0 && c == key) {
                frame.settled[i] = 0;
                continue;
            }
            const bool still = (frame.previous[i] & 0xFFFFFF) == c;
            const DWORD shown = frame.shown[i];
            if (still && frame.settled[i] && !frame.tableChanged) {
                const int exact = lookup.Exact(shown);
                if (exact >= 0 || plan.stayIndex >= 0) {
                    frame.indices[i] = static_cast<BYTE>(exact >= 0 ? exact : plan.stayIndex);
                    frame.fixed[i] = 1;
                    ++frame.nStayed;
                    continue;
                }
            }
            frame.settled[i] = 0;
            // A still pixel shown within the slack needs no search: whatever
            // the nearest colour, it is shown well. A changed one is held to
            // the nearest colour of its small cell, as dithering finds it.
            const int shownDistance = ColourDistance(c, shown);
            const bool nearEnough = still && static_cast<float>(shownDistance) <= kTrailSlack * kTrailSlack;
            const BYTE nearest = nearEnough ? 0 : still ? lookup.NearestKnown(c) : lookup.NearCell(c);
            const int nearestDistance = nearEnough ? 0 : ColourDistance(c, plan.colours[nearest]);
            if (nearEnough || (still ? ShownWell(shownDistance, nearestDistance) : shownDistance <= nearestDistance)) {
                const int exact = lookup.Exact(shown);
                if (exact >= 0 || plan.stayIndex >= 0) {
                    frame.indices[i] = static_cast<BYTE>(exact >= 0 ? exact : plan.stayIndex);
                    frame.fixed[i] = 1;
                    frame.settled[i] = still ? 1 : 0;
                    ++frame.nStayed;
                    continue;
                }
                if (still) {
                    // Its colour left the table: as near to it as the table goes.
                    frame.indices[i] = lookup.Nearest(shown);
                    frame.fixed[i] = 1;
                    frame.settled[i] = 1;
                    continue;
                }
            } else if (still) {
                // A trail: shown once as the table shows it best.
                frame.indices[i] = nearest;
                frame.fixed[i] = 1;
                frame.settled[i] = 1;
                ++frame.nRepainted;
            }
        }
    }
    const PixelMapRequest request = { frame.width, frame.height, frame.pixels,
                                      frame.previous != nullptr ? frame.fixed : nullptr, nullptr, frame.dither,
                                      plan.keyIndex >= 0, key, static_cast<BYTE>(plan.keyIndex) };
    if (!mapper.Map(request, lookup, frame.indices))
        return false;
    for (DWORD i = 0; i < n; ++i) {
        const BYTE index = frame.indices[i];
        if (static_cast<int>(index) != plan.stayIndex)
            frame.shown[i] = plan.colours[index];
        if (frame.previous == nullptr)
            frame.settled[i] = 0;
    }
    return true;
}
