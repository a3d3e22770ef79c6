// The LZW encoders of the gifencoder library with every minimum code size,
// and the encoder with choices: decoded by an independent decoder, each
// pixel must come out as itself or as one of the choices it was given.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "DibGeometry.h"
#include "FileWrite.h"
#include "LzwChoiceEncoder.h"
#include "LzwDecoder.h"
#include "LzwEncoder.h"

namespace {

// A picture of `colours` indices with runs, steps and noise in it.
std::vector<uint8_t> Picture(DWORD width, DWORD height, DWORD colours, uint32_t seed)
{
    std::vector<uint8_t> p(static_cast<size_t>(width) * height);
    uint32_t state = seed;
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const DWORD smooth = (x / 7 + y / 5) % colours;
            p[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((state >> 28) == 0 ? (state >> 8) % colours
                                                                                                : smooth);
        }
    return p;
}

std::vector<uint8_t> Bytes(const MemorySink& sink)
{
    return std::vector<uint8_t>(sink.Data(), sink.Data() + sink.Size());
}

std::vector<uint8_t> EncodeExact(const std::vector<uint8_t>& pixels, DWORD width, DWORD height, DWORD codeSize)
{
    DibGeometry g;
    g.width = width;
    g.height = height;
    g.stride = width;
    g.topDown = true;
    MemorySink sink;
    if (!LzwEncodeImageData(sink, g, pixels.data(), codeSize))
        return {};
    return Bytes(sink);
}

std::vector<uint8_t> EncodeChoices(const std::vector<uint8_t>& pixels, DWORD width, DWORD height, DWORD codeSize,
                                   const LzwChoices& choices)
{
    MemorySink sink;
    if (!LzwEncodeChoices(sink, width, height, pixels.data(), codeSize, choices))
        return {};
    return Bytes(sink);
}

// A grey ramp of `count` colours, one level apart per step of `step`.
std::vector<RGBQUAD> Ramp(DWORD count, int step)
{
    std::vector<RGBQUAD> table(256);
    for (DWORD i = 0; i < count; ++i) {
        const BYTE v = static_cast<BYTE>(i * step > 255 ? 255 : i * step);
        table[i] = RGBQUAD{ v, v, v, 0 };
    }
    return table;
}

int Distance2(const RGBQUAD& a, const RGBQUAD& b)
{
    const int dr = a.rgbRed - b.rgbRed, dg = a.rgbGreen - b.rgbGreen, db = a.rgbBlue - b.rgbBlue;
    return (2 * dr * dr + 4 * dg * dg + 3 * db * db) / 9;
}

} // namespace

// Every minimum code size, with pictures that fill the table several times
// (Clears at 12 bits) and ones that do not, decodes to the same pixels.
TEST(LzwCodeSizes, EveryMinimumCodeSizeDecodesToThePixels)
{
    struct Case { DWORD width, height, codeSize; };
    const Case cases[] = { {1, 1, 2}, {5, 3, 2}, {300, 200, 2}, {97, 61, 3}, {320, 240, 4},
                           {640, 100, 5}, {33, 700, 6}, {256, 256, 7}, {640, 480, 8} };
    for (const Case& c : cases) {
        const std::vector<uint8_t> pixels = Picture(c.width, c.height, 1u << c.codeSize, c.width * 7 + c.codeSize);
        const std::vector<uint8_t> data = EncodeExact(pixels, c.width, c.height, c.codeSize);
        ASSERT_FALSE(data.empty());
        EXPECT_EQ(c.codeSize, data[0]);
        EXPECT_EQ(pixels, reference::DecodeLzw(data, pixels.size())) << c.width << "x" << c.height << " size "
                                                                       << c.codeSize;
    }
}

// Fewer bits a code where the indices allow it: a picture of 4 colours gets
// shorter with each smaller code size, most of all a small one, whose codes
// stay short; the encoders refuse sizes outside 2..8.
TEST(LzwCodeSizes, SmallerCodeSizeShortensFewColours)
{
    const std::vector<uint8_t> pixels = Picture(200, 150, 4, 99);
    EXPECT_LT(EncodeExact(pixels, 200, 150, 2).size(), EncodeExact(pixels, 200, 150, 5).size());
    EXPECT_LT(EncodeExact(pixels, 200, 150, 5).size(), EncodeExact(pixels, 200, 150, 8).size());
    const std::vector<uint8_t> small = Picture(40, 30, 4, 99);
    EXPECT_LT(EncodeExact(small, 40, 30, 2).size(), EncodeExact(small, 40, 30, 8).size() * 9 / 10);
    EXPECT_TRUE(EncodeExact(pixels, 200, 150, 1).empty());
    EXPECT_TRUE(EncodeExact(pixels, 200, 150, 9).empty());
    EXPECT_TRUE(EncodeChoices(pixels, 200, 150, 1, LzwChoices()).empty());
}

