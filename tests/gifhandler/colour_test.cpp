// Frames of every format the handler takes, written through AVIFile as any
// client would: each file gets, beside it, the colours a viewer must show
// (.rgb) and what to hold them to (.check), for check_colours.py to compare
// with what PIL decodes on the host.
#include <windows.h>
#include <initguid.h>   // the AVIFile interface identifiers, defined once here
#include <vfw.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ClientHarness.h"

namespace {

const UINT kCreateMode = OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE;

// A picture as a viewer shows it: red, green, blue per pixel, top row first.
struct Rgb
{
    int width = 0, height = 0;
    std::vector<uint8_t> bytes;

    uint8_t* At(int x, int y) { return &bytes[3 * (static_cast<size_t>(y) * width + x)]; }
};

Rgb Blank(int width, int height)
{
    Rgb p;
    p.width = width;
    p.height = height;
    p.bytes.assign(3 * static_cast<size_t>(width) * height, 0);
    return p;
}

// The layouts a client may send; channel values survive the layout's bits.
enum class Layout { Rgb555, Bitfields565, Rgb24, Rgb32, Bitfields32 };

struct Format
{
    Layout layout;
    bool topDown;
};

int Bits(Layout l)
{
    switch (l) {
    case Layout::Rgb555: case Layout::Bitfields565: return 16;
    case Layout::Rgb24: return 24;
    default: return 32;
    }
}

// 5 or 6 bits widened as the handler does: the top bits repeated below.
uint8_t Widen(int value, int bits) { return static_cast<uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8))); }

// The format block and rows of a picture in one layout.
void Encode(const Rgb& p, const Format& f, std::vector<BYTE>& format, std::vector<BYTE>& rows)
{
    const bool fields = f.layout == Layout::Bitfields565 || f.layout == Layout::Bitfields32;
    format.assign(sizeof(BITMAPINFOHEADER) + (fields ? 12 : 0), 0);
    BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(format.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = p.width;
    h->biHeight = f.topDown ? -p.height : p.height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(Bits(f.layout));
    h->biCompression = fields ? BI_BITFIELDS : BI_RGB;
    if (fields) {
        const DWORD masks565[3] = {0xF800, 0x07E0, 0x001F}, masks32[3] = {0xFF0000, 0xFF00, 0xFF};
        std::memcpy(format.data() + sizeof(BITMAPINFOHEADER), f.layout == Layout::Bitfields565 ? masks565 : masks32, 12);
    }
    const int bytes = Bits(f.layout) / 8;
    const size_t stride = (static_cast<size_t>(p.width) * bytes + 3) & ~size_t(3);
    rows.assign(stride * p.height, 0);
    for (int y = 0; y < p.height; ++y) {
        BYTE* out = &rows[stride * (f.topDown ? y : p.height - 1 - y)];
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* c = &p.bytes[3 * (static_cast<size_t>(y) * p.width + x)];
            switch (f.layout) {
            case Layout::Rgb555: {
                const WORD w = static_cast<WORD>(((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3));
                std::memcpy(out + 2 * x, &w, 2);
                break;
            }
            case Layout::Bitfields565: {
                const WORD w = static_cast<WORD>(((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3));
                std::memcpy(out + 2 * x, &w, 2);
                break;
            }
            default:
                out[bytes * x + 0] = c[2];
                out[bytes * x + 1] = c[1];
                out[bytes * x + 2] = c[0];
                break;
            }
        }
    }
}

// A picture of at most 200 colours whose channels the layout keeps exactly.
Rgb FewColours(Layout layout)
{
    Rgb p = Blank(23, 13);
    const int greenBits = layout == Layout::Bitfields565 ? 6 : 5;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int n = (x * 7 + y * 13) % 200;
            uint8_t* c = p.At(x, y);
            c[0] = Widen(n % 32, 5);
            c[1] = Widen((n * 3) % (1 << greenBits), greenBits);
            c[2] = Widen((n / 7) % 32, 5);
        }
    return p;
}

// Smooth light and colour with fine texture: far more than 256 colours.
Rgb Natural(int width, int height, int shift = 0)
{
    Rgb p = Blank(width, height);
    uint32_t state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int grain = static_cast<int>((state >> 24) % 9) - 4;
            const double u = (x + shift) / static_cast<double>(width), v = y / static_cast<double>(height);
            uint8_t* c = p.At(x, y);
            c[0] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, 200 * v + 40 * std::sin(7 * u) + grain + 10)));
            c[1] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, 180 * u * (1 - v) + 60 + grain)));
            c[2] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, 120 + 100 * std::cos(5 * u * v) + grain)));
        }
    return p;
}

