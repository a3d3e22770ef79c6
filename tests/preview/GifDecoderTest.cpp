// cGifDecoder against ImageMagick: GIFs made by other encoders (ImageMagick,
// giflib, gifsicle, PIL) decoded frame by frame, with the bytes handed over
// whole, a byte at a time and in odd pieces, must give ImageMagick's
// composed frames, delays and loop count; damaged and hostile files are
// refused with a reason, never read past their end.
#include "GifDecoder.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace {

std::string Folder()
{
    return testsupport::EnvPath("DECODER_GIFS") + "\\";
}

struct Expected
{
    LONG nWidth = 0, nHeight = 0;
    int nFrames = 0, nLoop = -1;
    std::vector<int> delays;
    std::vector<BYTE> rgba;
};

Expected ReadExpected(const std::string& name)
{
    Expected e;
    std::istringstream text(std::string(reinterpret_cast<const char*>(
        testsupport::ReadFileBytes(Folder() + name + ".txt").data()),
        testsupport::ReadFileBytes(Folder() + name + ".txt").size()));
    text >> e.nWidth >> e.nHeight >> e.nFrames >> e.nLoop;
    for (int d; text >> d;)
        e.delays.push_back(d);
    e.rgba = testsupport::ReadFileBytes(Folder() + name + ".rgba");
    return e;
}

struct Decoded
{
    std::vector<std::vector<BYTE>> frames;      // RGBA as the expectation keeps it
    std::vector<int> delays;
    int nLoop = -1;
    cGifDecoder::Result last = cGifDecoder::needMore;
    std::string error;
};

// The screen as RGBA bytes, transparent pixels all zero.
std::vector<BYTE> Rgba(const cGifDecoder& decoder)
{
    const size_t n = static_cast<size_t>(decoder.GetWidth()) * decoder.GetHeight();
    std::vector<BYTE> rgba(4 * n);
    for (size_t i = 0; i < n; ++i) {
        const DWORD c = decoder.GetScreen()[i];
        if ((c >> 24) == 0)
            continue;
        rgba[4 * i] = static_cast<BYTE>(c >> 16);
        rgba[4 * i + 1] = static_cast<BYTE>(c >> 8);
        rgba[4 * i + 2] = static_cast<BYTE>(c);
        rgba[4 * i + 3] = static_cast<BYTE>(c >> 24);
    }
    return rgba;
}

// Feeds the bytes nChunk at a time (0: all at once), as a writer hands them over.
Decoded Decode(const std::vector<BYTE>& bytes, size_t nChunk)
{
    Decoded out;
    cGifDecoder decoder;
    std::vector<BYTE> waiting;
    size_t nGiven = 0;
    for (;;) {
        size_t cbUsed = 0;
        const cGifDecoder::Result result = decoder.Decode(waiting.data(), waiting.size(), cbUsed);
        EXPECT_LE(cbUsed, waiting.size());
        waiting.erase(waiting.begin(), waiting.begin() + static_cast<std::ptrdiff_t>(cbUsed));
        out.last = result;
        if (result == cGifDecoder::frameReady) {
            out.frames.push_back(Rgba(decoder));
            out.delays.push_back(decoder.GetDelay());
            continue;
        }
        if (result != cGifDecoder::needMore || nGiven == bytes.size())
            break;
        const size_t n = nChunk == 0 ? bytes.size() : std::min(nChunk, bytes.size() - nGiven);
        waiting.insert(waiting.end(), bytes.begin() + static_cast<std::ptrdiff_t>(nGiven),
                       bytes.begin() + static_cast<std::ptrdiff_t>(nGiven + n));
        nGiven += n;
    }
    out.nLoop = decoder.GetLoopCount();
    if (decoder.GetError() != nullptr)
        out.error = decoder.GetError();
    return out;
}

std::vector<std::string> Cases()
{
    std::vector<std::string> names;
    std::istringstream list(std::string(reinterpret_cast<const char*>(
        testsupport::ReadFileBytes(Folder() + "cases.txt").data()),
        testsupport::ReadFileBytes(Folder() + "cases.txt").size()));
    for (std::string name; list >> name;)
        names.push_back(name);
    return names;
}

// The first pixel where two frames differ, as text, or empty.
std::string FirstDifference(const std::vector<BYTE>& mine, const BYTE* theirs, LONG nWidth)
{
    for (size_t i = 0; i < mine.size(); i += 4)
        if (std::memcmp(&mine[i], theirs + i, 4) != 0) {
            char sz[128];
            ::wsprintfA(sz, "pixel (%d, %d): ours %02x%02x%02x/%02x, theirs %02x%02x%02x/%02x",
                        static_cast<int>(i / 4 % nWidth), static_cast<int>(i / 4 / nWidth), mine[i], mine[i + 1],
                        mine[i + 2], mine[i + 3], theirs[i], theirs[i + 1], theirs[i + 2], theirs[i + 3]);
            return sz;
        }
    return std::string();
}

} // namespace

