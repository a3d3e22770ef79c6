// Cut colour tables: every pixel shows the colour it had, the key colour
// keeps an entry of its own, and the code size follows the entries.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "TableTrim.h"

namespace {

bool Same(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

} // namespace

TEST(TableTrim, CodeSizeFollowsTheEntries)
{
    const DWORD cases[][2] = { {1, 2}, {2, 2}, {4, 2}, {5, 3}, {8, 3}, {9, 4}, {32, 5}, {33, 6}, {128, 7},
                               {129, 8}, {256, 8} };
    for (const auto& c : cases)
        EXPECT_EQ(c[1], CodeSizeFor(c[0])) << c[0] << " entries";
}

// Tables of several shapes cut to the indices some pixels use: each pixel,
// remapped, shows its old colour; the cut table has one entry a colour;
// the key colour, and the transparent entry asked for, come out as said.
TEST(TableTrim, CutTableShowsTheSameColours)
{
    struct Case
    {
        DWORD tableCount;
        DWORD usedEvery;        // pixels use indices 0, usedEvery, 2 usedEvery, ...
        int key;
        bool addTransparent;
        DWORD wantCount;        // entries of the cut table
        DWORD wantCodeSize;
    };
    // Colours repeat every 40 entries in the tables below (duplicates).
    const Case cases[] = {
        {256, 1, -1, false, 40, 6},     // duplicates merged
        {256, 1, -1, true, 41, 6},      // and one more for transparency
        {256, 16, -1, true, 6, 3},      // colours 0, 16, 32, 8, 24; + transparent
        {256, 16, 48, true, 6, 3},      // the key (48, colour 8) has its own entry, 128 (colour 8) another
        {16, 5, -1, false, 4, 2},       // 0, 5, 10, 15
        {3, 1, 2, false, 3, 2},
        {256, 64, 0, false, 4, 2},      // 0 (key), 64 (= 24), 128 (= 8), 192 (= 32)
    };
    for (const Case& c : cases) {
        std::vector<RGBQUAD> table(256);
        for (DWORD i = 0; i < 256; ++i)
            table[i] = RGBQUAD{ static_cast<BYTE>(i % 40), static_cast<BYTE>(3 * (i % 40)), 7, 0 };
        std::vector<BYTE> pixels;
        bool used[256] = {};
        for (DWORD i = 0; i < c.tableCount; i += c.usedEvery) {
            pixels.push_back(static_cast<BYTE>(i));
            pixels.push_back(static_cast<BYTE>(i));
            used[i] = true;
        }
        TrimmedTable cut;
        TrimTable(used, table.data(), c.tableCount, c.key, c.addTransparent, cut);
        EXPECT_EQ(c.wantCount, cut.count) << "case " << &c - cases;
        EXPECT_EQ(c.wantCodeSize, cut.codeSize) << "case " << &c - cases;
        std::vector<BYTE> remapped(pixels);
        RemapIndices(remapped.data(), remapped.size(), cut.remap);
        for (size_t i = 0; i < pixels.size(); ++i) {
            ASSERT_LT(remapped[i], cut.count);
            EXPECT_TRUE(Same(table[pixels[i]], cut.colours[remapped[i]])) << "pixel " << i;
            // Only the key's pixels land on the transparent entry.
            EXPECT_EQ(static_cast<int>(pixels[i]) == c.key, static_cast<int>(remapped[i]) == cut.transparentIndex)
                << "pixel " << i;
        }
        EXPECT_EQ(c.key >= 0 || c.addTransparent, cut.transparentIndex >= 0) << "case " << &c - cases;
        for (DWORD i = 0; i < cut.count; ++i)
            for (DWORD j = i + 1; j < cut.count; ++j) {
                if (static_cast<int>(i) != cut.transparentIndex && static_cast<int>(j) != cut.transparentIndex) {
                    EXPECT_FALSE(Same(cut.colours[i], cut.colours[j])) << "entries " << i << " and " << j;
                }
            }
    }
}