// One frame, its format first, into a GIF written through AVIFile.
void WriteFrame(handlertest::ClientGif& gif, const std::vector<BYTE>& format, const std::vector<BYTE>& rows)
{
    EXPECT_EQ(S_OK, gif.Format(format));
    EXPECT_EQ(S_OK, gif.Frame(rows));
}

// The format block (header, then the table) and rows of a 1-, 4- or 8-bit
// picture of these indices, top row first.
void EncodePalette(int width, int height, WORD bits, const std::vector<RGBQUAD>& table,
                   const std::vector<BYTE>& indices, std::vector<BYTE>& format, std::vector<BYTE>& rows)
{
    BITMAPINFOHEADER h = {DWORD(sizeof h), width, height, 1, bits, BI_RGB, 0, 0, 0, DWORD(table.size()), 0};
    format.assign(reinterpret_cast<BYTE*>(&h), reinterpret_cast<BYTE*>(&h + 1));
    format.insert(format.end(), reinterpret_cast<const BYTE*>(table.data()),
                  reinterpret_cast<const BYTE*>(table.data() + table.size()));
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    rows.assign(stride * height, 0);
    for (int i = 0; i < width * height; ++i) {
        const int x = i % width, bit = x * bits;
        rows[stride * (height - 1 - i / width) + bit / 8] |= static_cast<BYTE>(indices[i] << (8 - bits - bit % 8));
    }
}

class ColourTest : public ::testing::Test
{
protected:
    void SetUp() override { ::AVIFileInit(); }
    void TearDown() override { ::AVIFileExit(); }

    // Writes the frames, each with its own format, through the installed
    // handler, and beside the file the colours to see and the checks.
    void Write(const std::string& name, const std::vector<Rgb>& frames, const std::vector<Format>& formats,
               bool dither, const std::string& checks)
    {
        const std::string base = testsupport::WorkPath(name);
        std::vector<BYTE> expected;
        {
            handlertest::ClientGif gif(base + ".gif");
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetDithering(dither));
            for (size_t i = 0; i < frames.size(); ++i) {
                std::vector<BYTE> format, rows;
                Encode(frames[i], formats[i % formats.size()], format, rows);
                WriteFrame(gif, format, rows);
                expected.insert(expected.end(), frames[i].bytes.begin(), frames[i].bytes.end());
            }
        }
        const std::string size = "size " + std::to_string(frames[0].width) + " " + std::to_string(frames[0].height) + " "
                                 + std::to_string(frames.size()) + "\n";
        ASSERT_TRUE(testsupport::WriteFileBytes(base + ".rgb", expected.data(), expected.size()));
        const std::string text = size + checks;
        ASSERT_TRUE(testsupport::WriteFileBytes(base + ".check", text.data(), text.size()));
    }
};

// A frame of at most 256 colours keeps every colour exactly, in every
// layout and row order, dithering or not.
TEST_F(ColourTest, FewColoursAreLossless)
{
    const struct { Layout layout; const char* name; } layouts[] = {
        {Layout::Rgb555, "rgb555"}, {Layout::Bitfields565, "bitfields565"}, {Layout::Rgb24, "rgb24"},
        {Layout::Rgb32, "rgb32"}, {Layout::Bitfields32, "bitfields32"}};
    for (const auto& l : layouts)
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(l.name);
            const std::string name = std::string("lossless_") + l.name + (topDown ? "_topdown" : "");
            Write(name, {FewColours(l.layout), FewColours(l.layout)}, {{l.layout, topDown}}, topDown, "exact\n");
        }
}

// A natural picture is reduced well, with or without dithering; a flat
// panel beside it stays one colour.
TEST_F(ColourTest, NaturalFramesAreReducedCloselyAndFlatAreasStayFlat)
{
    for (bool dither : {true, false}) {
        Rgb p = Natural(96, 64);
        for (int y = 40; y < 64; ++y)
            for (int x = 0; x < 40; ++x) {
                uint8_t* c = p.At(x, y);
                c[0] = 30, c[1] = 90, c[2] = 200;
            }
        Write(dither ? "natural_dither" : "natural_plain", {p}, {{Layout::Rgb24, false}}, dither,
              "psnr 30\nflat 0 40 40 24\n");
    }
}

