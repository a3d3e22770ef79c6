// QuantizeFrame: one frame reduced on its own, through the colour stage's
// parts (a table of its own, then its pixels mapped onto it).
#include "ColorQuantizer.h"

#include "ColourLookup.h"
#include "ColourMath.h"
#include "PixelMapper.h"
#include "TableMaker.h"

#include <new>

namespace {

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
            const int d = ColourDistance(colours[k], old);
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

// Everything one reduction needs, taken from the heap at once.
struct Work
{
    CTableMaker maker;
    CColourLookup lookup;
    CPixelMapper mapper;
    DWORD colours[256];
};

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
    Work* work = new (std::nothrow) Work;
    if (work == nullptr)
        return E_OUTOFMEMORY;
    const bool hasKey = keyColour != kNoKeyColour;
    const DWORD key = keyColour & 0xFFFFFF;
    HRESULT hr = work->maker.Count(pixels, n, hasKey ? &key : nullptr) ? S_OK : E_OUTOFMEMORY;
    // The key colour's entry comes after the ones its pixels are mapped onto.
    const bool keyShown = hasKey && work->maker.Pixels() < n;
    const DWORD room = keyShown ? maxColours - 1 : maxColours;
    const bool exact = work->maker.FitsIn(room);
    DWORD used = 0;
    if (SUCCEEDED(hr) && !work->maker.Make(room, work->colours, &used))
        hr = E_OUTOFMEMORY;
    BYTE* fixed = nullptr;
    if (SUCCEEDED(hr) && !exact) {
        if (previous != nullptr)
            SnapToPrevious(*previous, key, work->colours, used);
        if (hasKey)
            KeepKeyApart(work->colours, used, key);
        if (previous != nullptr && (fixed = static_cast<BYTE*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, n)))
                                       == nullptr)
            hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr) && !work->lookup.Build(work->colours, used))
        hr = E_OUTOFMEMORY;
    if (SUCCEEDED(hr) && fixed != nullptr) {
        // A still pixel whose colour the table lacks keeps the colour it was
        // shown in, when the table has that.
        for (DWORD i = 0; i < n; ++i) {
            const DWORD c = pixels[i] & 0xFFFFFF;
            if ((previous->pixels[i] & 0xFFFFFF) != c || (keyShown && c == key) || work->lookup.Exact(c) >= 0)
                continue;
            const int kept = work->lookup.Exact(ColourOf(previous->table[previous->indices[i]]));
            if (kept >= 0) {
                indices[i] = static_cast<BYTE>(kept);
                fixed[i] = 1;
            }
        }
    }
    if (SUCCEEDED(hr)) {
        const DWORD keyIndex = used;
        if (keyShown)
            work->colours[used++] = key;
        const PixelMapRequest request = { width, height, pixels, fixed, nullptr, dither && !exact, keyShown, key,
                                          static_cast<BYTE>(keyIndex) };
        if (!work->mapper.Map(request, work->lookup, indices))
            hr = E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr)) {
        for (DWORD k = 0; k < used; ++k)
            table[k] = QuadOf(work->colours[k]);
        *count = used;
    }
    if (fixed != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, fixed);
    delete work;
    return hr;
}
