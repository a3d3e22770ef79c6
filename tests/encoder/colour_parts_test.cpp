// The colour stage's parts: the histogram (exact, then folded with its means
// kept), the lookup against a search of the whole table, the refiner (every
// entry used, the error never above the cut's), the stage's tables (exact up
// to the limit, the key colour's own entry, kept for a small change shown
// nearly as well) and the pixel mapper (exact
// colours and fixed pixels left alone, the key colour only where it is).
#include "BoxCut.h"
#include "ColourHistogram.h"
#include "ColourLookup.h"
#include "ColourMath.h"
#include "ColourStage.h"
#include "PaletteRefiner.h"
#include "PixelMapper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Pixels = std::vector<DWORD>;

// A repeatable stream of numbers.
struct Random
{
    DWORD state;
    DWORD Next() { return state = state * 1664525u + 1013904223u; }
    int Level() { return static_cast<int>(Next() >> 24); }
};

// Smooth colour with grain: many colours, close together.
Pixels Grainy(DWORD w, DWORD h, DWORD seed, int grain)
{
    Random random{ seed };
    Pixels px(w * h);
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x) {
            auto noisy = [&](int v) { return ClampLevel(v + static_cast<int>(random.Next() >> 24) % (2 * grain + 1) - grain); };
            px[y * w + x] = Rgb(noisy(x * 255 / w), noisy(y * 255 / h), noisy(128 + (x + y) % 64));
        }
    return px;
}

// Squared error of each pixel against its nearest table colour, per pixel.
double TableError(const Pixels& px, const DWORD* colours, DWORD count)
{
    double sum = 0;
    for (DWORD c : px) {
        int best = 1 << 30;
        for (DWORD k = 0; k < count; ++k)
            best = std::min(best, ColourDistance(c, colours[k]));
        sum += best;
    }
    return sum / px.size();
}

int BruteNearest(const DWORD* colours, DWORD count, DWORD c)
{
    int best = 1 << 30, index = -1;
    for (DWORD k = 0; k < count; ++k) {
        const int d = ColourDistance(c, colours[k]);
        if (d < best) {
            best = d;
            index = static_cast<int>(k);
        }
    }
    return index;
}

} // namespace

TEST(ColourHistogram, CountsExactlyThenFoldsKeepingMeans)
{
    struct Case { const char* name; Pixels px; bool exact; };
    Pixels few(5000);
    for (size_t i = 0; i < few.size(); ++i)
        few[i] = 0x5A000000u | (i % 7) * 0x102030u;            // junk in the high byte
    Random random{ 3 };
    Pixels noise(300 * 300);
    for (DWORD& c : noise)
        c = random.Next() >> 8;
    const Case cases[] = { { "seven colours", few, true }, { "noise", noise, false } };
    auto histogram = std::make_unique<CColourHistogram>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(histogram->Count(c.px.data(), static_cast<DWORD>(c.px.size()), nullptr));
        EXPECT_EQ(histogram->Exact(), c.exact);
        EXPECT_LE(histogram->Size(), CColourHistogram::kMaxEntries);
        EXPECT_EQ(histogram->Pixels(), c.px.size());
        double total[3] = {}, counted[3] = {};
        for (DWORD p : c.px) {
            total[0] += Red(p);
            total[1] += Green(p);
            total[2] += Blue(p);
        }
        DWORD weights = 0;
        for (DWORD k = 0; k < histogram->Size(); ++k) {
            double sums[3];
            histogram->Sums(k, sums);
            for (int a = 0; a < 3; ++a)
                counted[a] += sums[a];
            weights += histogram->Weight(k);
        }
        EXPECT_EQ(weights, c.px.size());
        for (int a = 0; a < 3; ++a)
            EXPECT_EQ(total[a], counted[a]) << "channel " << a;
        if (c.exact) {
            std::map<DWORD, DWORD> expected;
            for (DWORD p : c.px)
                ++expected[p & 0xFFFFFF];
            ASSERT_EQ(histogram->Size(), expected.size());
            for (const auto& e : expected) {
                const int k = histogram->Find(e.first);
                ASSERT_GE(k, 0);
                EXPECT_EQ(histogram->Colour(static_cast<DWORD>(k)), e.first);
                EXPECT_EQ(histogram->Weight(static_cast<DWORD>(k)), e.second);
            }
        }
    }
    // The key colour is left out.
    const DWORD key = 0x102030;
    ASSERT_TRUE(histogram->Count(few.data(), static_cast<DWORD>(few.size()), &key));
    EXPECT_EQ(histogram->Size(), 6u);
    EXPECT_EQ(histogram->Find(key), -1);
    EXPECT_LT(histogram->Pixels(), few.size());
}