// Where nothing moves, nothing changes between frames, dithering on: by
// more than a few levels, in this plain layout, where the still area shows
// every colour of the table and the moving block needs some of its own.
TEST_F(ColourTest, StillAreasStayStill)
{
    std::vector<Rgb> frames;
    for (int n = 0; n < 3; ++n) {
        Rgb p = Natural(80, 60);
        for (int y = 5; y < 15; ++y)
            for (int x = 5 + 10 * n; x < 15 + 10 * n; ++x) {
                uint8_t* c = p.At(x, y);
                c[0] = 250, c[1] = 250, c[2] = 10;
            }
        frames.push_back(p);
    }
    Write("still", frames, {{Layout::Rgb32, true}}, true, "psnr 28\nstill 0 20 80 40 16\n");
}

// 8-bit frames with other colours than the first keep their own colours;
// 1- and 4-bit frames too.
TEST_F(ColourTest, PaletteFramesKeepTheirOwnColours)
{
    const std::string base = testsupport::WorkPath("palettes");
    handlertest::ClientGif gif(base + ".gif");
    ASSERT_TRUE(gif.Ready());
    const int width = 9, height = 5;
    std::vector<BYTE> expected;
    for (WORD bits : {WORD(8), WORD(8), WORD(4), WORD(1)}) {
        const int colours = 1 << bits;
        const int seed = static_cast<int>(expected.size() / 7);
        std::vector<RGBQUAD> table(colours);
        for (int i = 0; i < colours; ++i)
            table[i] = {static_cast<BYTE>(i * 3 + seed), static_cast<BYTE>(255 - i), static_cast<BYTE>(i ^ seed), 0};
        std::vector<BYTE> indices;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int index = (x * 5 + y * 3) % colours;
                indices.push_back(static_cast<BYTE>(index));
                expected.insert(expected.end(), {table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue});
            }
        std::vector<BYTE> format, rows;
        EncodePalette(width, height, bits, table, indices, format, rows);
        WriteFrame(gif, format, rows);
    }
    ASSERT_TRUE(testsupport::WriteFileBytes(base + ".rgb", expected.data(), expected.size()));
    const std::string text = "size 9 5 4\nexact\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(base + ".check", text.data(), text.size()));
}

// One frame of the differencing material: true colour, or 8-bit with the
// indices of a fixed table.
struct DiffFrame
{
    Rgb picture;
    bool eightBit;
};

// An 8-bit frame from a picture whose colours are all in Palette8's table.
std::vector<BYTE> Palette8()
{
    std::vector<BYTE> table(256 * 4, 0);
    for (int i = 0; i < 256; ++i) {
        table[4 * i + 0] = static_cast<BYTE>(i * 5);
        table[4 * i + 1] = static_cast<BYTE>(255 - i);
        table[4 * i + 2] = static_cast<BYTE>(i * 3);
    }
    return table;
}

Rgb Sprite8(int width, int height, int n)
{
    const std::vector<BYTE> table = Palette8();
    Rgb p = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool sprite = x >= 4 + 3 * n && x < 10 + 3 * n && y >= 3 && y < 9;
            const int index = sprite ? 200 : (x / 4 + y / 4) % 40;
            uint8_t* c = p.At(x, y);
            c[0] = table[4 * index + 2], c[1] = table[4 * index + 1], c[2] = table[4 * index + 0];
        }
    return p;
}

// A picture of Palette8's colours, from their indices, top row first.
Rgb FromIndices8(int width, int height, const std::vector<int>& indices)
{
    const std::vector<BYTE> table = Palette8();
    Rgb p = Blank(width, height);
    for (size_t i = 0; i < indices.size(); ++i) {
        uint8_t* c = &p.bytes[3 * i];
        c[0] = table[4 * indices[i] + 2], c[1] = table[4 * indices[i] + 1], c[2] = table[4 * indices[i] + 0];
    }
    return p;
}

