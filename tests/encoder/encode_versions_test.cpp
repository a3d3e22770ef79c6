// The versions of an image's data and the one kept: decoded, every pixel
// shows its colour, or (a still pixel) the screen through the transparent
// index; the table is cut to the colours used and the code size follows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "DibGeometry.h"
#include "EncodeVersions.h"
#include "LzwDecoder.h"
#include "LzwEncoder.h"

namespace {

struct Case
{
    const char* name;
    DWORD count;            // the image's own table, or 0 for the global one
    DWORD colours;          // indices the picture uses: 0 .. colours - 1, at every 3rd index for a global table
    DWORD stillPercent;     // of the picture, in a block
    int key;                // -1 or an index the picture uses
    DWORD lossiness;
    DWORD wantVersions;     // on a complete global table, with those of a table of its own
    DWORD globalCount;      // the file's global table: the source's reversed, cut to this many
    bool inOrder;           // ... or the source's own, every index its own (written as given)
};

bool SameColour(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

} // namespace

TEST(EncodeVersions, KeptVersionShowsThePicture)
{
    const Case cases[] = {
        {"own table, no still", 200, 20, 0, -1, 0, 1, 256, false},
        {"own table, half still", 200, 20, 50, -1, 0, 2, 256, false},
        {"own table, nearly no still", 200, 20, 1, -1, 0, 1, 256, false},
        {"own table, key colour, still", 64, 30, 40, 3, 0, 2, 256, false},
        {"global table, half still", 0, 40, 50, -1, 0, 4, 256, false},
        {"global table, lossy", 0, 40, 30, -1, 100, 2, 256, false},
        {"own table, lossy, key", 100, 50, 20, 5, 60, 1, 256, false},
        {"global table reordered", 0, 40, 50, 6, 0, 4, 256, false},
        {"global table lacking colours", 0, 40, 50, -1, 0, 2, 100, false},
        {"global table in order, no still", 0, 40, 0, -1, 0, 2, 256, true},
        {"global table in order, half still, key", 0, 40, 50, 6, 0, 4, 256, true},
        {"global table in order, lossy", 0, 40, 30, -1, 100, 2, 256, true},
    };
    std::vector<RGBQUAD> table(256);
    for (DWORD i = 0; i < 256; ++i)
        table[i] = RGBQUAD{ static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i / 3), 0 };
    for (const Case& c : cases) {
        const DWORD width = 160, height = 90;
        std::vector<BYTE> pixels(width * height), still(width * height);
        for (DWORD y = 0; y < height; ++y)
            for (DWORD x = 0; x < width; ++x) {
                const DWORD v = (x / 5 + y / 3 + (x * y) % 7) % c.colours;
                pixels[y * width + x] = static_cast<BYTE>(c.count != 0 ? v : v * 3);
                still[y * width + x] = x < width * c.stillPercent / 100;
            }
        // The file's global table: the source's backwards, its first globalCount.
        GlobalPalette global;
        global.SetIdentity(table.data());
        for (DWORD i = 0; i < 256; ++i) {
            const DWORD at = 255 - i;
            global.fileIndex[i] = static_cast<short>(at < c.globalCount ? at : -1);
            if (at < c.globalCount)
                global.colours[at] = table[i];
        }
        global.count = c.globalCount;
        if (c.inOrder)
            global.SetIdentity(table.data());
        ImageVersionsIn in = { width, height, pixels.data(), still.data(), table.data(), c.count, &global, c.key,
                               c.lossiness };
        ImageVersionOut out;
        ASSERT_TRUE(EncodeShortestVersion(in, out)) << c.name;
        EXPECT_EQ(c.wantVersions, out.nVersions) << c.name;
        std::vector<uint8_t> data(out.data.Data(), out.data.Data() + out.data.Size());
        const std::vector<uint8_t> decoded = reference::DecodeLzw(data, pixels.size());
        ASSERT_EQ(pixels.size(), decoded.size()) << c.name;
        // The code size covers the indices and no more than needed.
        DWORD highest = 0;
        for (uint8_t d : decoded)
            highest = d > highest ? d : highest;
        if (out.transparent)
            highest = out.transparentIndex > highest ? out.transparentIndex : highest;
        EXPECT_LT(highest, 1u << data[0]) << c.name;
        EXPECT_TRUE(data[0] == 2 || highest >= (1u << (data[0] - 1))) << c.name << ": code size " << int(data[0]);
        if (c.count != 0) {
            EXPECT_LE(out.count, c.colours + 1) << c.name << ": the table is cut to the colours used";
        }
        // Never longer than the exact indices at 8 bits, as written before.
        DibGeometry g = { width, height, width, true };
        MemorySink before;
        ASSERT_TRUE(LzwEncodeImageData(before, g, pixels.data()));
        EXPECT_LE(out.data.Size(), before.Size()) << c.name;
        EXPECT_EQ(c.key >= 0, out.transparent && c.key >= 0) << c.name;
        const RGBQUAD* shown = out.count != 0 ? out.table : global.colours;
        // A global table lacking a colour the picture uses gives a table of
        // its own (on a complete one, it may have one when that is shorter).
        if (c.count != 0 || c.globalCount < 256) {
            EXPECT_NE(0u, out.count) << c.name;
        }
        for (size_t i = 0; i < pixels.size(); ++i) {
            const bool bTransparent = out.transparent && decoded[i] == out.transparentIndex;
            if (c.key >= 0 && pixels[i] == c.key) {
                ASSERT_TRUE(bTransparent) << c.name << ": key pixel " << i;
            } else if (bTransparent) {
                ASSERT_TRUE(still[i]) << c.name << ": pixel " << i << " made transparent";
            } else if (c.lossiness == 0 || still[i]) {
                ASSERT_TRUE(SameColour(table[pixels[i]], shown[decoded[i]])) << c.name << ": pixel " << i;
            }
        }
    }
}