TEST(ColourLookup, AnswersAsASearchOfTheWholeTable)
{
    struct Case { const char* name; DWORD count; DWORD (*colour)(Random&, DWORD k); };
    const Case cases[] = {
        { "random 256", 256, [](Random& r, DWORD) -> DWORD { return r.Next() >> 8; } },
        { "random 199", 199, [](Random& r, DWORD) -> DWORD { return r.Next() >> 8; } },
        { "repeated colours", 256, [](Random& r, DWORD k) -> DWORD { return k < 128 ? (r.Next() >> 8) & 0x0F0F0F : 0x404040; } },
        // Entries crowded into a corner: far cells have every entry as a candidate.
        { "crowded corner", 256, [](Random& r, DWORD) -> DWORD { return (r.Next() >> 8) & 0x070707; } },
        { "two colours", 2, [](Random&, DWORD k) -> DWORD { return k ? 0xFFFFFF : 0; } },
    };
    auto lookup = std::make_unique<CColourLookup>();
    for (const Case& c : cases)
        for (bool coarse : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (coarse ? ", coarse" : ""));
            Random random{ 11 };
            // One more colour past the count, which is never an answer.
            DWORD colours[257] = {};
            for (DWORD k = 0; k <= c.count; ++k)
                colours[k] = c.colour(random, k);
            ASSERT_TRUE(lookup->Build(colours, c.count, coarse));
            for (int i = 0; i < 40000; ++i) {
                const DWORD q = i == 0 ? colours[c.count] : random.Next() >> 8;
                const int expected = BruteNearest(colours, c.count, q);
                // Each way of asking, and each twice: answers learnt are the same.
                const BYTE answers[] = { lookup->Nearest(q), lookup->NearestKnown(q), lookup->NearestKnown(q),
                                         lookup->NearestFrom(q, static_cast<BYTE>(i % c.count)) };
                for (BYTE found : answers) {
                    ASSERT_EQ(ColourDistance(q, colours[found]), ColourDistance(q, colours[expected])) << std::hex << q;
                    ASSERT_EQ(found, expected) << "ties go to the lower index";
                }
                // The middle of the small cell's nearest.
                ASSERT_EQ(lookup->NearCell(q), BruteNearest(colours, c.count, (q & 0xFCFCFC) | 0x020202));
            }
            for (DWORD k = 0; k < c.count; ++k) {
                const int exact = lookup->Exact(colours[k]);
                ASSERT_GE(exact, 0);
                EXPECT_EQ(colours[exact], colours[k]);
                EXPECT_LE(exact, static_cast<int>(k)) << "the first of a repeated colour";
            }
        }
}

TEST(PaletteRefiner, UsesEveryEntryAndImprovesOnTheCut)
{
    struct Case { const char* name; Pixels px; DWORD limit; };
    // 400 colours in a few grid cells: the cut alone makes only a few boxes.
    Pixels close(160 * 100);
    for (size_t i = 0; i < close.size(); ++i)
        close[i] = Rgb(100 + (i % 20), 60 + (i / 20) % 20, 30 + (i % 7));
    const Case cases[] = {
        { "grainy gradient", Grainy(160, 120, 5, 6), 256 },
        { "close colours", close, 256 },
        { "grainy gradient, 16 colours", Grainy(160, 120, 9, 3), 16 },
        { "two colours allowed", Grainy(64, 64, 2, 2), 2 },
    };
    auto histogram = std::make_unique<CColourHistogram>();
    auto cut = std::make_unique<CBoxCut>();
    auto refiner = std::make_unique<CPaletteRefiner>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(histogram->Count(c.px.data(), static_cast<DWORD>(c.px.size()), nullptr));
        ASSERT_GT(histogram->Size(), c.limit);
        DWORD colours[256] = {}, count = 0;
        ASSERT_TRUE(cut->Cut(*histogram, c.limit, colours, &count));
        ASSERT_GE(count, 1u);
        const double cutError = TableError(c.px, colours, count);
        ASSERT_TRUE(refiner->Refine(*histogram, c.limit, colours, &count));
        EXPECT_EQ(count, c.limit);
        const double error = TableError(c.px, colours, count);
        std::printf("%s: squared error per pixel %.2f after the cut, %.2f refined in %u rounds\n", c.name, cutError,
                    error, static_cast<unsigned>(refiner->Rounds()));
        EXPECT_LE(error, cutError);
        // Every entry is some pixel's nearest.
        std::vector<bool> used(count);
        for (DWORD p : c.px)
            used[BruteNearest(colours, count, p)] = true;
        for (DWORD k = 0; k < count; ++k)
            EXPECT_TRUE(used[k]) << "entry " << k << " serves no pixel";
    }
}