// The same frames written plain and differenced; the host compares what a
// viewer shows of both, frame by frame. Each is written again with parallel
// encoding, which must give the same bytes.
// Reduced frames may differ between the layouts (a still pixel stays by
// being transparent in one, by its colour in the other's table): with
// `checks`, both files are held to the frames written beside them by those
// rules instead, the differenced one as ImageMagick composes it.
void WritePair(const std::string& name, const std::vector<DiffFrame>& frames, DWORD topLeftMode,
               const char* checks = nullptr, bool dither = true)
{
    for (int variant = 0; variant < 4; ++variant) {
        const bool differenced = (variant & 1) != 0, parallel = (variant & 2) != 0;
        const std::string base = testsupport::WorkPath(name + (differenced ? "_diff" : "_plain"));
        const std::string path = base + (parallel ? "_parallel.gif" : ".gif");
        {
            handlertest::ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(differenced));
            EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(parallel));
            EXPECT_EQ(S_OK, gif.Options()->SetTopLeftTransparency(topLeftMode));
            EXPECT_EQ(S_OK, gif.Options()->SetDithering(dither));
            const std::vector<BYTE> table = Palette8();
            for (size_t i = 0; i < frames.size(); ++i) {
                const Rgb& p = frames[i].picture;
                std::vector<BYTE> format, rows;
                if (frames[i].eightBit) {
                    format.assign(sizeof(BITMAPINFOHEADER), 0);
                    format.insert(format.end(), table.begin(), table.end());
                    BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(format.data());
                    h->biSize = sizeof(BITMAPINFOHEADER);
                    h->biWidth = p.width;
                    h->biHeight = p.height;
                    h->biPlanes = 1;
                    h->biBitCount = 8;
                    const size_t stride = (static_cast<size_t>(p.width) + 3) & ~size_t(3);
                    rows.assign(stride * p.height, 0);
                    for (int y = 0; y < p.height; ++y)
                        for (int x = 0; x < p.width; ++x) {
                            const uint8_t* c = &p.bytes[3 * (static_cast<size_t>(y) * p.width + x)];
                            int index = 0;
                            while (index < 255 && !(table[4 * index + 2] == c[0] && table[4 * index + 1] == c[1]
                                                    && table[4 * index] == c[2]))
                                ++index;
                            rows[stride * (p.height - 1 - y) + x] = static_cast<BYTE>(index);
                        }
                } else {
                    Encode(p, {Layout::Rgb24, false}, format, rows);
                }
                WriteFrame(gif, format, rows);
            }
            EXPECT_EQ(E_UNEXPECTED, gif.Options()->SetFrameDifferencing(FALSE)) << "too late after an image";
            EXPECT_EQ(E_UNEXPECTED, gif.Options()->SetParallelEncoding(!parallel)) << "too late after an image";
            DWORD nImages = 0;
            EXPECT_EQ(S_OK, gif.Options()->FinishImages(&nImages));
            EXPECT_EQ(frames.size(), nImages);
        }
        if (parallel) {
            const std::vector<BYTE> alone = testsupport::ReadFileBytes(base + ".gif");
            EXPECT_FALSE(alone.empty());
            EXPECT_TRUE(alone == testsupport::ReadFileBytes(path)) << path << ": not the bytes written without workers";
        } else if (checks != nullptr) {
            std::vector<BYTE> expected;
            for (const DiffFrame& f : frames)
                expected.insert(expected.end(), f.picture.bytes.begin(), f.picture.bytes.end());
            const Rgb& first = frames[0].picture;
            // "@" in a rule stands for the layout's name ending.
            std::string rules = checks;
            for (size_t at = rules.find('@'); at != std::string::npos; at = rules.find('@'))
                rules.replace(at, 1, differenced ? "_diff" : "_plain");
            const std::string text = "size " + std::to_string(first.width) + " " + std::to_string(first.height) + " "
                                     + std::to_string(frames.size()) + (differenced ? " composed\n" : "\n") + rules;
            ASSERT_TRUE(testsupport::WriteFileBytes(base + ".rgb", expected.data(), expected.size()));
            ASSERT_TRUE(testsupport::WriteFileBytes(base + ".check", text.data(), text.size()));
        } else if (differenced) {
            const std::string text = "same " + name + "_plain\n";
            ASSERT_TRUE(testsupport::WriteFileBytes(base + ".check", text.data(), text.size()));
        }
    }
}