// Without choices the choice encoder makes the exact encoder's bytes: the
// same strings, codes and widths, however differently it finds them.
TEST(LzwChoices, NoChoicesGiveTheExactEncodersBytes)
{
    for (DWORD codeSize : { 2u, 5u, 8u }) {
        const std::vector<uint8_t> pixels = Picture(400, 300, 1u << codeSize, codeSize);
        const std::vector<uint8_t> data = EncodeChoices(pixels, 400, 300, codeSize, LzwChoices());
        EXPECT_EQ(EncodeExact(pixels, 400, 300, codeSize), data) << "size " << codeSize;
        EXPECT_EQ(pixels, reference::DecodeLzw(data, pixels.size())) << "size " << codeSize;
    }
}

// Still pixels come out as themselves or transparent, the others as
// themselves; where most of the picture stays, the choices beat both the
// exact picture and the picture with every still pixel transparent.
TEST(LzwChoices, StillPixelsAreThemselvesOrTransparent)
{
    const DWORD width = 320, height = 240;
    const BYTE transparent = 63;
    std::vector<uint8_t> pixels = Picture(width, height, 63, 5);
    std::vector<uint8_t> still(pixels.size()), allTransparent(pixels);
    for (size_t i = 0; i < pixels.size(); ++i) {
        const DWORD x = static_cast<DWORD>(i % width), y = static_cast<DWORD>(i / width);
        still[i] = (x / 40 + y / 30) % 3 != 0 || (x * 7 + y) % 11 == 0;
        if (still[i])
            allTransparent[i] = transparent;
    }
    LzwChoices choices;
    choices.still = still.data();
    choices.stillIndex = transparent;
    const std::vector<uint8_t> data = EncodeChoices(pixels, width, height, 6, choices);
    const std::vector<uint8_t> decoded = reference::DecodeLzw(data, pixels.size());
    ASSERT_EQ(pixels.size(), decoded.size());
    size_t nTransparent = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (still[i])
            ASSERT_TRUE(decoded[i] == pixels[i] || decoded[i] == transparent) << "pixel " << i;
        else
            ASSERT_EQ(pixels[i], decoded[i]) << "pixel " << i;
        nTransparent += decoded[i] == transparent ? 1 : 0;
    }
    EXPECT_GT(nTransparent, 0u);
    EXPECT_LT(data.size(), EncodeExact(pixels, width, height, 6).size());
    EXPECT_LE(data.size(), EncodeExact(allTransparent, width, height, 6).size());
}

// Lossy compression: still pixels, pixels of the key colour and the
// transparent index stay exactly as they are, no other pixel becomes the
// key or transparent colour, every other pixel stays within the reach the
// lossiness allows (half as much again where the picture is busiest), and
// the data gets shorter as the lossiness grows.
TEST(LzwChoices, LossyKeepsStillAndKeyPixels)
{
    const DWORD width = 256, height = 160, count = 64;
    const std::vector<RGBQUAD> table = Ramp(count, 4);
    const BYTE key = 0, transparent = 63;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height), still(pixels.size());
    uint32_t state = 7;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const DWORD x = static_cast<DWORD>(i % width), y = static_cast<DWORD>(i / width);
        state = state * 1664525u + 1013904223u;
        // A gentle gradient with grain, a key-coloured stripe, a still block.
        int v = static_cast<int>(x / 6 + y / 8) % 60 + 1 + static_cast<int>((state >> 29) % 3);
        pixels[i] = static_cast<uint8_t>(x % 50 == 7 ? key : v);
        still[i] = x >= 100 && x < 150 && y >= 40 && y < 90;
    }
    size_t previous = EncodeExact(pixels, width, height, 6).size();
    for (DWORD level : { 20u, 80u, 200u }) {
        LzwChoices choices;
        choices.still = still.data();
        choices.stillIndex = transparent;
        choices.keyIndex = key;
        choices.lossiness = level;
        choices.colours = table.data();
        choices.count = count;
        const std::vector<uint8_t> data = EncodeChoices(pixels, width, height, 6, choices);
        const std::vector<uint8_t> decoded = reference::DecodeLzw(data, pixels.size());
        ASSERT_EQ(pixels.size(), decoded.size()) << "level " << level;
        const int reach = static_cast<int>(LzwLossyReach(level));
        const int bound = (reach * 3 + 1) / 2 + 1;
        for (size_t i = 0; i < pixels.size(); ++i) {
            if (still[i]) {
                ASSERT_TRUE(decoded[i] == pixels[i] || decoded[i] == transparent) << "still pixel " << i;
            } else if (pixels[i] == key) {
                ASSERT_EQ(key, decoded[i]) << "key pixel " << i;
            } else {
                ASSERT_NE(key, decoded[i]) << "pixel " << i << " made key-coloured";
                ASSERT_NE(transparent, decoded[i]) << "pixel " << i << " made transparent";
                ASSERT_LE(Distance2(table[decoded[i]], table[pixels[i]]), bound * bound) << "pixel " << i;
            }
        }
        EXPECT_LT(data.size(), previous) << "level " << level;
        previous = data.size();
    }
}

