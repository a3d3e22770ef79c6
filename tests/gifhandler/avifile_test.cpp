// The GIF handler as any AVIFile client meets it once installed: a .gif name
// opened for writing, one video stream, the private options interface, formats
// and samples, releases. Each file is written with a .expect beside it, in
// gifdump's words, for the host-side check to compare with giflib's reading.
#include <windows.h>
#include <initguid.h>   // the AVIFile interface identifiers, defined once here
#include <vfw.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "HandlerHarness.h"
#include "SyntheticFrames.h"

using namespace handlertest;

namespace {

const UINT kCreateMode = OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE;    // 0x1012

// One frame as the client sends it, and the transparency it asks for.
struct Frame
{
    LONG width, height;
    bool topDown;
    synth::Content content;
    int number;
    int transparency;       // -1: SetTransparency(0); 0: leave as is; 1: the bottom-left pixel
    bool newFormat;         // send the format again before this frame
    WORD delay;             // the hundredths the file must say
};

struct Movie
{
    const char* name;
    DWORD rate, scale;
    int loopCount;          // -1: not set
    std::vector<Frame> frames;
};

class AviFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ::AVIFileInit(); }
    void TearDown() override { ::AVIFileExit(); }

    // Writes the movie through AVIFile, checking the counts on the way, and
    // the .expect file that says what a decoder must find in it.
    void WriteMovie(const Movie& movie)
    {
        const std::string path = testsupport::WorkPath(std::string(movie.name) + ".gif");
        const std::string expectPath = testsupport::WorkPath(std::string(movie.name) + ".expect");
        ::DeleteFileA(path.c_str());
        ::DeleteFileA(expectPath.c_str());

        PAVIFILE file = nullptr;
        ASSERT_EQ(S_OK, ::AVIFileOpenA(&file, path.c_str(), kCreateMode, nullptr));
        EXPECT_EQ(2u, ::AVIFileAddRef(file));
        EXPECT_EQ(1u, ::AVIFileRelease(file));

        AVISTREAMINFOA info = {};
        info.fccType = streamtypeVIDEO;
        info.dwRate = movie.rate;
        info.dwScale = movie.scale;
        info.dwQuality = static_cast<DWORD>(-1);
        PAVISTREAM stream = nullptr;
        ASSERT_EQ(S_OK, ::AVIFileCreateStreamA(file, &stream, &info));
        EXPECT_EQ(3u, ::AVIStreamAddRef(stream));
        EXPECT_EQ(2u, ::AVIStreamRelease(stream));

        IGifStreamOptions* options = nullptr;
        ASSERT_EQ(S_OK, stream->QueryInterface(IID_IGifStreamOptions, reinterpret_cast<void**>(&options)));
        EXPECT_EQ(3u, RefCount(options));
        if (movie.loopCount >= 0) {
            EXPECT_EQ(S_OK, options->SetLoopCount(static_cast<WORD>(movie.loopCount)));
        }

        std::ostringstream expect;
        const Frame& first = movie.frames.front();
        std::vector<BYTE> format = MakeFormat(first.width, first.topDown ? -first.height : first.height);
        ASSERT_EQ(S_OK, ::AVIStreamSetFormat(stream, 0, format.data(), static_cast<LONG>(format.size())));
        expect << "screen " << first.width << " " << first.height << " 8 0\n";
        std::string colours;
        for (int i = 0; i < 256; ++i) {
            const BYTE* q = format.data() + 40 + 4 * i;
            const BYTE rgb[3] = { q[2], q[1], q[0] };
            colours += testsupport::Hex(rgb, 3);
        }
        expect << "colours " << colours << "\n";
        expect << "loop " << (movie.loopCount >= 0 ? movie.loopCount : 0) << "\n";

        int transparentIndex = -1;
        for (size_t n = 0; n < movie.frames.size(); ++n) {
            const Frame& f = movie.frames[n];
            if (f.newFormat) {
                format = MakeFormat(f.width, f.topDown ? -f.height : f.height);
                ASSERT_EQ(S_OK, ::AVIStreamSetFormat(stream, static_cast<LONG>(n), format.data(),
                                                     static_cast<LONG>(format.size())));
            }
            const std::vector<uint8_t> picture = synth::Make(f.content, f.width, f.height, f.number);
            std::vector<BYTE> rows = MakeRows(picture, f.width, f.height, f.topDown);
            if (f.transparency < 0) {
                EXPECT_EQ(S_OK, options->SetTransparency(0, 0));
                transparentIndex = -1;
            } else if (f.transparency > 0) {
                EXPECT_EQ(S_OK, options->SetTransparency(1, rows[0]));
                transparentIndex = rows[0];
            }
            ASSERT_EQ(S_OK, ::AVIStreamWrite(stream, static_cast<LONG>(n), 1, rows.data(),
                                             static_cast<LONG>(rows.size()), AVIIF_KEYFRAME,
                                             nullptr, nullptr));
            char control[64];
            std::snprintf(control, sizeof control, "control %02x %u %d\n",
                          transparentIndex >= 0 ? 0x89 : 0x80, f.delay,
                          transparentIndex >= 0 ? transparentIndex : 0);
            expect << control << "image 0 0 " << f.width << " " << f.height << " 0 0\n"
                   << "pixels " << testsupport::Hex(picture.data(), picture.size()) << "\n";
        }

        EXPECT_EQ(2u, options->Release());
        EXPECT_EQ(1u, ::AVIStreamRelease(stream));
        EXPECT_EQ(0u, ::AVIFileRelease(file));
        const std::string text = expect.str();
        ASSERT_TRUE(testsupport::WriteFileBytes(expectPath, text.data(), text.size()));
    }
};