// Frame differencing shows what the plain layout shows, on every kind of
// material: a sprite over a still background, full motion, frames that do
// not change, frames of other sizes than the screen, each transparency mode.
// Reduced frames without transparency are held to their source in both
// layouts (the area the sprite never crosses stays still; in the plain
// layout within a few levels, as the table makes room for the sprite).
TEST_F(ColourTest, DifferencedFramesShowWhatPlainFramesShow)
{
    std::vector<DiffFrame> sprite, motion, same, sizes, eight;
    for (int n = 0; n < 5; ++n) {
        Rgb p = Natural(48, 32);
        for (int y = 8; y < 16; ++y)
            for (int x = 4 + 6 * n; x < 12 + 6 * n; ++x) {
                uint8_t* c = p.At(x, y);
                c[0] = 255, c[1] = 255, c[2] = 0;
            }
        sprite.push_back({p, false});
        motion.push_back({Natural(48, 32, 5 * n), false});
        same.push_back({Natural(48, 32, n < 3 ? 0 : 9), false});
        eight.push_back({Sprite8(40, 24, n), true});
    }
    sizes = {{Sprite8(40, 24, 0), true}, {Sprite8(20, 10, 1), true}, {Sprite8(40, 24, 2), true},
             {Sprite8(30, 24, 3), true}};
    // A sprite over a backdrop of the top-left colour, which "first image"
    // makes transparent; a true-colour picture without that colour in the
    // middle stays opaque, and the backdrop comes back over it.
    std::vector<DiffFrame> backdrop;
    for (int n = 0; n < 6; ++n) {
        Rgb p = Sprite8(40, 24, n);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                if (!(x >= 4 + 3 * n && x < 10 + 3 * n && y >= 3 && y < 9)) {
                    uint8_t* c = p.At(x, y);
                    c[0] = 0, c[1] = 255, c[2] = 0;     // index 0 of the table
                }
        backdrop.push_back({n == 3 ? Natural(40, 24) : p, n != 3});
    }
    // Still noise of four colours; the change's first row has a colour the
    // rows below it do not, and they one the first row does not: the
    // transparent colour is one no row of the change uses.
    std::vector<int> before(40 * 24);
    uint32_t state = 7;
    for (int& index : before)
        index = 5 + ((state = state * 1103515245u + 12345u) >> 16) % 4;
    std::vector<int> after = before;
    after[2 * 40 + 3] = 4;
    after[8 * 40 + 10] = after[8 * 40 + 11] = after[8 * 40 + 12] = 0;
    const std::vector<DiffFrame> spare = {{FromIndices8(40, 24, before), true}, {FromIndices8(40, 24, after), true}};
    WritePair("diff_spare", spare, 0);
    WritePair("diff_sprite", sprite, 0, "psnr 28\nstill 0 16 48 16 0 16\n");
    WritePair("diff_motion", motion, 0, "psnr 28\n");
    WritePair("diff_same", same, 0, "psnr 28\n");
    WritePair("diff_sizes", sizes, 0);
    WritePair("diff_first", eight, 1);
    WritePair("diff_each", eight, 2);
    WritePair("diff_none8", eight, 0);
    WritePair("diff_backdrop_first", backdrop, 1);
    WritePair("diff_backdrop_each", backdrop, 2);
}

/////////////////////////////////////////////////////////////////////////////
// Reduced frames over time, in both layouts, dithered as by default.

// A smooth picture in all three channels, drifting by `shift` pixels.
Rgb Drift(int width, int height, int shift)
{
    Rgb p = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* c = p.At(x, y);
            c[0] = static_cast<uint8_t>(127.5 + 127.5 * std::sin((x + 2 * shift) / 20.0));
            c[1] = static_cast<uint8_t>(127.5 + 127.5 * std::sin((y + shift) / 15.0 + 1));
            c[2] = static_cast<uint8_t>(127.5 + 127.5 * std::sin((x + y - 3 * shift) / 30.0 + 2));
        }
    return p;
}

// A frame of at most 256 colours is exact, also after frames that were
// reduced (whose still pixels it must not keep).
TEST_F(ColourTest, FewColoursAfterReducedFramesAreExact)
{
    std::vector<DiffFrame> frames = {{Natural(48, 32), false}, {Natural(48, 32, 4), false}};
    for (int n = 0; n < 2; ++n) {
        Rgb p = Natural(48, 32, 4);
        for (int i = 0; i < 48 * 32; ++i)
            if (i % 48 < 30 + 10 * n)
                p.bytes[3 * i] = p.bytes[3 * i + 1] = p.bytes[3 * i + 2] = static_cast<uint8_t>((i * 7 + n) % 150);
        frames.push_back({p, false});
    }
    Rgb flat = Blank(48, 32);
    for (int i = 0; i < 48 * 32; ++i)
        flat.bytes[3 * i] = static_cast<uint8_t>(i % 200), flat.bytes[3 * i + 1] = 90;
    frames.push_back({flat, false});
    WritePair("few_after", frames, 0, "exact 4\npsnr 30\n");
}

