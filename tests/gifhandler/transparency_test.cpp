// Transparency as every viewer must show it: material written through
// AVIFile in the plain and the differenced layout with each top-left mode,
// and beside each file the frames a viewer must see (.rgba, alpha 0 where
// the screen is clear) and what to hold them to (.check), for
// check_viewers.py to compare with what giflib and ImageMagick show of two
// plays of the file.
#include <windows.h>
#include <initguid.h>   // the AVIFile interface identifiers, defined once here
#include <vfw.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ColourFrames.h"

namespace {

using namespace colourtest;

// One frame as the client sends it, and what a viewer must see of it.
struct Sample
{
    std::vector<BYTE> format, rows;
    std::vector<BYTE> rgba;     // top row first; a clear pixel is 0, 0, 0, 0
};

DWORD ColourAt(const Rgb& p, int x, int y)
{
    const uint8_t* c = &p.bytes[3 * (static_cast<size_t>(y) * p.width + x)];
    return static_cast<DWORD>(c[0]) << 16 | c[1] << 8 | c[2];
}

void Put(Rgb& p, int x, int y, DWORD colour)
{
    uint8_t* c = p.At(x, y);
    c[0] = static_cast<uint8_t>(colour >> 16), c[1] = static_cast<uint8_t>(colour >> 8);
    c[2] = static_cast<uint8_t>(colour);
}

std::vector<BYTE> Seen(const Rgb& p, const std::function<bool(int, int)>& clear)
{
    std::vector<BYTE> rgba;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* c = &p.bytes[3 * (static_cast<size_t>(y) * p.width + x)];
            const bool bClear = clear(x, y);
            rgba.insert(rgba.end(), {BYTE(bClear ? 0 : c[0]), BYTE(bClear ? 0 : c[1]), BYTE(bClear ? 0 : c[2]),
                                     BYTE(bClear ? 0 : 255)});
        }
    return rgba;
}

// A true-colour frame whose pixels of the key colour are clear.
Sample TrueColour(const Rgb& p, DWORD key)
{
    Sample s;
    Encode(p, {Layout::Rgb24, false}, s.format, s.rows);
    s.rgba = Seen(p, [&](int x, int y) { return ColourAt(p, x, y) == key; });
    return s;
}

// A palette frame; clear(index) says which pixels a viewer must see clear.
Sample PaletteFrame(int width, int height, WORD bits, const std::vector<RGBQUAD>& table,
                    const std::vector<BYTE>& indices, const std::function<bool(BYTE)>& clear)
{
    Sample s;
    EncodePalette(width, height, bits, table, indices, s.format, s.rows);
    Rgb p = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const BYTE index = indices[static_cast<size_t>(y) * width + x];
            // An index past the table shows black.
            const RGBQUAD q = index < table.size() ? table[index] : RGBQUAD{0, 0, 0, 0};
            Put(p, x, y, static_cast<DWORD>(q.rgbRed) << 16 | q.rgbGreen << 8 | q.rgbBlue);
        }
    s.rgba = Seen(p, [&](int x, int y) { return clear(indices[static_cast<size_t>(y) * width + x]); });
    return s;
}

DWORD ColourOf(const RGBQUAD& q) { return static_cast<DWORD>(q.rgbRed) << 16 | q.rgbGreen << 8 | q.rgbBlue; }

const DWORD kNavy = 0x000080, kWhite = 0xFFFFFF, kYellow = 0xFFE010, kGreen = 0x00A000, kMaroon = 0x800000;