TEST(ColourStage, ExactUpToTheLimitAndTheKeyColourApart)
{
    struct Case { const char* name; DWORD colours; DWORD limit; bool key; bool exact; };
    const Case cases[] = {
        { "256 of 256", 256, 256, false, true },
        { "257 of 256", 257, 256, false, false },
        { "255 and the key in 256", 256, 256, true, true },
        { "256 and the key in 256", 257, 256, true, false },
        { "16 of 16", 16, 16, false, true },
        { "17 of 16", 17, 16, false, false },
        { "one and the key in 2", 2, 2, true, true },
        { "the key alone", 1, 2, true, true },
    };
    const DWORD key = 0x00FF00, w = 40, h = 30;
    auto lookup = std::make_unique<CColourLookup>();
    CPixelMapper mapper;
    for (const Case& c : cases)
        for (bool dither : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (dither ? ", dithered" : ""));
            auto stage = std::make_unique<CColourStage>();
            DWORD* px = stage->NextPixels(w, h);
            ASSERT_NE(px, nullptr);
            for (DWORD i = 0; i < w * h; ++i) {
                const DWORD n = i * 7 % c.colours;
                // Colour 0 is the key colour when there is one.
                px[i] = c.key && n == 0 ? key : Rgb(n % 16 * 16, n / 16 * 16, 77);
            }
            const ColourOptions options = { c.limit, dither, c.key, key };
            ColourFrame frame;
            ASSERT_EQ(stage->ChooseTable(options, false, frame), S_OK);
            const ColourPlan& plan = frame.plan;
            EXPECT_EQ(plan.exact, c.exact);
            EXPECT_EQ(plan.count, c.exact ? c.colours : c.limit);
            ASSERT_TRUE(CColourStage::Map(frame, *lookup, mapper));
            for (DWORD i = 0; i < w * h; ++i) {
                const BYTE index = frame.indices[i];
                ASSERT_LT(index, plan.count);
                ASSERT_EQ(px[i] == key && c.key, static_cast<int>(index) == plan.keyIndex) << "pixel " << i;
                if (c.exact) {
                    ASSERT_EQ(plan.colours[index], px[i]) << "pixel " << i;
                }
            }
            if (c.key) {
                ASSERT_GE(plan.keyIndex, 0);
                EXPECT_EQ(plan.colours[plan.keyIndex], key);
                EXPECT_EQ(plan.free, plan.count - 1);
            } else {
                EXPECT_EQ(plan.keyIndex, -1);
            }
        }
}

