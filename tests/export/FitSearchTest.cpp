// The fit-under-size search on a model of file sizes: the order of the
// tries, the least loss found, and the end when nothing fits.
#include "FitSearch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// A made-up file size: lossiness takes up to half away, fewer colours up to
// 40 % more, scaling by the area.
double ModelSize(const cExportSettings& s, int nScreenWidth, double full)
{
    double size = full * (1.0 - 0.5 * s.nLossiness / 200.0);
    size *= 0.6 + 0.4 * std::log2(static_cast<double>(s.nColours)) / 8.0;
    if (s.nOutputWidth > 0)
        size *= std::pow(static_cast<double>(s.nOutputWidth) / nScreenWidth, 2.0);
    return size;
}

struct Outcome
{
    bool bFound;
    cExportSettings best;
    std::vector<cExportSettings> tries;
};

Outcome Search(const cExportSettings& base, double full, double limit)
{
    cFitSearch search(base, 640, 480);
    Outcome o;
    cExportSettings next;
    while (search.Next(next) && o.tries.size() < 100) {
        o.tries.push_back(next);
        search.Tell(ModelSize(next, 640, full) <= limit);
    }
    o.bFound = search.Best(o.best);
    return o;
}

} // namespace

// Limits met by the user's choices, by lossiness, by colours and by
// scaling: the search stops at the first stage that fits, the least loss
// it finds fits and is close to the limit, and it takes a few tries.
TEST(FitSearch, FindsTheLeastLossThatFits)
{
    struct Case { double limit; int lossiness; bool bFewerColours; bool bScaled; };
    const Case cases[] = {
        {1.00, 0, false, false},        // fits as it is: one try
        {0.80, 1, false, false},        // lossiness alone
        {0.45, 200, true, false},       // lossiness at its most, then colours
        {0.10, 200, true, true},        // and then a smaller picture
    };
    for (const Case& c : cases) {
        const Outcome o = Search(cExportSettings(), 1.0, c.limit);
        ASSERT_TRUE(o.bFound) << c.limit;
        EXPECT_LE(ModelSize(o.best, 640, 1.0), c.limit);
        EXPECT_EQ(c.lossiness == 0, o.best.nLossiness == 0) << c.limit;
        EXPECT_EQ(c.lossiness == 200, o.best.nLossiness == 200) << c.limit;
        EXPECT_EQ(c.bFewerColours, o.best.nColours < 256) << c.limit;
        EXPECT_EQ(c.bScaled, o.best.nOutputWidth > 0) << c.limit;
        if (c.limit < 1.0) {
            EXPECT_GT(ModelSize(o.best, 640, 1.0), c.limit * 0.9) << "within 10 % of " << c.limit;
        }
        EXPECT_LE(o.tries.size(), 20u) << c.limit;
        EXPECT_EQ(0, o.tries[0].nLossiness) << "the user's own choices first";
    }
}

// Loss grows in order: no try has fewer colours while lossiness is below
// its most, and none is scaled while colours are above the fewest.
TEST(FitSearch, LossGrowsInOrder)
{
    const Outcome o = Search(cExportSettings(), 1.0, 0.05);
    ASSERT_TRUE(o.bFound);
    for (const cExportSettings& t : o.tries) {
        if (t.nColours < 256) {
            EXPECT_EQ(200, t.nLossiness);
        }
        if (t.nOutputWidth > 0) {
            EXPECT_EQ(cFitSearch::kFewestColours, t.nColours);
        }
    }
    // The aspect ratio of the screen is kept by the scaled tries.
    EXPECT_EQ(o.best.nOutputHeight, (o.best.nOutputWidth * 480 + 320) / 640);
}

// The user's own choices are where loss starts: a width of their own is
// scaled from, and their colours are not raised.
TEST(FitSearch, StartsFromTheUsersChoices)
{
    cExportSettings base;
    base.nOutputWidth = 320;
    base.nColours = 64;
    base.nLossiness = 40;
    const Outcome o = Search(base, 1.0, 0.02);
    ASSERT_TRUE(o.bFound);
    for (const cExportSettings& t : o.tries) {
        EXPECT_GE(t.nLossiness, 40);
        EXPECT_LE(t.nColours, 64);
        EXPECT_LE(t.nOutputWidth, 320);
    }
}

// When even the smallest try does not fit, the search ends with nothing.
TEST(FitSearch, NothingFits)
{
    const Outcome o = Search(cExportSettings(), 1.0, 1e-9);
    EXPECT_FALSE(o.bFound);
    EXPECT_LE(o.tries.size(), 5u);
    EXPECT_EQ(cFitSearch::kSmallestSide, o.tries.back().nOutputHeight);
}