Frame MakeFrame(LONG w, LONG h, synth::Content c, int number, WORD delay, int transparency = 0,
                bool topDown = false, bool newFormat = false)
{
    return Frame{ w, h, topDown, c, number, transparency, newFormat, delay };
}

TEST_F(AviFileTest, ThirtyFramesPerSecondWithLoopAndTransparency)
{
    Movie movie{ "landscape", 30, 1, 3, {} };
    const WORD delays[] = { 3, 4, 3, 3, 4, 3, 3, 4 };
    for (int n = 0; n < 8; ++n) {
        const int transparency = n == 4 ? 1 : n == 6 ? -1 : 0;
        movie.frames.push_back(MakeFrame(48, 32, synth::Content::Natural, n, delays[n], transparency));
    }
    WriteMovie(movie);
}

// Rows as movie decoders hand them out: top row first, negative height.
TEST_F(AviFileTest, TopDownFramesAtFivePerSecond)
{
    Movie movie{ "topdown", 5, 1, -1, {} };
    for (int n = 0; n < 3; ++n)
        movie.frames.push_back(MakeFrame(21, 10, synth::Content::Fractal, n, 20, n == 0 ? 1 : 0, true));
    WriteMovie(movie);
}

TEST_F(AviFileTest, LaterFramesOfAnotherSize)
{
    Movie movie{ "sizes", 25, 2, 0xFFFF, {} };
    movie.frames.push_back(MakeFrame(16, 12, synth::Content::Noise, 1, 8));
    movie.frames.push_back(MakeFrame(7, 5, synth::Content::Noise, 2, 8, 0, false, true));
    movie.frames.push_back(MakeFrame(7, 5, synth::Content::Flat, 3, 8));
    WriteMovie(movie);
}

TEST_F(AviFileTest, OpeningAGifForReadingIsRefused)
{
    const std::string path = testsupport::WorkPath("read.gif");
    const BYTE trailer = 0x3B;
    ASSERT_TRUE(testsupport::WriteFileBytes(path, &trailer, 1));
    PAVIFILE file = reinterpret_cast<PAVIFILE>(1);
    EXPECT_EQ(AVIERR_UNSUPPORTED, ::AVIFileOpenA(&file, path.c_str(), OF_READ, nullptr));
    EXPECT_EQ(nullptr, file);
    EXPECT_EQ(1u, testsupport::ReadFileBytes(path).size()) << "the file is left as it was";
}

} // namespace
