// DibToPixels: every accepted layout, both row orders, widening of 5- and
// 6-bit channels, and the headers it refuses.
#include "DibPixels.h"

#include "BitFieldLevels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Colours every layout holds exactly: channels 0 or 255.
const DWORD kCorners[8] = { 0x000000, 0xFF0000, 0x00FF00, 0x0000FF,
                            0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF };

struct Dib
{
    std::vector<BYTE> info;     // header, then masks or colour table
    std::vector<BYTE> bits;

    BITMAPINFOHEADER* Header() { return reinterpret_cast<BITMAPINFOHEADER*>(info.data()); }
};

Dib MakeHeader(LONG w, LONG h, WORD bits, DWORD compression, DWORD extra = 0)
{
    Dib d;
    d.info.assign(sizeof(BITMAPINFOHEADER) + extra, 0);
    BITMAPINFOHEADER* bh = d.Header();
    bh->biSize = sizeof(BITMAPINFOHEADER);
    bh->biWidth = w;
    bh->biHeight = h;
    bh->biPlanes = 1;
    bh->biBitCount = bits;
    bh->biCompression = compression;
    return d;
}

// Sets pixel x of a row to `value` in a layout of `bits` per pixel.
void Put(BYTE* row, DWORD x, WORD bits, DWORD value)
{
    if (bits < 8) {
        const DWORD perByte = 8 / bits, shift = (perByte - 1 - x % perByte) * bits;
        row[x / perByte] |= static_cast<BYTE>(value << shift);
    } else {
        for (DWORD i = 0; i < bits / 8u; ++i)
            row[x * (bits / 8) + i] = static_cast<BYTE>(value >> (8 * i));
    }
}

} // namespace

TEST(DibPixels, EveryLayoutAndRowOrder)
{
    struct Case { const char* name; WORD bits; DWORD compression; DWORD masks[3]; DWORD colours; };
    const Case cases[] = {
        { "1-bit", 1, BI_RGB, {}, 2 },
        { "4-bit", 4, BI_RGB, {}, 8 },
        { "8-bit", 8, BI_RGB, {}, 8 },
        { "5-5-5", 16, BI_RGB, {}, 0 },
        { "5-5-5 fields", 16, BI_BITFIELDS, { 0x7C00, 0x03E0, 0x001F }, 0 },
        { "5-6-5 fields", 16, BI_BITFIELDS, { 0xF800, 0x07E0, 0x001F }, 0 },
        { "24-bit", 24, BI_RGB, {}, 0 },
        { "32-bit", 32, BI_RGB, {}, 0 },
        { "32-bit fields", 32, BI_BITFIELDS, { 0xFF0000, 0xFF00, 0xFF }, 0 },
    };
    const LONG w = 5, h = 3;    // odd width: every layout but 32-bit pads its rows
    for (const Case& c : cases) {
        for (bool topDown : { false, true }) {
            SCOPED_TRACE(std::string(c.name) + (topDown ? ", top-down" : ", bottom-up"));
            Dib d = MakeHeader(w, topDown ? -h : h, c.bits, c.compression,
                               c.compression == BI_BITFIELDS ? 12 : 4 * c.colours);
            d.Header()->biClrUsed = c.colours;
            std::memcpy(d.info.data() + sizeof(BITMAPINFOHEADER), c.masks, c.compression == BI_BITFIELDS ? 12 : 0);
            RGBQUAD* table = reinterpret_cast<RGBQUAD*>(d.info.data() + sizeof(BITMAPINFOHEADER));
            for (DWORD k = 0; k < c.colours; ++k)
                table[k] = RGBQUAD{ BYTE(kCorners[k]), BYTE(kCorners[k] >> 8), BYTE(kCorners[k] >> 16), 0 };

            const DWORD stride = (c.bits * w + 31) / 32 * 4;
            d.bits.assign(stride * h, 0);
            std::vector<DWORD> expected;
            for (LONG y = 0; y < h; ++y)
                for (LONG x = 0; x < w; ++x) {
                    const DWORD k = (y * w + x) % (c.colours != 0 ? c.colours : 8);
                    const DWORD rgb = kCorners[k];
                    DWORD value = c.colours != 0 ? k : rgb;
                    if (c.bits == 16) {
                        const bool six = c.masks[1] == 0x07E0;
                        value = (rgb & 0xF8) >> 3 | (six ? (rgb & 0xFC00) >> 5 | (rgb & 0xF80000) >> 8
                                                         : (rgb & 0xF800) >> 6 | (rgb & 0xF80000) >> 9);
                    }
                    Put(&d.bits[stride * (topDown ? y : h - 1 - y)], x, c.bits, value);
                    expected.push_back(rgb);
                }

            DWORD gotW = 0, gotH = 0;
            ASSERT_TRUE(DibPixelSize(d.Header(), &gotW, &gotH));
            EXPECT_EQ(gotW, DWORD(w));
            EXPECT_EQ(gotH, DWORD(h));
            std::vector<DWORD> px(w * h, 0xDEADBEEF);
            ASSERT_TRUE(DibToPixels(d.Header(), d.bits.data(), px.data()));
            EXPECT_EQ(px, expected);
        }
    }
}