TEST(GifDecoder, OtherEncodersGifsDecodeAsImageMagickShowsThem)
{
    const std::vector<std::string> names = Cases();
    ASSERT_GE(names.size(), 10u) << "the fixture made too few cases in " << Folder();
    for (const std::string& name : names) {
        const Expected e = ReadExpected(name);
        const std::vector<BYTE> gif = testsupport::ReadFileBytes(Folder() + name + ".gif");
        ASSERT_FALSE(gif.empty()) << name;
        const size_t frameBytes = 4 * static_cast<size_t>(e.nWidth) * e.nHeight;
        ASSERT_EQ(frameBytes * e.nFrames, e.rgba.size()) << name;
        for (size_t nChunk : {size_t(0), size_t(1), size_t(97)}) {
            SCOPED_TRACE(name + " in pieces of " + std::to_string(nChunk));
            const Decoded d = Decode(gif, nChunk);
            EXPECT_EQ(cGifDecoder::finished, d.last) << d.error;
            ASSERT_EQ(static_cast<size_t>(e.nFrames), d.frames.size());
            EXPECT_EQ(e.delays, d.delays);
            EXPECT_EQ(e.nLoop, d.nLoop);
            for (int n = 0; n < e.nFrames; ++n)
                EXPECT_EQ("", FirstDifference(d.frames[n], &e.rgba[n * frameBytes], e.nWidth)) << "frame " << n;
        }
    }
}

namespace {

// A GIF of one 2x2 image on a 2x2 screen with a 4-colour global table,
// whose LZW data (minimum code size 2) is given.
std::vector<BYTE> TinyGif(std::vector<BYTE> data)
{
    std::vector<BYTE> gif = {
        'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x81, 0, 0,      // screen, 4-colour table
        0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255,                   // black, red, green, blue
        0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0,                            // the image
        2,                                                           // minimum code size
    };
    gif.push_back(static_cast<BYTE>(data.size()));
    gif.insert(gif.end(), data.begin(), data.end());
    gif.push_back(0);
    gif.push_back(0x3B);
    return gif;
}

} // namespace

TEST(GifDecoder, DamagedAndHostileFilesAreRefusedWithAReason)
{
    // Low bit first: clear (4), 1, 2, 3 in 3 bits; the table then reaches 8
    // entries, so 0 and end (5) come in 4 bits.
    const std::vector<BYTE> good = TinyGif({0x8C, 0x06, 0x05});
    ASSERT_EQ(cGifDecoder::finished, Decode(good, 0).last) << Decode(good, 0).error;
    ASSERT_EQ(1u, Decode(good, 0).frames.size());
    const std::vector<BYTE> firstPixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 0, 255};
    EXPECT_EQ(firstPixels, Decode(good, 0).frames[0]);

    struct Case
    {
        const char* what;
        std::vector<BYTE> bytes;
        cGifDecoder::Result result;
    };
    std::vector<BYTE> bigScreen = good;
    bigScreen[6] = bigScreen[7] = bigScreen[8] = bigScreen[9] = 0xFF;
    std::vector<BYTE> emptyScreen = good;
    emptyScreen[6] = emptyScreen[7] = 0;
    std::vector<BYTE> noTable = good;
    noTable[10] = 0;
    noTable.erase(noTable.begin() + 13, noTable.begin() + 25);
    std::vector<BYTE> codeSize = good;
    codeSize[35] = 12;
    std::vector<BYTE> unknownBlock = good;
    unknownBlock[25] = 0x99;
    const Case cases[] = {
        {"not a GIF", {'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, cGifDecoder::damaged},
        {"a code beyond the table", TinyGif({0x07 | (5 << 3)}), cGifDecoder::damaged},
        {"the table's next code right after a clear", TinyGif({0x34, 0x05}), cGifDecoder::damaged},
        {"a screen of 65535 x 65535", bigScreen, cGifDecoder::damaged},
        {"an empty screen", emptyScreen, cGifDecoder::damaged},
        {"an image without any colour table", noTable, cGifDecoder::damaged},
        {"a code size of 12", codeSize, cGifDecoder::damaged},
        {"an unknown block", unknownBlock, cGifDecoder::damaged},
        {"cut inside the image data", std::vector<BYTE>(good.begin(), good.end() - 4), cGifDecoder::needMore},
        {"cut inside the colour table", std::vector<BYTE>(good.begin(), good.begin() + 20), cGifDecoder::needMore},
    };
    for (const Case& c : cases) {
        for (size_t nChunk : {size_t(0), size_t(1)}) {
            const Decoded d = Decode(c.bytes, nChunk);
            EXPECT_EQ(c.result, d.last) << c.what << ", pieces of " << nChunk;
            EXPECT_TRUE(d.frames.empty()) << c.what;
            EXPECT_EQ(c.result == cGifDecoder::damaged, !d.error.empty()) << c.what;
        }
    }
}

TEST(GifDecoder, DataThatEndsEarlyLeavesTheRestOfTheImageAtIndexZero)
{
    // Clear, 1, then the data ends with neither the other pixels nor the end code.
    const Decoded d = Decode(TinyGif({0x0C}), 0);
    ASSERT_EQ(cGifDecoder::finished, d.last) << d.error;
    ASSERT_EQ(1u, d.frames.size());
    const std::vector<BYTE> pixels = {255, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255};
    EXPECT_EQ(pixels, d.frames[0]);
}