// A table is kept while a small change is shown nearly as well as the frame
// it was made for: a soft-edged sprite moving over grain (its edges' blends
// shown worse than the grain, but few), not a few pixels of a colour the
// table lacks, nor another picture.
TEST(ColourStage, KeepsItsTableForASmallChangeOnlyWhileItShowsIt)
{
    const DWORD w = 320, h = 240;
    const Pixels grain = Grainy(w, h, 5, 6);
    auto withSprite = [&](Pixels px, int cx, int cy) {
        for (int y = cy - 12; y <= cy + 12; ++y)
            for (int x = cx - 12; x <= cx + 12; ++x) {
                // Yellow, blended into what lies under it over its outer 3 pixels.
                const double r = std::sqrt(double((x - cx) * (x - cx) + (y - cy) * (y - cy)));
                const double a = r <= 9 ? 1 : r >= 12 ? 0 : (12 - r) / 3;
                DWORD& p = px[y * w + x];
                p = Rgb(int(a * 240 + (1 - a) * Red(p)), int(a * 200 + (1 - a) * Green(p)),
                        int(a * 30 + (1 - a) * Blue(p)));
            }
        return px;
    };
    Pixels red = withSprite(grain, 60, 60);
    for (DWORD i : { DWORD(0), DWORD(1), w, w + 1 })
        red[200 * w + 200 + i] = 0xFF0000;
    Pixels bluer = grain;
    for (DWORD& p : bluer)
        p = Rgb(Red(p), Green(p), 255 - Blue(p));
    struct Case { const char* name; Pixels next; bool kept; };
    const Case cases[] = {
        { "sprite moved", withSprite(grain, 75, 66), true },
        { "four red pixels", red, false },
        { "another picture", withSprite(bluer, 60, 60), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto stage = std::make_unique<CColourStage>();
        bool changed = false;
        for (const Pixels* px : { static_cast<const Pixels*>(nullptr), &c.next }) {
            const Pixels first = withSprite(grain, 60, 60);
            DWORD* into = stage->NextPixels(w, h);
            ASSERT_NE(into, nullptr);
            std::copy((px ? *px : first).begin(), (px ? *px : first).end(), into);
            ColourFrame frame;
            ASSERT_EQ(stage->ChooseTable({ 256, true, false, 0 }, true, frame), S_OK);
            changed = frame.tableChanged;
        }
        EXPECT_EQ(!changed, c.kept);
    }
}

TEST(PixelMapper, ExactColoursFixedPixelsAndTheKeyAreLeftAlone)
{
    // A gradient (dithered), a flat area of a table colour, fixed pixels,
    // and the key colour in the middle; the table has a colour equal to
    // nothing but close to the key.
    const DWORD w = 96, h = 64, key = 0x20C020, flat = 0x808080;
    Pixels px = Grainy(w, h, 4, 0);
    std::vector<BYTE> fixed(w * h, 0), indices(w * h, 0xEE);
    for (DWORD y = 0; y < h; ++y)
        for (DWORD x = 0; x < w; ++x) {
            const DWORD i = y * w + x;
            if (x < 24)
                px[i] = flat;
            else if (x >= 40 && x < 56 && y >= 20 && y < 40)
                px[i] = key;
            else if (y >= 56)
                fixed[i] = 1;
        }
    DWORD colours[16];
    for (DWORD k = 0; k < 14; ++k)
        colours[k] = Rgb(k * 18, 255 - k * 18, 128);
    colours[14] = flat;
    colours[15] = key;      // past the lookup's count: nothing else may take it
    colours[3] = 0x22C222;
    auto lookup = std::make_unique<CColourLookup>();
    ASSERT_TRUE(lookup->Build(colours, 15));
    CPixelMapper mapper;
    for (bool dither : { false, true }) {
        SCOPED_TRACE(dither ? "dithered" : "nearest");
        indices.assign(w * h, 0xEE);
        const PixelMapRequest request = { w, h, px.data(), fixed.data(), nullptr, dither, true, key, 15 };
        ASSERT_TRUE(mapper.Map(request, *lookup, indices.data()));
        size_t notNearest = 0;
        for (DWORD i = 0; i < w * h; ++i) {
            if (fixed[i]) {
                ASSERT_EQ(indices[i], 0xEE) << "fixed pixel " << i << " was written";
            } else if (px[i] == key) {
                ASSERT_EQ(indices[i], 15) << "pixel " << i;
            } else {
                ASSERT_NE(indices[i], 15) << "pixel " << i << " took the key entry";
                if (px[i] == flat) {
                    ASSERT_EQ(indices[i], 14) << "pixel " << i;
                }
                notNearest += indices[i] != BruteNearest(colours, 15, px[i]);
            }
        }
        if (dither) {
            EXPECT_GT(notNearest, w * h / 50) << "the gradient is dithered";
        } else {
            EXPECT_EQ(notNearest, 0u);
        }
    }
}