// A sprite moving over a smooth gradient leaves no trail: a pixel the
// sprite has left shows the gradient as closely as the table allows, with
// dithering and without. The sprite's colours, grained, are far from the
// gradient's and never quite in the table: what its edge leaves of them
// would run into the gradient. (The plain layout gives up some of the
// gradient's colours for the sprite's: the pixels it uncovers may be shown
// a few levels further.)
TEST_F(ColourTest, ASpriteOverAGradientLeavesNoTrail)
{
    std::vector<DiffFrame> frames;
    uint32_t state = 99;
    for (int n = 0; n < 10; ++n) {
        Rgb p = Drift(64, 48, 0);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const int dx = x - 8 - 5 * n, dy = y - 10 - 3 * n;
                if (dx * dx + dy * dy < 100) {
                    state = state * 1664525u + 1013904223u;
                    const int grain = static_cast<int>(state >> 26);
                    uint8_t* c = p.At(x, y);
                    c[0] = static_cast<uint8_t>(250 - grain), c[1] = static_cast<uint8_t>(grain),
                    c[2] = static_cast<uint8_t>(250 - grain / 2);
                }
            }
        frames.push_back({p, false});
    }
    WritePair("trail_dither", frames, 0, "trail 24 36\npsnr 28\n");
    WritePair("trail_nearest", frames, 0, "trail 24 36\npsnr 28\n", false);
}

// A still area keeps its colours while the rest changes so much that every
// frame needs a new table: by being transparent in the differenced layout,
// by the new table holding them in the plain one.
TEST_F(ColourTest, StillAreasStayAcrossNewTables)
{
    std::vector<DiffFrame> frames;
    for (int n = 0; n < 5; ++n) {
        Rgb p = Natural(48, 32);
        const Rgb other = Drift(48, 32, 7 * n);
        for (int y = 0; y < 32; ++y)
            for (int x = 24; x < 48; ++x)
                for (int a = 0; a < 3; ++a)
                    p.At(x, y)[a] = static_cast<uint8_t>(other.bytes[3 * (y * 48 + x) + (a + n) % 3] * (n + 2) / 7);
        frames.push_back({p, false});
    }
    WritePair("still_tables", frames, 0, "still 0 0 24 32\npsnr 26\n");
}

// A movie looks the same after another movie as it does alone: a table
// made for the first does not serve the second. Two pairs: a movie of
// other colours, and one that ends in the second's first frame with its
// blue turned up 6 levels, whose table shows that frame only a few times
// worse than one of its own (a lax rule would keep it).
TEST_F(ColourTest, AMovieLooksAsWellAfterAnother)
{
    std::vector<DiffFrame> other, close, second;
    for (int n = 0; n < 5; ++n) {
        Rgb p = Natural(48, 32, 2 * n);
        for (size_t i = 0; i < p.bytes.size(); i += 3)
            p.bytes[i + 2] = static_cast<uint8_t>(p.bytes[i + 2] / 3);
        other.push_back({p, false});
        Rgb q = Drift(48, 32, 2 * n - 8);
        for (size_t i = 0; i < q.bytes.size(); i += 3)
            q.bytes[i + 2] = static_cast<uint8_t>(std::min(255, q.bytes[i + 2] + 6));
        close.push_back({q, false});
        second.push_back({Drift(48, 32, 2 * n), false});
    }
    WritePair("movie_alone", second, 0, "psnr 26\n");
    for (auto* first : { &other, &close }) {
        std::vector<DiffFrame> both = *first;
        both.insert(both.end(), second.begin(), second.end());
        WritePair(first == &other ? "movie_after" : "movie_after_close", both, 0, "alone movie_alone@ 5 0.3\n");
    }
}

/////////////////////////////////////////////////////////////////////////////
// Transparency as every viewer shows it: beside each file the frames a viewer
// must see (.rgba, alpha 0 where the screen is clear), which check_colours.py
// holds giflib's images composed and ImageMagick's coalesce to, two plays each.

// One frame as the client sends it, and what a viewer must see of it.
struct Seen
{
    std::vector<BYTE> format, rows, rgba;
};

