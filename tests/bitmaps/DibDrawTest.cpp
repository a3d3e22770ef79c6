// Drawing buffers into a memory device context through GDI (plain and
// stretched) and through DrawDib, with the resulting pixels checked.
#include "DrawDib.h"

#include "BmpBuilder.h"

#include <gtest/gtest.h>

namespace {

const int nCanvasWidth = 64;
const int nCanvasHeight = 48;
const DWORD dwBackground = 0x00123456;

// A 32-bit top-down canvas selected into a memory device context.
class Canvas
{
public:
    Canvas()
    {
        BITMAPINFO bmi = {};
        bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
        bmi.bmiHeader.biWidth = nCanvasWidth;
        bmi.bmiHeader.biHeight = -nCanvasHeight;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        m_hDC = ::CreateCompatibleDC(nullptr);
        m_hBitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_pPixels), nullptr, 0);
        m_hOld = ::SelectObject(m_hDC, m_hBitmap);
        for (int i = 0; i < nCanvasWidth * nCanvasHeight; ++i)
            m_pPixels[i] = dwBackground;
    }
    ~Canvas()
    {
        ::SelectObject(m_hDC, m_hOld);
        ::DeleteObject(m_hBitmap);
        ::DeleteDC(m_hDC);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return m_hDC; }
    DWORD At(int x, int y) const
    {
        ::GdiFlush();
        return m_pPixels[y * nCanvasWidth + x] & 0x00FFFFFF;
    }

private:
    HDC m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
    DWORD* m_pPixels = nullptr;
};

DWORD Rgb(const RGBQUAD& q) { return (q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue; }

// The colour of picture pixel (x, y), y from the top, of a buffer made by bmp::Packed.
DWORD PictureColour(WORD bitCount, int x, int y)
{
    switch (bitCount) {
    case 8:
        return Rgb(bmp::Colour(bmp::PixelByte(x, y)));
    case 4: {
        const BYTE by = bmp::PixelByte(x / 2, y);
        return Rgb(bmp::Colour((x & 1) ? (by & 15) : (by >> 4)));
    }
    case 24:
        return (bmp::PixelByte(3 * x + 2, y) << 16) | (bmp::PixelByte(3 * x + 1, y) << 8) | bmp::PixelByte(3 * x, y);
    }
    return 0xFFFFFFFF;
}

struct DrawCase
{
    const char* what;
    WORD bitCount;
    bool topDownSource;
    bool useDrawDib;
    bool stretch;
    RECT dest;
    RECT src;
};

} // namespace

TEST(cDrawDibDraw, PixelsLandWhereExpected)
{
    const int w = 10, h = 6;
    const DrawCase cases[] = {
        {"GDI 8-bit", 8, false, false, false, {3, 2, 3 + w, 2 + h}, {0, 0, w, h}},
        {"GDI 8-bit from top-down", 8, true, false, false, {3, 2, 3 + w, 2 + h}, {0, 0, w, h}},
        {"GDI 8-bit part", 8, false, false, false, {0, 0, 4, 3}, {2, 1, 6, 4}},
        {"GDI 4-bit", 4, false, true, false, {1, 1, 1 + w, 1 + h}, {0, 0, w, h}},   // below 8 bits: GDI
        {"GDI 24-bit", 24, false, false, false, {5, 5, 5 + w, 5 + h}, {0, 0, w, h}},
        {"GDI 8-bit stretched", 8, false, true, true, {0, 0, 2 * w, 2 * h}, {0, 0, w, h}},
        {"GDI 8-bit part stretched", 8, false, false, true, {0, 0, 8, 6}, {2, 1, 6, 4}},
        {"DrawDib 8-bit", 8, false, true, false, {3, 2, 3 + w, 2 + h}, {0, 0, w, h}},
        {"DrawDib 8-bit from top-down", 8, true, true, false, {7, 9, 7 + w, 9 + h}, {0, 0, w, h}},
        {"DrawDib 24-bit", 24, false, true, false, {0, 0, w, h}, {0, 0, w, h}},
    };
    for (const DrawCase& c : cases) {
        bmp::Layout l;
        l.width = w;
        l.height = c.topDownSource ? -h : h;
        l.bitCount = c.bitCount;
        const bmp::Bytes packed = bmp::Packed(l);
        cDrawDib dib;
        ASSERT_TRUE(dib.SetFromPackedDib(reinterpret_cast<const BITMAPINFOHEADER*>(packed.data()))) << c.what;
        dib.m_bUseDrawDib = c.useDrawDib;
        Canvas canvas;
        const int nResult = dib.Draw(canvas.Dc(), c.dest.left, c.dest.top, c.dest.right, c.dest.bottom,
                                     c.src.left, c.src.top, c.src.right, c.src.bottom, nullptr, c.stretch);
        EXPECT_NE(0, nResult) << c.what;

        const int destW = c.dest.right - c.dest.left, destH = c.dest.bottom - c.dest.top;
        const int srcW = c.src.right - c.src.left, srcH = c.src.bottom - c.src.top;
        int nWrong = 0;
        for (int y = 0; y < nCanvasHeight; ++y) {
            for (int x = 0; x < nCanvasWidth; ++x) {
                DWORD expected = dwBackground;
                const int dx = x - c.dest.left, dy = y - c.dest.top;
                if (dx >= 0 && dx < destW && dy >= 0 && dy < destH)
                    expected = PictureColour(c.bitCount, c.src.left + dx * srcW / destW, c.src.top + dy * srcH / destH);
                if (canvas.At(x, y) != expected && nWrong++ < 3)
                    ADD_FAILURE() << c.what << ": pixel " << x << "," << y << " is " << std::hex << canvas.At(x, y)
                                  << ", expected " << expected;
            }
        }
        EXPECT_EQ(0, nWrong) << c.what;
    }
}

TEST(cDrawDibDraw, NothingToDrawWithoutPixels)
{
    cDrawDib dib;
    ASSERT_TRUE(dib.Create(4, 4, 8));
    Canvas canvas;
    EXPECT_EQ(0, dib.Draw(canvas.Dc(), 0, 0, 4, 4, 0, 0, 4, 4, nullptr, FALSE));
    EXPECT_EQ(dwBackground, canvas.At(0, 0));
    EXPECT_EQ(0, dib.Realize(nullptr, FALSE));
}

TEST(cDrawDibDraw, RealizeOnSharedAndOwnInstances)
{
    Canvas canvas;
    cDrawDib shared;                        // no pixels: the shared instance
    ASSERT_TRUE(shared.Create(4, 4, 8));
    EXPECT_NE(0, shared.Realize(canvas.Dc(), FALSE));     // 0 becomes 1 in the foreground

    cDrawDib own;
    ASSERT_TRUE(own.Create(4, 4, 8));
    ASSERT_TRUE(own.AllocBits(FALSE));
    ASSERT_NE(nullptr, own.m_hOwnDrawDib);
    own.Realize(canvas.Dc(), TRUE);         // result depends on the display; it must not disturb the DC
    EXPECT_EQ(::GetStockObject(DEFAULT_PALETTE), ::GetCurrentObject(canvas.Dc(), OBJ_PAL));
}
