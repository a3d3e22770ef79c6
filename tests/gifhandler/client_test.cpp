// What the handler answers an AVIFile client that sends what it cannot
// write, and the guards of its image path: formats refused with their
// frames, no index outside its table, a screen too large for memory, the
// shorter of two encodings kept, images in their order; and, run under a
// file size limit, a file cut back to its last whole image.
#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <cstring>

#include "ClientHarness.h"

using namespace handlertest;

namespace {

typedef AviFileTest ClientTest;

std::vector<BYTE> FlatRows(LONG width, LONG height, BYTE index)
{
    return std::vector<BYTE>(static_cast<size_t>(Stride(width)) * height, index);
}

// The offset just past an image's last data sub-block.
size_t ImageEnd(const std::vector<BYTE>& b, const GifImage& image)
{
    size_t p = image.data + 1;
    while (p < b.size() && b[p] != 0)
        p += 1 + b[p];
    return p + 1;
}

/////////////////////////////////////////////////////////////////////////////
// Honest answers

struct Refusal
{
    const char* what;
    std::vector<BYTE> format;
    HRESULT hr;
    bool laterOnly;     // a first format of that size would be the screen
};

// A block bytes long of a format of another kind than MakeFormat's.
std::vector<BYTE> FormatOf(WORD bits, DWORD compression, size_t bytes, LONG width = 8, LONG height = 8)
{
    std::vector<BYTE> format = MakeFormat(width, height, bits);
    reinterpret_cast<BITMAPINFOHEADER*>(format.data())->biCompression = compression;
    format.resize(bytes);
    return format;
}

std::vector<Refusal> Refusals()
{
    std::vector<BYTE> masks444 = FormatOf(16, BI_BITFIELDS, 52);
    const DWORD masks[3] = { 0x0F00, 0x00F0, 0x000F };
    std::memcpy(masks444.data() + sizeof(BITMAPINFOHEADER), masks, sizeof masks);
    return {
        { "bit fields with 4-4-4 masks", masks444, AVIERR_COMPRESSOR, false },
        { "bit fields without their masks", FormatOf(16, BI_BITFIELDS, 40), AVIERR_BADFORMAT, false },
        { "a compressed format", FormatOf(24, mmioFOURCC('c', 'v', 'i', 'd'), 40), AVIERR_COMPRESSOR, false },
        { "8-bit run lengths", FormatOf(8, BI_RLE8, 1064), AVIERR_BADFORMAT, false },
        { "wider than the screen", FormatOf(8, BI_RGB, 1064, 9, 8), AVIERR_BADFORMAT, true },
        { "taller than the screen", FormatOf(8, BI_RGB, 1064, 8, -9), AVIERR_BADFORMAT, true },
    };
}

// Refused first or later, with every frame until a format the handler can
// write comes; a refused first format leaves the file empty, not a trailer
// that is no GIF.
TEST_F(ClientTest, FormatsItCannotWriteAreRefusedWithTheirFrames)
{
    for (const Refusal& r : Refusals())
        for (bool first : { true, false }) {
            if (first && r.laterOnly)
                continue;
            SCOPED_TRACE(std::string(r.what) + (first ? ", first" : ", later"));
            const std::string path = FreshPath("refused.gif");
            {
                ClientGif gif(path);
                ASSERT_TRUE(gif.Ready());
                if (!first) {
                    ASSERT_EQ(S_OK, gif.Format(MakeFormat(8, 8)));
                    ASSERT_EQ(S_OK, gif.Frame(FlatRows(8, 8, 1)));
                }
                EXPECT_EQ(r.hr, gif.Format(r.format));
                EXPECT_EQ(AVIERR_BADFORMAT, gif.Frame(FlatRows(32, 32, 1)));
                EXPECT_EQ(AVIERR_BADFORMAT, gif.Frame(FlatRows(32, 32, 2)));
                if (!first) {
                    EXPECT_EQ(S_OK, gif.Format(MakeFormat(8, 8)));
                    EXPECT_EQ(S_OK, gif.Frame(FlatRows(8, 8, 3)));
                }
            }
            const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
            if (first) {
                EXPECT_TRUE(bytes.empty());
                continue;
            }
            const GifLayout layout = ReadGifLayout(bytes);
            EXPECT_TRUE(layout.valid);
            ASSERT_EQ(2u, layout.images.size()) << "the frames of the refused format are not written";
            for (const GifImage& image : layout.images)
                EXPECT_TRUE(image.width == 8 && image.height == 8);
        }
}

// An 8-bit frame whose pixels index past its colour table (2 entries,
// pixels up to 10) gets a table that holds them, black past its own.
TEST_F(ClientTest, IndicesPastTheTableShowBlack)
{
    const struct { const char* what; BOOL differencing, parallel; } ways[] = {
        { "plain", FALSE, FALSE }, { "differenced", TRUE, FALSE }, { "differenced in parallel", TRUE, TRUE },
    };
    std::vector<uint8_t> pixels(6 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>((2 * (i % 6) + i / 6) % 11);
    std::vector<BYTE> two = MakeFormat(6, 4, 8, 99);
    reinterpret_cast<BITMAPINFOHEADER*>(two.data())->biClrUsed = 2;
    two.resize(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
    for (const auto& way : ways) {
        SCOPED_TRACE(way.what);
        const std::string path = FreshPath("pasttable.gif");
        {
            ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(way.differencing));
            EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(way.parallel));
            ASSERT_EQ(S_OK, gif.Format(MakeFormat(6, 4)));
            ASSERT_EQ(S_OK, gif.Frame(FlatRows(6, 4, 3)));
            ASSERT_EQ(S_OK, gif.Format(two));
            ASSERT_EQ(S_OK, gif.Frame(MakeRows(pixels, 6, 4)));
        }
        const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
        const GifLayout layout = ReadGifLayout(bytes);
        ASSERT_TRUE(layout.valid);
        ASSERT_EQ(2u, layout.images.size());
        const GifImage& image = layout.images[1];
        ASSERT_GE(image.localEntries, 11u) << "a table of its own, holding every index";
        const std::vector<BYTE> indices = DecodeIndices(bytes, image);
        ASSERT_EQ(static_cast<size_t>(image.width) * image.height, indices.size());
        for (BYTE index : indices)
            EXPECT_LT(index, image.localEntries);
        const BYTE* table = &bytes[image.localTable];
        EXPECT_EQ(two[40 + 2], table[0]) << "its own colours first";
        for (size_t i = 2; i < 11; ++i)
            EXPECT_TRUE(table[3 * i] == 0 && table[3 * i + 1] == 0 && table[3 * i + 2] == 0) << "entry " << i;
    }
}

// Differencing keeps what the screen shows; a screen of 32768 x 32769
// would need 4 GB: the answer is AVIERR_MEMORY, for that image and every
// later call, never a fault.
TEST_F(ClientTest, ScreenTooLargeForMemoryIsAnsweredAndKept)
{
    const std::string path = FreshPath("hugescreen.gif");
    ClientGif gif(path);
    ASSERT_TRUE(gif.Ready());
    EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(TRUE));
    ASSERT_EQ(S_OK, gif.Format(MakeFormat(32768, 32769)));
    ASSERT_EQ(S_OK, gif.Format(MakeFormat(2, 2)));
    EXPECT_EQ(AVIERR_MEMORY, gif.Frame(FlatRows(2, 2, 1)));
    EXPECT_EQ(AVIERR_MEMORY, gif.Frame(FlatRows(2, 2, 1)));
    DWORD nImages = 99;
    EXPECT_EQ(AVIERR_MEMORY, gif.Finish(&nImages));
    EXPECT_EQ(0u, nImages);
}