DWORD ColourAt(const Rgb& p, int i) { return DWORD(p.bytes[3 * i]) << 16 | p.bytes[3 * i + 1] << 8 | p.bytes[3 * i + 2]; }
DWORD ColourOf(const RGBQUAD& q) { return DWORD(q.rgbRed) << 16 | q.rgbGreen << 8 | q.rgbBlue; }

void Put(Rgb& p, int i, DWORD colour)
{
    p.bytes[3 * i] = BYTE(colour >> 16), p.bytes[3 * i + 1] = BYTE(colour >> 8), p.bytes[3 * i + 2] = BYTE(colour);
}

// The frame seen: the picture with the pixels clear(i) names clear.
void See(Seen& s, const Rgb& p, const std::function<bool(int)>& clear)
{
    for (int i = 0; i < p.width * p.height; ++i) {
        const BYTE keep = clear(i) ? 0 : 255;
        s.rgba.insert(s.rgba.end(), {BYTE(p.bytes[3 * i] & keep), BYTE(p.bytes[3 * i + 1] & keep),
                                     BYTE(p.bytes[3 * i + 2] & keep), keep});
    }
}

// A true-colour frame whose pixels of the key colour are clear.
Seen TrueColour(const Rgb& p, DWORD key)
{
    Seen s;
    Encode(p, {Layout::Rgb24, false}, s.format, s.rows);
    See(s, p, [&](int i) { return ColourAt(p, i) == key; });
    return s;
}

// A palette frame of 20 x 15 pixels (or 8 x 6), its pixels of the indices
// clear() names clear; an index past the table shows black.
Seen PaletteFrame(WORD bits, const std::vector<RGBQUAD>& table, const std::vector<BYTE>& indices,
                  const std::function<bool(BYTE)>& clear)
{
    const int w = indices.size() == 300 ? 20 : 8, h = indices.size() == 300 ? 15 : 6;
    Seen s;
    EncodePalette(w, h, bits, table, indices, s.format, s.rows);
    Rgb p = Blank(w, h);
    for (int i = 0; i < w * h; ++i)
        Put(p, i, indices[i] < table.size() ? ColourOf(table[indices[i]]) : 0);
    See(s, p, [&](int i) { return clear(indices[i]); });
    return s;
}

// 16 x 16: a backdrop with a square on it.
Rgb Scene(DWORD backdrop, DWORD square, int at)
{
    Rgb p = Blank(16, 16);
    for (int i = 0; i < 256; ++i)
        Put(p, i, i % 16 >= at && i % 16 < at + 5 && i / 16 >= at / 2 && i / 16 < at / 2 + 6 ? square : backdrop);
    return p;
}

// Frames that lack the first image's top-left colour (navy) among frames
// that have it, the last one too; frames that flip between backdrops.
std::vector<Seen> Lacking(DWORD mode)
{
    std::vector<Seen> frames;
    for (const Rgb& p : {Scene(0x000080, 0xFFE010, 2), Scene(0xFFFFFF, 0xFFFFFF, 0), Scene(0x000080, 0xFFE010, 6),
                         Scene(0x00A000, 0x000080, 4), Scene(0x000080, 0xFFE010, 8), Scene(0x800000, 0xFFE010, 5)})
        frames.push_back(TrueColour(p, mode == 1 ? 0x000080 : ColourAt(p, 0)));
    return frames;
}

// Tables holding the key colour twice: the shared global table (entries 5
// and 6) keeps its index rule, the first image's or each image's own
// top-left index; a table of a frame's own (3 and 7, 200 of 300 pixels; a
// 4-bit one) clears every pixel of the colour.
std::vector<Seen> Twice(DWORD mode)
{
    std::vector<RGBQUAD> global(256), own(16);
    for (int i = 0; i < 256; ++i)
        global[i] = {BYTE(i * 7), BYTE(255 - i), BYTE(i), 0};
    for (int i = 0; i < 16; ++i)
        own[i] = {BYTE(200 - 9 * i), BYTE(40 + i), BYTE(90 + 3 * i), 0};
    global[6] = own[3] = own[7] = global[5];
    std::vector<BYTE> first(300), second(300), fourth(300);
    for (int i = 0; i < 300; ++i) {
        first[i] = BYTE(i % 4 == 0 ? 5 : i % 4 == 1 ? 6 : 20 + i % 30);
        second[i] = BYTE(i % 3 == 0 ? 7 : i % 3 == 1 ? 3 : 10 + i % 5);
        fourth[i] = BYTE(i % 4 == 1 ? 5 : i % 4 == 0 ? 6 : 40 + i % 30);
    }
    auto key = [&](BYTE i) { return ColourOf(own[i]) == ColourOf(global[5]); };
    return {PaletteFrame(8, global, first, [](BYTE i) { return i == 5; }), PaletteFrame(8, own, second, key),
            PaletteFrame(4, own, second, key),
            PaletteFrame(8, global, fourth, [mode](BYTE i) { return i == (mode == 1 ? 5 : 6); })};
}

