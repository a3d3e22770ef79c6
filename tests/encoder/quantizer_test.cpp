// The colour stage on whole frames: exact tables up to 256 colours, the
// error of reduced frames, dithering only where it helps, still pixels kept
// across frames, repeatability, refusals; prints its speed.
#include "ColourLookup.h"
#include "ColourStage.h"
#include "PixelMapper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Pixels = std::vector<DWORD>;

struct Frame
{
    DWORD w, h;
    Pixels px;
};

struct Result
{
    HRESULT hr;
    DWORD count = 0xBAD;
    std::vector<RGBQUAD> table = std::vector<RGBQUAD>(256, RGBQUAD{ 1, 2, 3, 4 });
    std::vector<BYTE> indices;

    DWORD Colour(BYTE k) const { return table[k].rgbRed << 16 | table[k].rgbGreen << 8 | table[k].rgbBlue; }
    DWORD Shown(size_t i) const { return Colour(indices[i]); }
    bool Has(DWORD c) const
    {
        for (DWORD k = 0; k < count; ++k)
            if (Colour(static_cast<BYTE>(k)) == c)
                return true;
        return false;
    }
};

// The frame through a colour stage of its own, after `previous` when given,
// in the plain layout.
Result Quantize(const Frame& f, bool dither, const Frame* previous = nullptr, DWORD keyColour = kNoKeyColour)
{
    Result r;
    auto stage = std::make_unique<CColourStage>();
    auto lookup = std::make_unique<CColourLookup>();
    CPixelMapper mapper;
    const ColourOptions options = { 256, dither, keyColour != kNoKeyColour, keyColour & 0xFFFFFF };
    for (const Frame* one : { previous, &f }) {
        if (one == nullptr)
            continue;
        DWORD* px = stage->NextPixels(one->w, one->h);
        ColourFrame frame;
        r.hr = px == nullptr ? E_OUTOFMEMORY : S_OK;
        if (SUCCEEDED(r.hr)) {
            std::copy(one->px.begin(), one->px.end(), px);
            r.hr = stage->ChooseTable(options, false, frame);
        }
        if (SUCCEEDED(r.hr) && !CColourStage::Map(frame, *lookup, mapper))
            r.hr = E_OUTOFMEMORY;
        if (FAILED(r.hr))
            return r;
        r.count = frame.plan.count;
        for (DWORD k = 0; k < 256; ++k) {
            const DWORD c = k < r.count ? frame.plan.colours[k] : 0;
            r.table[k] = RGBQUAD{ BYTE(c), BYTE(c >> 8), BYTE(c >> 16), 0 };
        }
        r.indices.assign(frame.indices, frame.indices + one->px.size());
    }
    return r;
}

int Ch(DWORD c, int a) { return (c >> (16 - 8 * a)) & 0xFF; }
DWORD Rgb(int r, int g, int b) { return r << 16 | g << 8 | b; }

int Distance(DWORD c, DWORD d)
{
    int s = 0;
    for (int a = 0; a < 3; ++a)
        s += (Ch(c, a) - Ch(d, a)) * (Ch(c, a) - Ch(d, a));
    return s;
}

// Mean squared error per channel of `shown(i)` against the frame.
template <class Shown> double Mse(const Frame& f, Shown shown)
{
    double sum = 0;
    for (size_t i = 0; i < f.px.size(); ++i)
        sum += Distance(f.px[i] & 0xFFFFFF, shown(i));
    return sum / (3.0 * f.px.size());
}

// The uniform 3-3-2 palette, each channel to its nearest level.
DWORD Uniform332(DWORD c)
{
    auto level = [](int v, int steps) { return (v * steps + 127) / 255 * 255 / steps; };
    return Rgb(level(Ch(c, 0), 7), level(Ch(c, 1), 7), level(Ch(c, 2), 3));
}

// A smooth ramp in red and green, blue across the diagonal: every pixel a
// different colour.
Frame Gradient(DWORD w, DWORD h)
{
    Frame f{ w, h, Pixels(w * h) };
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x)
            f.px[y * w + x] = Rgb(x * 255 / (w - 1), y * 255 / (h - 1), (x + y) * 255 / (w + h - 2));
    return f;
}