// Where the picture is smooth a difference shows, and the lossy encoder
// allows less of it there: on a gentle ramp beside a busy scatter of the
// same colours, every pixel of the ramp stays within a third of the reach,
// while the scatter takes colours further off.
TEST(LzwChoices, LossyKeepsSmoothAreasCloser)
{
    const DWORD width = 320, height = 120, count = 64;
    const std::vector<RGBQUAD> table = Ramp(count, 4);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    uint32_t state = 11;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const DWORD x = static_cast<DWORD>(i % width), y = static_cast<DWORD>(i / width);
        state = state * 1664525u + 1013904223u;
        pixels[i] = static_cast<uint8_t>(x < width / 2 ? (state >> 26) % count : (x - width / 2) / 5 + y / 20);
    }
    LzwChoices choices;
    choices.lossiness = 200;
    choices.colours = table.data();
    choices.count = count;
    const std::vector<uint8_t> decoded =
        reference::DecodeLzw(EncodeChoices(pixels, width, height, 6, choices), pixels.size());
    ASSERT_EQ(pixels.size(), decoded.size());
    const int third = static_cast<int>(LzwLossyReach(200)) / 3;
    int smoothWorst = 0, busyWorst = 0;
    for (size_t i = 0; i < pixels.size(); ++i) {
        const int d = Distance2(table[decoded[i]], table[pixels[i]]);
        // The ramp's first column has the scatter beside it.
        const DWORD x = static_cast<DWORD>(i % width);
        int& worst = x < width / 2 ? busyWorst : smoothWorst;
        worst = d > worst && x != width / 2 ? d : worst;
    }
    EXPECT_LE(smoothWorst, third * third);
    EXPECT_GT(busyWorst, third * third);
}

// The deferred Clear: with a full table kept while it packs well, both
// encoders still decode to the pixels (tables that fill and freeze, then
// clear when the picture changes), and a picture that repeats its patterns
// gets shorter than with a Clear at every full table.
TEST(LzwDeferredClear, DecodesAndShortensRepeatedPatterns)
{
    const DWORD width = 640, height = 240;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
    uint32_t state = 3;
    for (DWORD y = 0; y < height; ++y)
        for (DWORD x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            // Banded detail in the top half, noise in the bottom half.
            pixels[y * width + x] = static_cast<uint8_t>(y < height / 2 ? ((x + y / 4) / 3 + (x * y >> 9)) & 63
                                                                       : (state >> 24) & 63);
        }
    DibGeometry g = { width, height, width, true };
    MemorySink immediate, deferred;
    ASSERT_TRUE(LzwEncodeImageData(immediate, g, pixels.data(), 6, false));
    ASSERT_TRUE(LzwEncodeImageData(deferred, g, pixels.data(), 6, true));
    EXPECT_EQ(pixels, reference::DecodeLzw(Bytes(deferred), pixels.size()));
    EXPECT_LT(deferred.Size(), immediate.Size());

    LzwChoices choices;
    choices.deferClear = true;
    const std::vector<uint8_t> data = EncodeChoices(pixels, width, height, 6, choices);
    EXPECT_EQ(Bytes(deferred), data) << "both encoders defer alike";
    EXPECT_EQ(pixels, reference::DecodeLzw(data, pixels.size()));
}