TEST(DibPixels, ShortChannelsWidenToTheFullRange)
{
    // One row of four 16-bit pixels, then the colours they must give.
    struct Case { const char* name; DWORD masks[3]; WORD px[4]; DWORD want[4]; };
    const Case cases[] = {
        { "5-5-5", { 0x7C00, 0x03E0, 0x001F },
          { 0x4210,     /* 16,16,16 */ 0x0001, /* blue 1 */ 0x7FFF, 0x2108 /* 8,8,8 */ },
          { 0x848484, 0x000008, 0xFFFFFF, 0x424242 } },
        { "5-6-5", { 0xF800, 0x07E0, 0x001F },
          { 0x8410,     /* 16,32,16 */ 0x0020, /* green 1 */ 0xFFFF, 0x07E0 /* green 63 */ },
          { 0x848284, 0x000400, 0xFFFFFF, 0x00FF00 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dib d = MakeHeader(4, 1, 16, BI_BITFIELDS, 12);
        std::memcpy(d.info.data() + sizeof(BITMAPINFOHEADER), c.masks, 12);
        DWORD px[4];
        ASSERT_TRUE(DibToPixels(d.Header(), reinterpret_cast<const BYTE*>(c.px), px));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(px[i], c.want[i]) << "pixel " << i;
    }
    // An index past a two-entry table shows black.
    Dib d = MakeHeader(2, 1, 8, BI_RGB, 8);
    d.Header()->biClrUsed = 2;
    std::memset(d.info.data() + sizeof(BITMAPINFOHEADER), 0xFF, 8);
    const BYTE bits[4] = { 1, 5 };
    DWORD px[2];
    ASSERT_TRUE(DibToPixels(d.Header(), bits, px));
    EXPECT_EQ(px[0], 0xFFFFFFu);
    EXPECT_EQ(px[1], 0u);
}

// Bit fields of any usual kind, after a 40-byte header or inside a version
// 4 or 5 one (whose alpha mask is not read), widen each channel's bits.
TEST(DibPixels, BitFieldsOfEveryUsualKind)
{
    struct Case { WORD bits; DWORD masks[3]; DWORD size; };
    const Case cases[] = {
        { 16, { 0xF800, 0x07E0, 0x001F }, 40 }, { 16, { 0x0F00, 0x00F0, 0x000F }, 124 },
        { 16, { 0x001F, 0x03E0, 0x7C00 }, 108 }, { 32, { 0xFF0000, 0x00FF00, 0x0000FF }, 124 },
        { 32, { 0x0000FF, 0x00FF00, 0xFF0000 }, 40 }, { 32, { 0xFF000000, 0x00FF0000, 0x0000FF00 }, 108 },
        { 32, { 0xE00000, 0x1C00, 0x03 }, 40 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + "-bit, red mask " + std::to_string(c.masks[0]));
        Dib d = MakeHeader(3, 2, c.bits, BI_BITFIELDS, c.size == 40 ? 12 : c.size - 40);
        d.Header()->biSize = c.size;
        std::memcpy(d.info.data() + sizeof(BITMAPINFOHEADER), c.masks, 12);
        if (c.size > 52)
            std::memset(d.info.data() + 52, 0xF0, 4);     // an alpha mask, not read
        const DWORD stride = (c.bits * 3 + 31) / 32 * 4;
        d.bits.assign(2 * stride, 0);
        std::vector<DWORD> expected(6), px(6);
        for (DWORD i = 0; i < 6; ++i)     // bottom-up rows
            Put(&d.bits[stride * (1 - i / 3)], i % 3, c.bits, FieldPixel(c.masks, 5 * i + 2, &expected[i]));
        ASSERT_TRUE(DibToPixels(d.Header(), d.bits.data(), px.data()));
        EXPECT_EQ(px, expected);
    }
}

TEST(DibPixels, RefusedHeaders)
{
    struct Case { const char* name; LONG w, h; WORD bits; DWORD compression; DWORD masks[3];
                  DWORD clrUsed; DWORD size; };
    const Case cases[] = {
        { "run-length 8-bit", 4, 4, 8, BI_RLE8, {}, 0, 40 },
        { "2-bit", 4, 4, 2, BI_RGB, {}, 0, 40 },
        { "24-bit fields", 4, 4, 24, BI_BITFIELDS, { 0xFF0000, 0xFF00, 0xFF }, 0, 40 },
        { "8-bit fields", 4, 4, 8, BI_BITFIELDS, { 0xE0, 0x1C, 0x03 }, 0, 40 },
        { "masks that overlap", 4, 4, 16, BI_BITFIELDS, { 0xF800, 0x0FE0, 0x001F }, 0, 40 },
        { "an empty mask", 4, 4, 16, BI_BITFIELDS, { 0xF800, 0, 0x001F }, 0, 40 },
        { "a mask past 16 bits", 4, 4, 16, BI_BITFIELDS, { 0x1F0000, 0x07E0, 0x001F }, 0, 40 },
        { "a mask of two runs", 4, 4, 32, BI_BITFIELDS, { 0xF0F000, 0xF00, 0xFF }, 0, 40 },
        { "a mask of 10 bits", 4, 4, 32, BI_BITFIELDS, { 0x3FF00000, 0xFFC00, 0x3FF }, 0, 40 },
        { "core header size", 4, 4, 24, BI_RGB, {}, 0, 12 },
        { "zero width", 0, 4, 24, BI_RGB, {}, 0, 40 },
        { "negative width", -4, 4, 24, BI_RGB, {}, 0, 40 },
        { "zero height", 4, 0, 24, BI_RGB, {}, 0, 40 },
        { "width 65536", 65536, 1, 24, BI_RGB, {}, 0, 40 },
        { "4097 x 4096", 4097, 4096, 24, BI_RGB, {}, 0, 40 },
        { "3 colours for 1 bit", 4, 4, 1, BI_RGB, {}, 3, 40 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dib d = MakeHeader(c.w, c.h, c.bits, c.compression, 12);
        d.Header()->biSize = c.size;
        d.Header()->biClrUsed = c.clrUsed;
        std::memcpy(d.info.data() + sizeof(BITMAPINFOHEADER), c.masks, 12);
        DWORD w = 7, h = 7, px[16] = {};
        const BYTE bits[64] = {};
        EXPECT_FALSE(DibPixelSize(d.Header(), &w, &h));
        EXPECT_FALSE(DibToPixels(d.Header(), bits, px));
        EXPECT_EQ(px[0], 0u);
    }
    EXPECT_FALSE(DibPixelSize(nullptr, nullptr, nullptr));
}