// Soft shapes with sensor-like noise, like a frame of film; the high byte is
// junk the quantizer must ignore.
Frame Photo(DWORD w, DWORD h, DWORD seed = 7)
{
    Frame f{ w, h, Pixels(w * h) };
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>((seed >> 16) % 13) - 6;
            const double dx = x - w * 0.4, dy = y - h * 0.5;
            const int sun = (dx * dx + dy * dy < h * h * 0.05) ? 60 : 0;
            auto clamp = [](double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v); };
            f.px[y * w + x] = 0x5A000000u | Rgb(clamp(90 + sun + 80.0 * y / h + noise),
                                                 clamp(120 + sun / 2 + 60 * std::sin(x * 0.03) + noise),
                                                 clamp(200 - 150.0 * y / h + noise));
        }
    return f;
}

} // namespace

TEST(QuantizerExact, FramesOfAtMost256ColoursComeOutExactly)
{
    struct Case { const char* name; DWORD w, h; DWORD (*colour)(DWORD i); };
    const Case cases[] = {
        { "one pixel", 1, 1, [](DWORD) -> DWORD { return 0x123456; } },
        { "one colour, junk in the high byte", 7, 5, [](DWORD i) -> DWORD { return 0x123456 | i << 24; } },
        { "checkerboard", 9, 4, [](DWORD i) -> DWORD { return (i % 2) ? 0xFFFFFF : 0; } },
        // Neighbouring colours one level apart: any rounding shows.
        { "256 colours a level apart", 64, 48, [](DWORD i) -> DWORD { return 0x808080 + (i * 7 % 256) / 16 * 0x10000 + (i * 7 % 16) * 0x101; } },
    };
    for (const Case& c : cases) {
        Frame f{ c.w, c.h, Pixels(c.w * c.h) };
        std::set<DWORD> distinct;
        for (DWORD i = 0; i < f.px.size(); ++i)
            distinct.insert((f.px[i] = c.colour(i)) & 0xFFFFFF);
        for (bool dither : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (dither ? ", dithered" : ""));
            const Result r = Quantize(f, dither);
            ASSERT_EQ(r.hr, S_OK);
            ASSERT_EQ(r.count, distinct.size());
            std::set<DWORD> inTable;
            for (DWORD k = 0; k < r.count; ++k) {
                inTable.insert(r.Colour(static_cast<BYTE>(k)));
                EXPECT_EQ(r.table[k].rgbReserved, 0);
            }
            EXPECT_EQ(inTable, distinct);
            for (size_t i = 0; i < f.px.size(); ++i)
                ASSERT_EQ(r.Shown(i), f.px[i] & 0xFFFFFF) << "pixel " << i;
        }
    }
}