// Photographs with a sprite: the top-left colour at exactly 38 scattered
// pixels, colours a level from it beside them. The picture pans, then
// stands (a table may be kept) while the sprite and the key's pixels move;
// in mode 1 the last frame lacks the first frame's colour.
std::vector<Seen> Photos(DWORD mode)
{
    std::vector<Seen> frames;
    for (int n = 0; n < 5; ++n) {
        Rgb p = Natural(48, 32, n < 2 ? 3 * n : 3);
        for (int y = 10; y < 18; ++y)
            for (int x = 4 + 5 * n; x < 12 + 5 * n; ++x)
                Put(p, y * 48 + x, 0xF0F000);
        const DWORD key = mode == 1 && n < 4 ? 0xFA0AFA : 0xFA0AFA - 0x010000 * (n + 1);
        for (int k = 0, i = 3 * n * 48 + n; k < 38; ++k, i = (k * 11 + 3 * n) % 32 * 48 + (k * 17 + n) % 48)
            Put(p, i, key), Put(p, (i + 1) % 1536, key ^ 1), Put(p, (i + 48) % 1536, key ^ 0x100);
        Put(p, 0, mode == 1 && n == 4 ? 0x102030 : key);
        frames.push_back(TrueColour(p, mode == 1 ? 0xFA0AFA : ColourAt(p, 0)));
    }
    return frames;
}

// Every image of an animation with transparency clears exactly the pixels
// of its transparent colour and leaves the screen clear for the next, plain
// and differenced, with workers or not; a 1- or 4-bit frame shows black
// past a short table.
TEST_F(ColourTest, TransparencyClearsWhatItShouldInEveryViewer)
{
    std::vector<BYTE> four(48), one(48);
    for (int i = 0; i < 48; ++i)
        four[i] = BYTE(i % 16), one[i] = BYTE(i / 3 % 2);
    auto none = [](BYTE) { return false; };
    const struct { const char* name; DWORD mode; std::vector<Seen> frames; const char* check; } files[] = {
        {"lacking_first", 1, Lacking(1), "16 16 6 exact"}, {"lacking_each", 2, Lacking(2), "16 16 6 exact"},
        {"twice_first", 1, Twice(1), "20 15 4 exact"}, {"twice_each", 2, Twice(2), "20 15 4 exact"},
        {"photo_first", 1, Photos(1), "48 32 5 psnr 26"}, {"photo_each", 2, Photos(2), "48 32 5 psnr 26"},
        {"short_none", 0, {PaletteFrame(4, {{10, 20, 30, 0}, {200, 100, 50, 0}}, four, none),
                           PaletteFrame(1, {{255, 255, 255, 0}}, one, none)}, "8 6 2 exact"},
    };
    for (const auto& f : files)
        for (bool differenced : {false, true}) {
            const std::string base = testsupport::WorkPath(std::string(f.name) + (differenced ? "_diff" : "_plain"));
            for (bool parallel : {false, true}) {
                handlertest::ClientGif gif(base + (parallel ? "_parallel.gif" : ".gif"));
                ASSERT_TRUE(gif.Ready());
                EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(differenced));
                EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(parallel));
                EXPECT_EQ(S_OK, gif.Options()->SetTopLeftTransparency(f.mode));
                for (const Seen& s : f.frames)
                    WriteFrame(gif, s.format, s.rows);
            }
            EXPECT_TRUE(testsupport::ReadFileBytes(base + ".gif") == testsupport::ReadFileBytes(base + "_parallel.gif"));
            std::vector<BYTE> rgba;
            for (const Seen& s : f.frames)
                rgba.insert(rgba.end(), s.rgba.begin(), s.rgba.end());
            const std::string text = std::string("seen ") + f.check + "\n";
            ASSERT_TRUE(testsupport::WriteFileBytes(base + ".rgba", rgba.data(), rgba.size()));
            ASSERT_TRUE(testsupport::WriteFileBytes(base + ".check", text.data(), text.size()));
        }
}

} // namespace