// A few colours far into the global table (a cursor over a screen) take a
// table of their own, cut to them, with short codes; the same colours at the
// global table's start keep it, and no second table is tried; a table that
// costs more than its short codes save (a tiny image) is not kept.
TEST(EncodeVersions, FewColoursFarIntoTheGlobalTableTakeTheirOwn)
{
    struct Few { const char* name; DWORD firstAt, colours, width, height; bool bOwn; DWORD versions, codeSize; };
    const Few cases[] = {
        {"at the end", 252, 4, 16, 21, true, 2, 2},
        {"at the start", 0, 4, 16, 21, false, 1, 2},
        {"tiny, at the end", 236, 20, 8, 8, false, 2, 8},
    };
    std::vector<RGBQUAD> table(256);
    for (DWORD i = 0; i < 256; ++i)
        table[i] = RGBQUAD{ static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), 0 };
    for (const Few& c : cases) {
        const DWORD width = c.width, height = c.height;
        std::vector<BYTE> pixels(width * height);
        for (DWORD y = 0; y < height; ++y)
            for (DWORD x = 0; x < width; ++x)
                pixels[y * width + x] = static_cast<BYTE>(c.firstAt + (y * width + x) * 7 % c.colours);
        GlobalPalette global;
        global.SetIdentity(table.data());
        ImageVersionsIn in = { width, height, pixels.data(), nullptr, table.data(), 0, &global, -1, 0 };
        ImageVersionOut out;
        ASSERT_TRUE(EncodeShortestVersion(in, out)) << c.name;
        EXPECT_EQ(c.bOwn, out.count != 0) << c.name;
        EXPECT_EQ(c.versions, out.nVersions) << c.name;
        std::vector<uint8_t> data(out.data.Data(), out.data.Data() + out.data.Size());
        EXPECT_EQ(c.codeSize, data[0]) << c.name;
        EXPECT_LE(out.count, c.colours) << c.name;
        const std::vector<uint8_t> decoded = reference::DecodeLzw(data, pixels.size());
        ASSERT_EQ(pixels.size(), decoded.size()) << c.name;
        const RGBQUAD* shown = out.count != 0 ? out.table : global.colours;
        for (size_t i = 0; i < pixels.size(); ++i)
            ASSERT_TRUE(SameColour(table[pixels[i]], shown[decoded[i]])) << c.name << ": pixel " << i;
    }
}