TEST(QuantizerReduction, ErrorIsLowAndRepeatable)
{
    // Bounds a quarter above what was measured; the uniform palette gives 240-290.
    struct Case { const char* name; Frame frame; double maxMse; };
    Frame noise{ 640, 480, Pixels(640 * 480) };     // past the exact table's cap
    for (size_t i = 0; i < noise.px.size(); ++i)
        noise.px[i] = static_cast<DWORD>(i * 2654435761u >> 8);
    const Case cases[] = {
        { "gradient", Gradient(256, 256), 25 },
        { "photo", Photo(320, 240), 16 },
        { "noise", noise, 200 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Quantize(c.frame, false);
        ASSERT_EQ(r.hr, S_OK);
        ASSERT_GE(r.count, 2u);
        ASSERT_LE(r.count, 256u);
        const double mse = Mse(c.frame, [&](size_t i) { return r.Shown(i); });
        const double uniform = Mse(c.frame, [&](size_t i) { return Uniform332(c.frame.px[i]); });
        std::printf("%s: MSE per channel %.2f (uniform 3-3-2: %.2f)\n", c.name, mse, uniform);
        EXPECT_LT(mse, c.maxMse);
        EXPECT_LT(mse, uniform);
        for (bool dither : { false, true }) {
            const Result a = Quantize(c.frame, dither);
            const Result b = Quantize(c.frame, dither);
            EXPECT_EQ(a.count, b.count);
            EXPECT_TRUE(a.indices == b.indices) << "dither " << dither;
            EXPECT_EQ(0, std::memcmp(a.table.data(), b.table.data(), 256 * sizeof(RGBQUAD)));
        }
    }
}

TEST(QuantizerDither, OnlyWhereItHelps)
{
    // Left half a gradient; on the right, noise above one colour that the
    // gradient passes through: both pass large errors towards the flat area.
    const DWORD flat = 0x607F9F;
    Frame f = Gradient(256, 128);
    for (DWORD y = 0; y < f.h; ++y)
        for (DWORD x = 128; x < f.w; ++x)
            f.px[y * f.w + x] = y < 32 ? (y * f.w + x) * 2654435761u >> 8 : flat;

    const Result off = Quantize(f, false), on = Quantize(f, true);
    ASSERT_TRUE(on.Has(flat));
    size_t notNearest = 0;
    for (size_t i = 0; i < f.px.size(); ++i) {
        const DWORD c = f.px[i];
        if (c == flat) {
            ASSERT_EQ(on.Shown(i), flat) << "pixel " << i;
        }
        int best = 1 << 30;
        for (DWORD k = 0; k < off.count; ++k)
            best = std::min(best, Distance(c, off.Colour(static_cast<BYTE>(k))));
        ASSERT_EQ(Distance(c, off.Shown(i)), best) << "undithered pixel " << i << " not nearest";
        notNearest += Distance(c, on.Shown(i)) > best;
    }
    // The gradient is dithered where its colours lie near the middle between
    // two entries (a quarter of the error is passed on: more adds noise
    // that costs more likeness, SSIM, than it gains), and that brings 8x8
    // areas closer on average, by about a tenth.
    EXPECT_GT(notNearest, f.px.size() / 20);
    auto areaError = [&](const Result& r) {
        double sum = 0;
        for (DWORD by = 0; by < f.h; by += 8)
            for (DWORD bx = 0; bx < 128; bx += 8)
                for (int a = 0; a < 3; ++a) {
                    int d = 0;
                    for (DWORD i = 0; i < 64; ++i) {
                        const size_t at = (by + i / 8) * f.w + bx + i % 8;
                        d += Ch(f.px[at], a) - Ch(r.Shown(at), a);
                    }
                    sum += std::abs(d) / 64.0;
                }
        return sum;
    };
    EXPECT_LT(areaError(on), areaError(off) * 0.95);
}

TEST(QuantizerDither, StillPixelsKeepTheirColourAcrossFrames)
{
    // The second frame changes a block at the top left: its dithering error
    // would spread right and down into pixels that did not change. Through
    // the colour stage the handler uses, in both layouts: still pixels stay
    // transparent in one, their colours are held by the new table in the
    // other.
    const Frame first = Photo(160, 120);
    Frame second = first;
    for (DWORD y = 0; y < 30; ++y)
        for (DWORD x = 0; x < 40; ++x)
            second.px[y * 160 + x] = Rgb(x * 6, 255 - y * 8, (x * y) & 255);
    const Result loose = Quantize(second, true);
    const double mseLoose = Mse(second, [&](size_t i) { return loose.Shown(i); });
    auto lookup = std::make_unique<CColourLookup>();
    CPixelMapper mapper;
    for (bool differenced : { true, false }) {
        SCOPED_TRACE(differenced ? "differenced" : "plain");
        auto stage = std::make_unique<CColourStage>();
        std::vector<DWORD> shown[2];
        bool tableChanged = false;
        for (const Frame* f : { &first, static_cast<const Frame*>(&second) }) {
            DWORD* px = stage->NextPixels(f->w, f->h);
            ASSERT_NE(px, nullptr);
            std::copy(f->px.begin(), f->px.end(), px);
            ColourFrame frame;
            ASSERT_EQ(stage->ChooseTable({ 256, true, false, 0 }, differenced, frame), S_OK);
            ASSERT_TRUE(CColourStage::Map(frame, *lookup, mapper));
            shown[f == &second].assign(frame.shown, frame.shown + f->px.size());
            tableChanged = frame.tableChanged;
        }
        EXPECT_TRUE(tableChanged) << "the block needs a table of its own";
        size_t same = 0, still = 0, changedWithout = 0;
        for (size_t i = 0; i < first.px.size(); ++i) {
            if (first.px[i] != second.px[i])
                continue;
            ++still;
            same += shown[1][i] == shown[0][i];
            changedWithout += loose.Shown(i) != shown[0][i];
        }
        const double mseKept = Mse(second, [&](size_t i) { return shown[1][i]; });
        std::printf("still pixels shown as before: %u of %u (%u without the previous frame); "
                    "MSE %.2f (%.2f without)\n", unsigned(same), unsigned(still),
                    unsigned(still - changedWithout), mseKept, mseLoose);
        // Without the previous frame almost none would be shown again. The
        // plain layout gives up the still colours used least, to leave the
        // block some entries of its own.
        if (differenced) {
            EXPECT_EQ(same, still);
            EXPECT_LT(mseKept, mseLoose * 1.1);
        } else {
            EXPECT_GT(same, still * 4 / 5);
            EXPECT_LT(mseKept, mseLoose * 1.6);
        }
        EXPECT_GT(same, 10 * (still - changedWithout));
    }
}

TEST(QuantizerArguments, RefusedWithNothingMade)
{
    struct Case { const char* name; DWORD w, h; };
    const Case cases[] = {
        { "zero width", 0, 2 },
        { "zero height", 2, 0 },
        { "2^32 pixels", 65536, 65536 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto stage = std::make_unique<CColourStage>();
        EXPECT_EQ(stage->NextPixels(c.w, c.h), nullptr);
        // No frame: no table either.
        ColourFrame frame;
        EXPECT_EQ(stage->ChooseTable({ 256, true, false, 0 }, false, frame), E_UNEXPECTED);
        EXPECT_EQ(frame.indices, nullptr);
    }
}

// The key colour (the one to become transparent): exactly its pixels take
// one entry, which holds it and which nothing else is mapped or dithered
// onto; no other entry holds it, and a frame without it has no entry of it.
// The key at 38 scattered pixels with colours a level from it beside them,
// alone and after a previous frame; a key the frame lacks, also where the
// mean of other colours is the key.
TEST(QuantizerKey, ExactlyTheKeyPixelsTakeOneEntryOfTheirOwn)
{
    const DWORD key = 0x6E7A9C;
    auto scatter = [](Frame f, DWORD colour) {
        for (DWORD k = 0, i = 0; k < 38; ++k, i = (k * 7919) % f.px.size())
            f.px[i] = colour, f.px[(i + 1) % f.px.size()] = colour ^ 1, f.px[(i + f.w) % f.px.size()] = colour ^ 0x10100;
        return f;
    };
    const Frame photo = scatter(Photo(160, 120), key), moved = scatter(Photo(160, 120, 99), key);
    Frame around = Gradient(64, 64);
    for (DWORD i = 0; i < 64 * 64; i += 2)
        around.px[i] = key + (i % 4 == 0 ? 1 : -1);     // their mean is the key
    const struct { const Frame* frame; const Frame* previous; DWORD key; } cases[] = {
        { &photo, nullptr, key }, { &moved, &photo, key }, { &photo, &photo, 0x010203 }, { &around, nullptr, key },
    };
    for (const auto& c : cases)
        for (bool dither : { true, false }) {
            SCOPED_TRACE(std::to_string(&c - cases) + (dither ? ", dithered" : ""));
            const Frame& f = *c.frame;
            const Result r = Quantize(f, dither, c.previous, c.key);
            ASSERT_EQ(r.hr, S_OK);
            std::vector<DWORD> entries;
            for (DWORD k = 0; k < r.count; ++k)
                if (r.Colour(static_cast<BYTE>(k)) == c.key)
                    entries.push_back(k);
            const bool bHasKey = std::any_of(f.px.begin(), f.px.end(), [&](DWORD p) { return (p & 0xFFFFFF) == c.key; });
            ASSERT_EQ(bHasKey ? 1u : 0u, entries.size()) << "entries holding the key colour";
            for (size_t i = 0; i < f.px.size(); ++i)
                ASSERT_EQ((f.px[i] & 0xFFFFFF) == c.key, bHasKey && r.indices[i] == entries[0]) << "pixel " << i;
        }
}

TEST(QuantizerSpeed, PrintsTimePer640x480Frame)
{
    const Frame f = Photo(640, 480);
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    for (bool dither : { false, true }) {
        const int runs = 5;
        ::QueryPerformanceCounter(&t0);
        for (int i = 0; i < runs; ++i)
            ASSERT_EQ(Quantize(f, dither).hr, S_OK);
        ::QueryPerformanceCounter(&t1);
        std::printf("640x480 photo, dither %s: %.1f ms per frame\n", dither ? "on" : "off",
                    1000.0 * (t1.QuadPart - t0.QuadPart) / freq.QuadPart / runs);
    }
}