/////////////////////////////////////////////////////////////////////////////
// Guards of the image path

// Differencing offers the image with its still pixels transparent beside
// the plain one and keeps the shorter: the transparent one for still noise
// with two changed corners; the plain one for a flat frame over two-colour
// noise, where half the pixels stay but the flat picture is shorter than
// its holes.
TEST_F(ClientTest, TheShorterOfTwoEncodingsIsKept)
{
    const LONG kSide = 64;
    // Half the indices, so that one is left for the transparent colour.
    std::vector<uint8_t> noise = synth::Make(synth::Content::Noise, kSide, kSide, 5);
    for (uint8_t& p : noise)
        p &= 0x7F;
    std::vector<uint8_t> corners = noise, twoColours = noise, flat(noise.size(), 1);
    corners.front() = corners.back() = static_cast<uint8_t>(noise.front() + 1);
    for (uint8_t& p : twoColours)
        p = p & 1 ? 1 : 2;
    flat.front() = flat.back() = 3;
    const struct { const char* what; const std::vector<uint8_t>& before; const std::vector<uint8_t>& after;
                   bool transparent; } cases[] = {
        { "still noise", noise, corners, true },
        { "flat over two colours", twoColours, flat, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = FreshPath("shorter.gif");
        {
            ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(TRUE));
            ASSERT_EQ(S_OK, gif.Format(MakeFormat(kSide, kSide)));
            ASSERT_EQ(S_OK, gif.Frame(MakeRows(c.before, kSide, kSide)));
            ASSERT_EQ(S_OK, gif.Frame(MakeRows(c.after, kSide, kSide)));
        }
        const GifLayout layout = ReadGifLayout(testsupport::ReadFileBytes(path));
        ASSERT_EQ(2u, layout.images.size());
        EXPECT_EQ(kSide, layout.images[1].width) << "the change spans the screen";
        EXPECT_EQ(c.transparent, (layout.images[1].controlPacked & 1) != 0);
    }
}