// A backdrop with a square on it.
Rgb Scene(DWORD backdrop, DWORD square, int at)
{
    Rgb p = Blank(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            Put(p, x, y, x >= at && x < at + 5 && y >= at / 2 && y < at / 2 + 6 ? square : backdrop);
    return p;
}

// Frames that lack the first image's top-left colour among frames that
// have it, and frames that flip between two backdrops.
std::vector<Sample> Lacking(DWORD mode)
{
    const std::vector<Rgb> pictures = {Scene(kNavy, kYellow, 2), Scene(kWhite, kWhite, 0), Scene(kNavy, kYellow, 6),
                                       Scene(kGreen, kNavy, 4),  Scene(kNavy, kYellow, 8),  Scene(kMaroon, kYellow, 5)};
    std::vector<Sample> frames;
    for (const Rgb& p : pictures)
        frames.push_back(TrueColour(p, mode == 1 ? kNavy : ColourAt(p, 0, 0)));
    return frames;
}

// Palette frames whose tables hold the key colour twice: the shared global
// table (entries 5 and 6) keeps its index rule, a table of a frame's own
// (8-bit: entries 3 and 7; 4-bit: 2 and 9) clears every pixel of the colour.
std::vector<Sample> Twice(DWORD mode)
{
    const int w = 20, h = 15;
    std::vector<RGBQUAD> global(256), own8(16), own4(16);
    for (int i = 0; i < 256; ++i)
        global[i] = {BYTE((i * 7) & 255), BYTE(255 - i), BYTE(i), 0};
    const RGBQUAD key = global[5];
    global[6] = key;
    for (int i = 0; i < 16; ++i) {
        own8[i] = {BYTE(200 - 9 * i), BYTE(40 + i), BYTE(90 + 3 * i), 0};
        own4[i] = {BYTE(17 * i), BYTE(30), BYTE(250 - 11 * i), 0};
    }
    own8[3] = own8[7] = key;
    own4[2] = own4[9] = key;
    std::vector<BYTE> first(w * h), second(w * h), third(w * h), fourth(w * h);
    for (int i = 0; i < w * h; ++i) {
        first[i] = BYTE(i % 4 == 0 ? 5 : i % 4 == 1 ? 6 : 20 + i % 30);
        second[i] = BYTE(i % 3 == 0 ? 3 : i % 3 == 1 ? 7 : 10 + i % 5);     // 200 of 300 pixels the key
        third[i] = BYTE(i % 5 == 0 ? 2 : i % 5 == 1 ? 9 : 11 + i % 4);
        fourth[i] = BYTE(i % 4 == 0 ? 6 : i % 4 == 1 ? 5 : 40 + i % 30);
    }
    first[0] = 5, second[0] = 7, third[0] = 9, fourth[0] = 6;
    const DWORD keyColour = ColourOf(key);
    // On the global table only the one index is clear: the first image's
    // (mode 1) or the image's own top-left one (mode 2).
    return {PaletteFrame(w, h, 8, global, first, [](BYTE i) { return i == 5; }),
            PaletteFrame(w, h, 8, own8, second, [&](BYTE i) { return ColourOf(own8[i]) == keyColour; }),
            PaletteFrame(w, h, 4, own4, third, [&](BYTE i) { return ColourOf(own4[i]) == keyColour; }),
            PaletteFrame(w, h, 8, global, fourth, [mode](BYTE i) { return i == (mode == 1 ? 5 : 6); })};
}

// Photographs with something on them: the top-left colour is at exactly 38
// scattered pixels, with colours a level from it about them that must stay.
// The photograph pans, then stands still (a table may then be kept) while
// the sprite and the key's pixels move. In mode 1 the last frame lacks the
// first frame's colour altogether.
std::vector<Sample> Photos(DWORD mode)
{
    std::vector<Sample> frames;
    const DWORD firstKey = 0xFA0AFA;
    for (int n = 0; n < 5; ++n) {
        Rgb p = Natural(48, 32, n < 2 ? 3 * n : 3);
        for (int y = 10; y < 18; ++y)
            for (int x = 4 + 5 * n; x < 12 + 5 * n; ++x)
                Put(p, x, y, 0xF0F000);
        const DWORD key = mode == 1 && n < 4 ? firstKey : firstKey - 0x010000 * (n + 1);
        for (int k = 0; k < 38; ++k) {
            const int x = (k * 17 + n) % 48, y = (k * 11 + 3 * n) % 32;
            Put(p, x, y, key);
            Put(p, (x + 1) % 48, y, key ^ 0x000001);
            Put(p, x, (y + 1) % 32, key ^ 0x000100);
        }
        Put(p, 0, 0, key);
        if (mode == 1 && n == 4)
            Put(p, 0, 0, 0x102030);
        frames.push_back(TrueColour(p, mode == 1 ? firstKey : ColourAt(p, 0, 0)));
    }
    return frames;
}

// 1- and 4-bit frames whose tables are shorter than their indices need:
// the missing entries show black.
std::vector<Sample> ShortTables()
{
    const int w = 8, h = 6;
    std::vector<BYTE> four(w * h), one(w * h);
    for (int i = 0; i < w * h; ++i) {
        four[i] = BYTE(i % 16);
        one[i] = BYTE((i / 3) % 2);
    }
    const std::vector<RGBQUAD> three = {{10, 20, 30, 0}, {200, 100, 50, 0}, {0, 255, 0, 0}};
    const std::vector<RGBQUAD> single = {{255, 255, 255, 0}};
    auto none = [](BYTE) { return false; };
    return {PaletteFrame(w, h, 4, three, four, none), PaletteFrame(w, h, 1, single, one, none)};
}

// Writes the frames plain and differenced, each file with the frames a
// viewer must see beside it; each again with parallel encoding, which must
// give the same bytes.
void WriteBoth(const std::string& name, DWORD mode, const std::vector<Sample>& frames, const std::string& rule,
               int width, int height)
{
    for (bool differenced : {false, true}) {
        const std::string base = testsupport::WorkPath(name + (differenced ? "_diff" : "_plain"));
        for (bool parallel : {false, true}) {
            handlertest::ClientGif gif(base + (parallel ? "_parallel.gif" : ".gif"));
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(differenced));
            EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(parallel));
            EXPECT_EQ(S_OK, gif.Options()->SetTopLeftTransparency(mode));
            for (const Sample& s : frames)
                WriteFrame(gif, s.format, s.rows);
        }
        EXPECT_TRUE(testsupport::ReadFileBytes(base + ".gif") == testsupport::ReadFileBytes(base + "_parallel.gif"))
            << base << ": not the bytes written without workers";
        std::vector<BYTE> expected;
        for (const Sample& s : frames)
            expected.insert(expected.end(), s.rgba.begin(), s.rgba.end());
        ASSERT_TRUE(testsupport::WriteFileBytes(base + ".rgba", expected.data(), expected.size()));
        const std::string text = "size " + std::to_string(width) + " " + std::to_string(height) + " "
                                 + std::to_string(frames.size()) + "\n" + rule + "\n";
        ASSERT_TRUE(testsupport::WriteFileBytes(base + ".check", text.data(), text.size()));
    }
}

class TransparencyTest : public ::testing::Test
{
protected:
    void SetUp() override { ::AVIFileInit(); }
    void TearDown() override { ::AVIFileExit(); }
};

TEST_F(TransparencyTest, EveryImageClearsWhatItShouldInEveryViewer)
{
    const char* const modes[] = {"", "first", "each"};
    for (DWORD mode : {1, 2}) {
        const std::string suffix = std::string("_") + modes[mode];
        WriteBoth("lacking" + suffix, mode, Lacking(mode), "exact", 16, 16);
        WriteBoth("twice" + suffix, mode, Twice(mode), "exact", 20, 15);
        WriteBoth("photo" + suffix, mode, Photos(mode), "psnr 26", 48, 32);
    }
    WriteBoth("short_none", 0, ShortTables(), "exact", 8, 6);
}

} // namespace
