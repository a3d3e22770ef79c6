// IGifStreamOptions4's size choices as an AVIFile client meets them: the
// screen and every image scaled by the screen's factors, each output pixel
// the mean of its block; a colour limit that no table passes.
#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <vector>

#include "ClientHarness.h"
#include "HandlerHarness.h"
#include "LzwDecoder.h"

using namespace handlertest;

namespace {

class SizeChoicesTest : public AviFileTest
{
};

// The colours of image n as red, green, blue per pixel, through its table.
std::vector<BYTE> ImageColours(const std::vector<BYTE>& bytes, const GifLayout& layout, size_t n)
{
    const GifImage& image = layout.images[n];
    const std::vector<BYTE> data(bytes.begin() + image.data, bytes.begin() + image.end);
    const std::vector<uint8_t> indices = reference::DecodeLzw(data, static_cast<size_t>(image.width) * image.height);
    std::vector<BYTE> rgb;
    for (uint8_t i : indices) {
        const BYTE* c = image.localTable != 0 ? &bytes[image.localTable + 3 * i] : &layout.colours[3 * i];
        rgb.insert(rgb.end(), c, c + 3);
    }
    return rgb;
}

} // namespace

// An 8-bit screen of 8 x 6 asked to be 4 wide: 4 x 3, and a later image of
// 4 x 2 becomes 2 x 1; each pixel is the rounded mean of its 2 x 2 block.
TEST_F(SizeChoicesTest, ExactFactorsGiveTheBlockMeans)
{
    std::vector<uint8_t> big(8 * 6), small(4 * 2);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<uint8_t>((i * 37) % 251);
    for (size_t i = 0; i < small.size(); ++i)
        small[i] = static_cast<uint8_t>((i * 91) % 241);
    const std::vector<BYTE> format = MakeFormat(8, 6), smallFormat = MakeFormat(4, 2);
    const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(format.data() + sizeof(BITMAPINFOHEADER));
    const std::string path = FreshPath("scaled.gif");
    {
        ClientGif gif(path);
        ASSERT_TRUE(gif.Ready());
        ASSERT_EQ(S_OK, gif.Options()->SetOutputSize(4, 0));
        ASSERT_EQ(S_OK, gif.Format(format));
        ASSERT_EQ(S_OK, gif.Frame(MakeRows(big, 8, 6)));
        ASSERT_EQ(S_OK, gif.Format(smallFormat));
        ASSERT_EQ(S_OK, gif.Frame(MakeRows(small, 4, 2)));
    }
    const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
    const GifLayout layout = ReadGifLayout(bytes);
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(4, layout.width);
    EXPECT_EQ(3, layout.height);
    ASSERT_EQ(2u, layout.images.size());
    EXPECT_EQ(2, layout.images[1].width);
    EXPECT_EQ(1, layout.images[1].height);
    struct Shot { size_t image; const std::vector<uint8_t>& pixels; int width; int outWidth, outHeight; };
    for (const Shot& s : { Shot{0, big, 8, 4, 3}, Shot{1, small, 4, 2, 1} }) {
        const std::vector<BYTE> shown = ImageColours(bytes, layout, s.image);
        ASSERT_EQ(static_cast<size_t>(3 * s.outWidth * s.outHeight), shown.size());
        for (int y = 0; y < s.outHeight; ++y)
            for (int x = 0; x < s.outWidth; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int j = 0; j < 2; ++j)
                        for (int i = 0; i < 2; ++i) {
                            const RGBQUAD& q = table[s.pixels[(2 * y + j) * s.width + 2 * x + i]];
                            sum += c == 0 ? q.rgbRed : c == 1 ? q.rgbGreen : q.rgbBlue;
                        }
                    EXPECT_EQ((sum + 2) / 4, shown[3 * (y * s.outWidth + x) + c])
                        << "image " << s.image << " at " << x << "," << y;
                }
    }
}

// With a limit of 8 colours, noise of 200 colours comes out in tables of at
// most 8 entries, differenced or not.
TEST_F(SizeChoicesTest, NoTablePassesTheColourLimit)
{
    for (BOOL differencing : { FALSE, TRUE }) {
        const std::string path = FreshPath("limited.gif");
        {
            ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            ASSERT_EQ(S_OK, gif.Options()->SetFrameDifferencing(differencing));
            ASSERT_EQ(S_OK, gif.Options()->SetColourLimit(8));
            ASSERT_EQ(S_OK, gif.Format(MakeFormat(40, 30)));
            for (int n = 0; n < 3; ++n)
                ASSERT_EQ(S_OK, gif.Frame(NoiseRows(40, 30, n)));
        }
        const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
        const GifLayout layout = ReadGifLayout(bytes);
        ASSERT_TRUE(layout.valid);
        EXPECT_LE(layout.colours.size(), 3u * 8) << "differencing " << differencing;
        for (size_t n = 0; n < layout.images.size(); ++n) {
            const std::vector<BYTE> shown = ImageColours(bytes, layout, n);
            std::vector<DWORD> colours;
            for (size_t i = 0; i + 2 < shown.size(); i += 3) {
                const DWORD c = shown[i] << 16 | shown[i + 1] << 8 | shown[i + 2];
                if (std::find(colours.begin(), colours.end(), c) == colours.end())
                    colours.push_back(c);
            }
            EXPECT_LE(colours.size(), 8u) << "image " << n << ", differencing " << differencing;
        }
    }
}