// More images than the workers hold jobs, with and without differencing:
// the parallel file is the serial one, byte for byte. Images waiting for
// each other in the wrong order are ended by the watchdog within 30 s.
TEST_F(ClientTest, ParallelImagesComeOutInTheirOrder)
{
    const int kImages = 24;
    for (BOOL differencing : { FALSE, TRUE }) {
        std::vector<BYTE> files[2];
        for (BOOL parallel : { FALSE, TRUE }) {
            const std::string path = FreshPath(parallel ? "order_parallel.gif" : "order.gif");
            {
                ClientGif gif(path);
                ASSERT_TRUE(gif.Ready());
                EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(differencing));
                EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(parallel));
                ASSERT_EQ(S_OK, gif.Format(MakeFormat(48, 32)));
                for (int n = 0; n < kImages; ++n)
                    ASSERT_EQ(S_OK, gif.Frame(PictureRows(48, 32, n % 3 == 2 ? n - 1 : n)));
                DWORD nImages = 0;
                EXPECT_EQ(S_OK, gif.Finish(&nImages));
                EXPECT_EQ(static_cast<DWORD>(kImages), nImages);
            }
            files[parallel] = testsupport::ReadFileBytes(path);
        }
        EXPECT_EQ(static_cast<size_t>(kImages), ReadGifLayout(files[0]).images.size());
        EXPECT_TRUE(files[0] == files[1]) << "differencing " << differencing;
    }
}

/////////////////////////////////////////////////////////////////////////////
// A full disk: run only by gifhandler_file_limit_test, whose files fail
// past 64 KiB (run-with-file-limit.sh)

TEST(FileSizeLimit, FileIsCutBackToItsLastWholeImage)
{
    const std::string probe = FreshPath("limit-probe.bin");
    const std::vector<BYTE> big(70000, 1);
    ASSERT_FALSE(testsupport::WriteFileBytes(probe, big.data(), big.size()))
        << "no file size limit: run under run-with-file-limit.sh";
    ::DeleteFileA(probe.c_str());
    ::AVIFileInit();
    for (BOOL parallel : { FALSE, TRUE }) {
        SCOPED_TRACE(parallel ? "parallel" : "serial");
        const std::string path = FreshPath("limited.gif");
        {
            ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(parallel));
            ASSERT_EQ(S_OK, gif.Format(MakeFormat(200, 200)));
            // Noise of about 50 KB an image: the second passes the limit.
            bool bFailed = false;
            for (int n = 0; n < 6; ++n) {
                const HRESULT hr = gif.Frame(PictureRows(200, 200, n));
                EXPECT_TRUE(hr == (bFailed ? AVIERR_FILEWRITE : S_OK) || (!bFailed && hr == AVIERR_FILEWRITE));
                bFailed = bFailed || hr != S_OK;
            }
            DWORD nImages = 0;
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Finish(&nImages));
            EXPECT_EQ(1u, nImages);
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Frame(FlatRows(200, 200, 1)));
        }
        const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
        const GifLayout layout = ReadGifLayout(bytes);
        ASSERT_EQ(1u, layout.images.size());
        EXPECT_EQ(ImageEnd(bytes, layout.images[0]), bytes.size()) << "no part of the second image, no trailer";
    }
    ::AVIFileExit();
}

} // namespace
