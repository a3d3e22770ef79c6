// The area-averaging scaler: exact factors give the rounded mean of each
// block, any factor keeps a flat picture flat, and the sizes asked for.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ImageScaler.h"

namespace {

DWORD Pixel(int r, int g, int b) { return static_cast<DWORD>(r) << 16 | static_cast<DWORD>(g) << 8 | b; }

std::vector<DWORD> Noise(DWORD width, DWORD height, uint32_t seed)
{
    std::vector<DWORD> p(static_cast<size_t>(width) * height);
    for (DWORD& v : p) {
        seed = seed * 1664525u + 1013904223u;
        v = seed >> 8;
    }
    return p;
}

} // namespace

// Reduction by whole factors (and by different ones across and down):
// every output pixel is the rounded mean of its block, channel by channel.
TEST(ImageScaler, WholeFactorsGiveTheBlockMeans)
{
    struct Case { DWORD fx, fy, width, height; };
    const Case cases[] = { {2, 2, 8, 6}, {3, 3, 9, 12}, {4, 1, 16, 5}, {1, 5, 7, 20}, {2, 3, 640, 480} };
    for (const Case& c : cases) {
        const std::vector<DWORD> src = Noise(c.width, c.height, c.width + c.fx);
        const DWORD w = c.width / c.fx, h = c.height / c.fy;
        std::vector<DWORD> dst(static_cast<size_t>(w) * h);
        ASSERT_TRUE(ScalePixels(src.data(), c.width, c.height, dst.data(), w, h));
        for (DWORD y = 0; y < h; ++y)
            for (DWORD x = 0; x < w; ++x)
                for (int shift : { 16, 8, 0 }) {
                    DWORD sum = 0;
                    for (DWORD j = 0; j < c.fy; ++j)
                        for (DWORD i = 0; i < c.fx; ++i)
                            sum += src[(y * c.fy + j) * c.width + x * c.fx + i] >> shift & 0xFF;
                    const DWORD n = c.fx * c.fy;
                    ASSERT_EQ((2 * sum + n) / (2 * n), dst[y * w + x] >> shift & 0xFF)
                        << c.fx << "x" << c.fy << " at " << x << "," << y;
                }
    }
}

// Any factor, up or down: one colour stays that colour; a source pixel
// split between two outputs counts in each by its part.
TEST(ImageScaler, AnyFactorKeepsAreasTheirColour)
{
    struct Case { DWORD width, height, w, h; };
    const Case cases[] = { {5, 5, 3, 3}, {640, 480, 427, 320}, {7, 3, 20, 11}, {1, 1, 4, 4}, {1920, 1080, 1, 1} };
    for (const Case& c : cases) {
        std::vector<DWORD> src(static_cast<size_t>(c.width) * c.height, Pixel(10, 200, 77));
        std::vector<DWORD> dst(static_cast<size_t>(c.w) * c.h);
        ASSERT_TRUE(ScalePixels(src.data(), c.width, c.height, dst.data(), c.w, c.h));
        for (DWORD v : dst)
            ASSERT_EQ(Pixel(10, 200, 77), v) << c.width << "->" << c.w;
    }
    // Five across to two: each output pixel takes two source pixels whole
    // and half of the middle one (black, black, grey 100, white, white).
    const DWORD row[5] = { 0, 0, Pixel(100, 100, 100), Pixel(255, 255, 255), Pixel(255, 255, 255) };
    DWORD out[2] = { 1, 1 };
    ASSERT_TRUE(ScalePixels(row, 5, 1, out, 2, 1));
    EXPECT_EQ(Pixel(20, 20, 20), out[0]);       // (0 + 0 + 100 / 2) / 2.5
    EXPECT_EQ(Pixel(224, 224, 224), out[1]);    // (100 / 2 + 255 + 255) / 2.5
}

// The output screen from a request, the aspect ratio kept for a side not
// given; and each image's size by the screen's factors.
TEST(ImageScaler, SizesFollowTheScreen)
{
    struct Case { DWORD sw, sh, nw, nh; bool scaled; DWORD w, h; };
    const Case cases[] = {
        {640, 480, 0, 0, false, 0, 0},  {640, 480, 320, 0, true, 320, 240}, {640, 480, 0, 100, true, 133, 100},
        {1920, 1080, 480, 0, true, 480, 270}, {640, 480, 100, 100, true, 100, 100}, {3, 1000, 1, 0, true, 1, 333},
        {1000, 1, 0, 1, true, 1000, 1},  {2, 60000, 0, 65535, true, 2, 65535}, {1, 1, 70000, 0, true, 65535, 65535},
    };
    for (const Case& c : cases) {
        DWORD w = 0, h = 0;
        EXPECT_EQ(c.scaled, OutputScreen(c.sw, c.sh, c.nw, c.nh, &w, &h)) << c.sw << "x" << c.sh;
        if (c.scaled) {
            EXPECT_EQ(c.w, w) << c.sw << "x" << c.sh << " to " << c.nw << "x" << c.nh;
            EXPECT_EQ(c.h, h) << c.sw << "x" << c.sh << " to " << c.nw << "x" << c.nh;
        }
    }
    DWORD w = 0, h = 0;
    ScaledSize(320, 240, 640, 480, 160, 120, &w, &h);           // half the screen: half the size
    EXPECT_EQ(80u, w);
    EXPECT_EQ(60u, h);
    ScaledSize(1, 1, 640, 480, 64, 48, &w, &h);                 // never below one pixel
    EXPECT_EQ(1u, w);
    EXPECT_EQ(1u, h);
}
