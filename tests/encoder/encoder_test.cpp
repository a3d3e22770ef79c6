// The four GIF writer exports of loomcast.dll, called through their decorated
// names: exact bytes of every block, refusals, write failures, and the LZW
// data held byte for byte to the plain reference encoder.
#include "EncoderHarness.h"
#include "ReferenceGif.h"
#include "SyntheticFrames.h"

#include <gtest/gtest.h>

using namespace encodertest;
using Bytes = std::vector<uint8_t>;

namespace {

const Exports& Gif() { return Exports::Get(); }

Dib OnePixelDib()
{
    return MakeDib({ 0 }, 1, 1, synth::Palette());
}

Bytes Slice(const Bytes& b, size_t from, size_t count)
{
    return Bytes(b.begin() + from, b.begin() + from + count);
}

} // namespace

TEST(EncoderExports, AllFourAreFoundByDecoratedName)
{
    EXPECT_NE(Gif().fileHeader, nullptr);
    EXPECT_NE(Gif().imageHeader, nullptr);
    EXPECT_NE(Gif().image, nullptr);
    EXPECT_NE(Gif().terminator, nullptr);
}

TEST(EncoderBytes, OnePixelImageData)
{
    Dib dib = OnePixelDib();
    const Bytes data = Written("one.gif", [&](HANDLE f) {
        EXPECT_TRUE(Gif().image(f, dib.Header(), dib.bits.data()));
    });
    // Minimum code size 8; one 4-byte sub-block: Clear, 0, End at 9 bits; terminator.
    EXPECT_EQ(data, (Bytes{ 0x08, 0x04, 0x00, 0x01, 0x04, 0x04, 0x00 }));
}

