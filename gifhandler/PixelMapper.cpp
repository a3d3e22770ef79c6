// CPixelMapper: nearest colours, and serpentine error diffusion.
//
// Design. A pixel whose colour the table holds takes that entry and drops
// whatever error reached it: flat areas of a colour the table has stay flat
// beside dithered ones. Other pixels take the entry nearest to their colour
// plus the error that reached them, and pass on what that entry leaves:
// Floyd-Steinberg weights, rows walked alternately left to right and right
// to left so that the error does not pile up along one side.
//
// The error passed on is a quarter of what is left, and at most kMaxError
// levels a channel. A colour then dithers only where it lies near the middle
// between two entries (past three eighths of the way from one to the next):
// a band's edge turns into a mixed seam, and the band itself stays flat.
// More of the error brings areas' means closer, but the noise it makes
// costs more of the picture's likeness (SSIM, on gradients, photographs and
// sprites alike: five eighths cost a smooth gradient 0.07 of it) than the
// means gain; and all of it lets an edge's large error run into the next
// area (a bright ball over a dark gradient leaves a streak behind it).
#include "PixelMapper.h"

#include "ColourLookup.h"
#include "ColourMath.h"

#include <string.h>

namespace {

// Errors are kept in 256ths of a level: the kernel's sixteenths times the
// share's sixteenths.
const int kShare = 4;          // sixteenths of the error passed on
const int kMaxError = 24;       // levels a channel

inline int Bounded(int e) { return e < -kMaxError ? -kMaxError : e > kMaxError ? kMaxError : e; }

} // namespace

bool CPixelMapper::Map(const PixelMapRequest& request, CColourLookup& lookup, BYTE* indices)
{
    if (!request.dither) {
        MapNearest(request, lookup, indices);
        return true;
    }
    if (!m_pErrors.Reserve(2 * (static_cast<ULONGLONG>(request.width) + 2) * 3))
        return false;
    MapDithered(request, lookup, indices);
    return true;
}

void CPixelMapper::MapNearest(const PixelMapRequest& r, CColourLookup& lookup, BYTE* indices) const
{
    const size_t n = static_cast<size_t>(r.width) * r.height;
    DWORD last = 0xFFFFFFFF;
    BYTE lastIndex = 0;
    for (size_t i = 0; i < n; ++i) {
        if (r.fixed != nullptr && r.fixed[i] != 0)
            continue;
        const DWORD c = r.pixels[i] & 0xFFFFFF;
        if (c != last) {
            if (r.hasKey && c == r.key) {
                lastIndex = r.keyIndex;
            } else {
                lastIndex = lookup.NearestKnown(c);
            }
            last = c;
        }
        indices[i] = lastIndex;
    }
}

void CPixelMapper::MapDithered(const PixelMapRequest& r, CColourLookup& lookup, BYTE* indices)
{
    const size_t rowInts = (r.width + 2) * 3;
    int* current = m_pErrors;
    int* next = m_pErrors + rowInts;
    ::memset(m_pErrors, 0, 2 * rowInts * sizeof(int));

    for (DWORD y = 0; y < r.height; ++y) {
        const bool forward = (y & 1) == 0;
        const int dir = forward ? 3 : -3;       // to the next pixel in a row of errors
        for (DWORD k = 0; k < r.width; ++k) {
            const DWORD x = forward ? k : r.width - 1 - k;
            const size_t i = static_cast<size_t>(y) * r.width + x;
            int* e = current + 3 * (x + 1);
            const int er = e[0], eg = e[1], eb = e[2];
            e[0] = e[1] = e[2] = 0;
            const DWORD c = r.pixels[i] & 0xFFFFFF;
            // Round the 256ths to the nearest whole level.
            const int tr = ClampLevel(Red(c) + ((er + 128) >> 8));
            const int tg = ClampLevel(Green(c) + ((eg + 128) >> 8));
            const int tb = ClampLevel(Blue(c) + ((eb + 128) >> 8));
            DWORD shown;
            if (r.fixed != nullptr && r.fixed[i] != 0) {
                // Shown as it is; what that leaves passes on, when known.
                if (r.shown == nullptr)
                    continue;
                shown = r.shown[i];
            } else {
                // The key colour, and colours the table holds, take no error
                // and pass none on.
                if (r.hasKey && c == r.key) {
                    indices[i] = r.keyIndex;
                    continue;
                }
                const int exact = lookup.Exact(c);
                if (exact >= 0) {
                    indices[i] = static_cast<BYTE>(exact);
                    continue;
                }
                const BYTE index = lookup.NearCell(Rgb(tr, tg, tb));
                indices[i] = index;
                shown = lookup.Colour(index);
            }
            const int dr = Bounded(tr - Red(shown)) * kShare;
            const int dg = Bounded(tg - Green(shown)) * kShare;
            const int db = Bounded(tb - Blue(shown)) * kShare;
            int* ahead = e + dir;
            int* below = next + 3 * (x + 1);
            ahead[0] += 7 * dr; ahead[1] += 7 * dg; ahead[2] += 7 * db;
            below[-dir] += 3 * dr; below[1 - dir] += 3 * dg; below[2 - dir] += 3 * db;
            below[0] += 5 * dr; below[1] += 5 * dg; below[2] += 5 * db;
            below[dir] += dr; below[1 + dir] += dg; below[2 + dir] += db;
        }
        // The ends of a row only ever receive error: empty them for reuse.
        int* t = current;
        current = next;
        next = t;
        ::memset(next, 0, rowInts * sizeof(int));
    }
}