TEST(EncoderBytes, FileHeader)
{
    const Bytes screen1x1 = { 'G', 'I', 'F', '8', '9', 'a', 0x01, 0x00, 0x01, 0x00, 0xF7, 0x00, 0x00 };
    const Bytes loopHead = { 0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01 };
    struct Case { const char* name; bool withOptions; GifWriteOptions options; Bytes loop; };
    const Case cases[] = {
        { "null options: no loop extension", false, {}, {} },
        { "bLoop 0: no loop extension", true, Options(FALSE, 0, FALSE, 5, 6), {} },
        { "loop forever", true, Options(FALSE, 0, TRUE, 0, 6), { 0x00, 0x00, 0x00 } },
        { "loop count 0xFFFF", true, Options(TRUE, 3, TRUE, 0xFFFF, 0), { 0xFF, 0xFF, 0x00 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dib dib = OnePixelDib();
        const Bytes out = Written("header.gif", [&](HANDLE f) {
            EXPECT_TRUE(Gif().fileHeader(f, dib.Info(), c.withOptions ? &c.options : nullptr));
        });
        const size_t loopSize = c.loop.empty() ? 0 : 19;
        ASSERT_EQ(out.size(), 13u + 768u + loopSize);
        EXPECT_EQ(Slice(out, 0, 13), screen1x1);
        const Bytes palette = synth::Palette();
        EXPECT_EQ(Slice(out, 13, 768), palette);
        if (loopSize != 0) {
            EXPECT_EQ(Slice(out, 13 + 768, 16), loopHead);
            EXPECT_EQ(Slice(out, 13 + 768 + 16, 3), c.loop);
        }
    }
}

TEST(EncoderBytes, ColourTableAlwaysHas256Entries)
{
    struct Case { DWORD clrUsed; size_t realEntries; };
    const Case cases[] = { { 2, 2 }, { 0, 256 }, { 256, 256 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.clrUsed);
        Dib dib = OnePixelDib();
        dib.Header()->biClrUsed = c.clrUsed;
        const Bytes out = Written("table.gif", [&](HANDLE f) {
            EXPECT_TRUE(Gif().fileHeader(f, dib.Info(), nullptr));
        });
        ASSERT_EQ(out.size(), 13u + 768u);
        EXPECT_EQ(out[10], 0xF7);
        Bytes expected = synth::Palette();
        std::fill(expected.begin() + 3 * c.realEntries, expected.end(), 0);
        EXPECT_EQ(Slice(out, 13, 768), expected);
    }
}

// A colour count above 256 is cut to the table's size: the header sits so
// that its 256th colour ends a page and the next page is inaccessible, so
// reading one entry more would fault.
TEST(EncoderBytes, ColourCountAbove256ReadsNoFurther)
{
    SYSTEM_INFO si;
    ::GetSystemInfo(&si);
    BYTE* pages = static_cast<BYTE*>(::VirtualAlloc(nullptr, 2 * si.dwPageSize,
                                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old;
    ASSERT_TRUE(::VirtualProtect(pages + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old));
    Dib dib = OnePixelDib();
    dib.Header()->biClrUsed = 300;
    BYTE* at = pages + si.dwPageSize - dib.info.size();
    ::CopyMemory(at, dib.info.data(), dib.info.size());

    const Bytes out = Written("clamped.gif", [&](HANDLE f) {
        EXPECT_TRUE(Gif().fileHeader(f, reinterpret_cast<BITMAPINFO*>(at), nullptr));
    });
    ASSERT_EQ(out.size(), 13u + 768u);
    EXPECT_EQ(Slice(out, 13, 768), synth::Palette());
    ::VirtualFree(pages, 0, MEM_RELEASE);
}

TEST(EncoderBytes, ImageHeader)
{
    const Bytes descriptor = { 0x2C, 0, 0, 0, 0, 0x03, 0x00, 0x02, 0x00, 0x07 };
    struct Case { const char* name; bool withOptions; GifWriteOptions options; Bytes control; };
    const Case cases[] = {
        { "null options: descriptor only", false, {}, {} },
        { "opaque, delay 6", true, Options(FALSE, 9, TRUE, 0, 6),
          { 0x21, 0xF9, 0x04, 0x80, 0x06, 0x00, 0x00, 0x00 } },
        { "transparent 5, delay 6", true, Options(TRUE, 5, TRUE, 0, 6),
          { 0x21, 0xF9, 0x04, 0x89, 0x06, 0x00, 0x05, 0x00 } },
        { "transparent, low byte of index, delay 300", true, Options(TRUE, 0x1234, FALSE, 0, 300),
          { 0x21, 0xF9, 0x04, 0x89, 0x2C, 0x01, 0x34, 0x00 } },
        { "transparent, no delay", true, Options(TRUE, 7, FALSE, 0, 0),
          { 0x21, 0xF9, 0x04, 0x09, 0x00, 0x00, 0x07, 0x00 } },
        { "opaque, no delay", true, Options(FALSE, 7, FALSE, 0, 0),
          { 0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dib dib = MakeDib(Bytes(6, 1), 3, 2, synth::Palette());
        const Bytes out = Written("image-header.gif", [&](HANDLE f) {
            EXPECT_TRUE(Gif().imageHeader(f, dib.Header(), c.withOptions ? &c.options : nullptr));
        });
        Bytes expected = c.control;
        expected.insert(expected.end(), descriptor.begin(), descriptor.end());
        EXPECT_EQ(out, expected);
    }
}

TEST(EncoderBytes, TerminatorIsOneByte)
{
    const Bytes out = Written("trailer.gif", [&](HANDLE f) { EXPECT_TRUE(Gif().terminator(f)); });
    EXPECT_EQ(out, Bytes{ 0x3B });
}

TEST(EncoderRefusals, BadHeadersWriteNothing)
{
    struct Case { const char* name; void (*spoil)(BITMAPINFOHEADER*); bool imageOnly; };
    const Case cases[] = {
        { "24 bits", [](BITMAPINFOHEADER* h) { h->biBitCount = 24; }, false },
        { "4 bits", [](BITMAPINFOHEADER* h) { h->biBitCount = 4; }, false },
        { "1 bit", [](BITMAPINFOHEADER* h) { h->biBitCount = 1; }, false },
        { "width 0", [](BITMAPINFOHEADER* h) { h->biWidth = 0; }, false },
        { "negative width", [](BITMAPINFOHEADER* h) { h->biWidth = -4; }, false },
        { "height 0", [](BITMAPINFOHEADER* h) { h->biHeight = 0; }, false },
        { "width 65536", [](BITMAPINFOHEADER* h) { h->biWidth = 65536; }, false },
        { "height -65536", [](BITMAPINFOHEADER* h) { h->biHeight = -65536; }, false },
        { "most negative height", [](BITMAPINFOHEADER* h) { h->biHeight = LONG(0x80000000); }, false },
        { "RLE8 pixels", [](BITMAPINFOHEADER* h) { h->biCompression = BI_RLE8; }, true },
    };
    const GifWriteOptions options = Options(TRUE, 1, TRUE, 0, 6);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Dib dib = MakeDib(Bytes(16, 3), 4, 4, synth::Palette());
        c.spoil(dib.Header());
        const Bytes out = Written("refused.gif", [&](HANDLE f) {
            EXPECT_FALSE(Gif().image(f, dib.Header(), dib.bits.data()));
            if (!c.imageOnly) {
                EXPECT_FALSE(Gif().fileHeader(f, dib.Info(), &options));
                EXPECT_FALSE(Gif().imageHeader(f, dib.Header(), &options));
            }
        });
        EXPECT_TRUE(out.empty()) << out.size() << " bytes written";
    }
}

TEST(EncoderRefusals, NullArgumentsWriteNothing)
{
    Dib dib = OnePixelDib();
    const Bytes out = Written("null.gif", [&](HANDLE f) {
        EXPECT_FALSE(Gif().fileHeader(nullptr, dib.Info(), nullptr));
        EXPECT_FALSE(Gif().fileHeader(f, nullptr, nullptr));
        EXPECT_FALSE(Gif().imageHeader(nullptr, dib.Header(), nullptr));
        EXPECT_FALSE(Gif().imageHeader(f, nullptr, nullptr));
        EXPECT_FALSE(Gif().image(f, nullptr, dib.bits.data()));
        EXPECT_FALSE(Gif().image(f, dib.Header(), nullptr));
    });
    EXPECT_TRUE(out.empty());
}

// Every writer reports a failed write: a handle without write access.
TEST(EncoderRefusals, WriteFailureReturnsFalse)
{
    const std::string path = testsupport::WorkPath("readonly.gif");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, "x", 1));
    testsupport::ScopedHandle readOnly(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                     nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(readOnly.Valid());
    Dib dib = MakeDib(synth::Make(synth::Content::Noise, 64, 64, 0), 64, 64, synth::Palette());
    const GifWriteOptions options = Options(FALSE, 0, TRUE, 0, 6);
    EXPECT_FALSE(Gif().fileHeader(readOnly.Get(), dib.Info(), &options));
    EXPECT_FALSE(Gif().imageHeader(readOnly.Get(), dib.Header(), &options));
    EXPECT_FALSE(Gif().image(readOnly.Get(), dib.Header(), dib.bits.data()));
    EXPECT_FALSE(Gif().terminator(readOnly.Get()));
    readOnly.Close();
    EXPECT_EQ(testsupport::ReadFileBytes(path), Bytes{ 'x' });
    ::DeleteFileA(path.c_str());
}

// Pixel pairs that never repeat make every pixel after the first a miss, so
// the code widths and the Clear when the table is full are known in advance.
TEST(EncoderLzw, ClearAt12BitsWhenTableIsFull)
{
    Bytes pixels;
    for (unsigned m = 1; m < 32; m += 2)            // 16 rows of 256
        for (unsigned i = 0; i < 256; ++i)
            pixels.push_back(static_cast<uint8_t>(i * m));
    Dib dib = MakeDib(pixels, 256, 16, synth::Palette());

    Bytes expected{ 8 };
    reference::SubBlockWriter writer(expected);
    size_t step = 1;
    auto emitRun = [&](size_t count, unsigned width) {
        for (size_t n = 0; n < count; ++n, ++step)
            writer.Put(pixels[step - 1], width);
    };
    writer.Put(256, 9);
    emitRun(255, 9);        // codes 258..512 assigned; 512 widens to 10 bits
    emitRun(512, 10);
    emitRun(1024, 11);
    emitRun(2048, 12);      // the last of these assigns 4096: Clear follows
    writer.Put(256, 12);
    emitRun(255, 9);        // back to 9 bits after the Clear
    emitRun(1, 10);
    ASSERT_EQ(step, pixels.size());
    writer.Put(pixels.back(), 10);
    writer.Put(257, 10);
    writer.Finish();

    const Bytes out = Written("clear.gif", [&](HANDLE f) {
        EXPECT_TRUE(Gif().image(f, dib.Header(), dib.bits.data()));
    });
    EXPECT_EQ(out, expected);
}

TEST(EncoderLzw, MatchesReferenceEncoder)
{
    using synth::Content;
    struct Case { Content content; int width, height, frame; };
    const Case cases[] = {
        { Content::Flat, 1, 1, 7 },          { Content::Noise, 3, 3, 0 },
        { Content::Noise, 33, 17, 1 },       { Content::Natural, 257, 31, 2 },
        { Content::Noise, 1, 5000, 3 },      { Content::Fractal, 320, 240, 4 },
        { Content::Natural, 640, 480, 5 },   { Content::Noise, 640, 480, 6 },
        { Content::Flat, 640, 480, 255 },    { Content::Fractal, 1000, 3, 40 },
        { Content::Noise, 2, 2, 9 },         { Content::Natural, 5, 700, 11 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(synth::ContentName(c.content)) + " " + std::to_string(c.width)
                     + "x" + std::to_string(c.height));
        const Bytes pixels = synth::Make(c.content, c.width, c.height, c.frame);
        for (bool topDown : { false, true }) {
            SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
            Dib dib = MakeDib(pixels, c.width, c.height, synth::Palette(), topDown);
            const Bytes out = Written("ref.gif", [&](HANDLE f) {
                EXPECT_TRUE(Gif().image(f, dib.Header(), dib.bits.data()));
            });
            const Bytes expected = reference::ImageData(pixels);
            ASSERT_EQ(out.size(), expected.size());
            EXPECT_TRUE(out == expected);
        }
    }
}

// Runs of one value, of every length from one pixel to past the longest run
// string the encoder jumps to (255), ending anywhere in a row and crossing
// row ends, over several Clears.
TEST(EncoderLzw, RunsMatchReferenceEncoder)
{
    struct Case { int width, height; unsigned longest, values; };
    const Case cases[] = {
        { 701, 120, 700, 4 },       // long runs of few values
        { 97, 400, 40, 64 },        // short runs of many values: many Clears
        { 1, 3000, 300, 2 },        // one-pixel rows: every run crosses rows
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const size_t size = static_cast<size_t>(c.width) * c.height;
        Bytes pixels;
        uint32_t seed = 0x2545F491u;
        while (pixels.size() < size) {
            const size_t length = 1 + synth::XorShift(seed) % c.longest;
            const uint8_t value = static_cast<uint8_t>(synth::XorShift(seed) % c.values * 37);
            pixels.insert(pixels.end(), std::min(length, size - pixels.size()), value);
        }
        Dib dib = MakeDib(pixels, c.width, c.height, synth::Palette());
        const Bytes out = Written("runs.gif", [&](HANDLE f) {
            EXPECT_TRUE(Gif().image(f, dib.Header(), dib.bits.data()));
        });
        const Bytes expected = reference::ImageData(pixels);
        ASSERT_EQ(out.size(), expected.size());
        EXPECT_TRUE(out == expected);
    }
}

// The encoder keeps its string table between images and numbers its table
// periods (the stretches between Clears): an old entry counts only while its
// period number is the current one, and the numbers come round again after
// 4095 periods. An image of one period, encoded again exactly 4095 periods
// later (each one-pixel image in between is one period), must not find the
// strings its first encoding left behind.
TEST(EncoderLzw, PeriodNumbersComingRoundFindNoOldStrings)
{
    const Bytes pixels = synth::Make(synth::Content::Noise, 60, 60, 13);     // no Clear
    Dib dib = MakeDib(pixels, 60, 60, synth::Palette());
    Dib tiny = OnePixelDib();
    const int kBetween = 4094;
    const Bytes out = Written("periods.gif", [&](HANDLE f) {
        EXPECT_TRUE(Gif().image(f, dib.Header(), dib.bits.data()));
        for (int i = 0; i < kBetween; ++i)
            ASSERT_TRUE(Gif().image(f, tiny.Header(), tiny.bits.data()));
        EXPECT_TRUE(Gif().image(f, dib.Header(), dib.bits.data()));
    });
    const Bytes expected = reference::ImageData(pixels);
    const size_t tinySize = 7;                  // see OnePixelImageData
    ASSERT_EQ(out.size(), 2 * expected.size() + kBetween * tinySize);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.end() - expected.size()));
}

// The last data sub-block never exceeds 255 bytes: find an image whose data
// ends with 256 pending bytes, which must go out as 255 + 1.
TEST(EncoderLzw, LastSubBlockOf256BytesIsSplit)
{
    bool found = false;
    for (int length = 1600; length < 2600 && !found; ++length) {
        const Bytes pixels = synth::Make(synth::Content::Noise, length, 1, 77);
        const Bytes expected = reference::ImageData(pixels);
        // Walk the sub-blocks; a 255-byte block followed by a 1-byte block and
        // the terminator is the split case.
        size_t at = 1, last = 0, beforeLast = 0;
        while (expected[at] != 0) {
            beforeLast = last;
            last = expected[at];
            at += 1 + expected[at];
        }
        if (!(beforeLast == 255 && last == 1))
            continue;
        found = true;
        Dib dib = MakeDib(pixels, length, 1, synth::Palette());
        const Bytes out = Written("split.gif", [&](HANDLE f) {
            EXPECT_TRUE(Gif().image(f, dib.Header(), dib.bits.data()));
        });
        EXPECT_TRUE(out == expected) << "width " << length;
    }
    EXPECT_TRUE(found) << "no image in the range ends with 256 pending bytes";
}
