// cDib and cDrawDib: header numbers, colour tables, pixel blocks, packed
// DIBs and the DrawDib bookkeeping.
#include "DrawDib.h"

#include "BmpBuilder.h"
#include "DibPixels.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

// Fills a buffer from an archive over the file at path, the way a project
// loads an embedded bitmap.
void LoadArchived(const std::string& path, cDib& dib)
{
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    dib.Serialize(ar);
}

} // namespace

TEST(cDib, CreateNumbers)
{
    struct Case { LONG w, h; WORD bits; WORD colours, infoSize; DWORD stride, size; };
    const Case cases[] = {
        {640, 480, 8, 256, 1064, 640, 307200},
        {33, 10, 1, 2, 48, 8, 80},
        {100, 100, 24, 0, 40, 300, 30000},
        {3, 2, 4, 16, 104, 4, 8},
        {5, 1, 32, 0, 40, 20, 20},
        {65535, 65535, 8, 256, 1064, 65536, 4294901760u},   // the largest that fits in 32 bits
    };
    for (const Case& c : cases) {
        cDrawDib dib;
        ASSERT_TRUE(dib.Create(c.w, c.h, c.bits)) << c.w << "x" << c.h << "x" << c.bits;
        EXPECT_EQ(c.colours, dib.GetColorCount()) << c.w;
        EXPECT_EQ(c.infoSize, dib.GetInfoSize()) << c.w;
        EXPECT_EQ(c.stride, dib.GetStride()) << c.w;
        EXPECT_EQ(c.size, dib.GetBitsSize()) << c.w;
        const BITMAPINFOHEADER& bih = dib.GetInfo()->bmiHeader;
        EXPECT_EQ(40u, bih.biSize);
        EXPECT_EQ(1, bih.biPlanes);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), bih.biCompression);
        EXPECT_EQ(static_cast<DWORD>(c.colours), bih.biClrUsed);
        EXPECT_EQ(c.w, dib.GetWidth());
        EXPECT_EQ(c.h, dib.GetHeight());
        EXPECT_EQ(nullptr, dib.LockBits());            // no pixels yet
    }
}

TEST(cDib, CreateRefusals)
{
    struct Case { const char* what; LONG w, h; WORD bits; };
    const Case cases[] = {
        {"bit count 0", 10, 10, 0},
        {"bit count 3", 10, 10, 3},
        {"bit count 64", 10, 10, 64},
        {"width 0", 0, 10, 8},
        {"height 0", 10, 0, 8},
        {"negative width", -10, 10, 8},
        {"width 65536", 65536, 1, 8},
        {"height 65536", 1, 65536, 8},
        {"height -65536", 1, -65536, 8},
        {"rows beyond 32 bits", 65535, 65535, 32},
        {"rows just beyond 32 bits", 65535, 65535, 16},
    };
    for (const Case& c : cases) {
        cDrawDib dib;
        EXPECT_FALSE(dib.Create(c.w, c.h, c.bits)) << c.what;
        EXPECT_EQ(nullptr, dib.GetInfo()) << c.what;
        EXPECT_EQ(0, dib.GetBitCount()) << c.what;
    }

    cDrawDib dib;
    ASSERT_TRUE(dib.Create(8, -6, 8));     // top-down size: same picture size
    EXPECT_EQ(6, dib.GetHeight());
    EXPECT_FALSE(dib.Create(16, 16, 24));  // a header, once made, stays
    EXPECT_EQ(8, dib.GetWidth());
    EXPECT_EQ(8, dib.GetBitCount());
}

TEST(cDib, EmptyBufferAccessors)
{
    cDrawDib dib;
    EXPECT_EQ(nullptr, dib.GetInfo());
    EXPECT_EQ(nullptr, dib.GetColorTable());
    EXPECT_EQ(0, dib.GetInfoSize());
    EXPECT_EQ(0, dib.GetColorCount());
    EXPECT_EQ(0u, dib.GetBitsSize());
    EXPECT_EQ(0, dib.GetWidth());
    EXPECT_EQ(0, dib.GetHeight());
    EXPECT_FALSE(dib.AllocBits(FALSE));
    EXPECT_EQ(nullptr, dib.LockBits());
}

TEST(cDib, CopyColorTable)
{
    cDrawDib big, small, none;
    ASSERT_TRUE(big.Create(4, 4, 8));
    ASSERT_TRUE(small.Create(4, 4, 4));
    for (int i = 0; i < 16; ++i)
        small.GetColorTable()[i] = bmp::Colour(i);
    EXPECT_FALSE(small.CopyColorTable(big));
    EXPECT_TRUE(big.CopyColorTable(small));
    EXPECT_EQ(0, memcmp(big.GetColorTable(), small.GetColorTable(), 16 * sizeof(RGBQUAD)));
    EXPECT_EQ(0, big.GetColorTable()[16].rgbGreen);
    EXPECT_FALSE(none.CopyColorTable(small));
    EXPECT_FALSE(big.CopyColorTable(none));
}

TEST(cDib, PixelBlockLocking)
{
    cDrawDib dib;
    ASSERT_TRUE(dib.Create(10, 10, 8));
    ASSERT_TRUE(dib.AllocBits(FALSE));
    EXPECT_FALSE(dib.AllocBits(FALSE));            // one block per buffer
    void* p = dib.LockBits();
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(p, dib.LockBits());
    const std::vector<BYTE> pixels = PixelsOf(dib);
    EXPECT_EQ(std::vector<BYTE>(120, 0), pixels);  // zero-initialised
    dib.FreeBits();
    EXPECT_EQ(nullptr, dib.LockBits());
    EXPECT_EQ(10, dib.GetWidth());                 // the header stays
}

// A freed block of a frame's size is handed to the next frame of that size;
// it must come as GMEM_ZEROINIT would give it, and only at its own size.
TEST(cDib, ReusedPixelBlockIsZeroedAndSized)
{
    const LONG nSide = 400;                         // 160,000 bytes: large enough to be kept
    std::vector<BYTE> dirty(static_cast<size_t>(nSide) * nSide, 0xAB);
    {
        cDrawDib first;
        ASSERT_TRUE(first.Create(nSide, nSide, 8));
        ASSERT_TRUE(first.AllocBits(FALSE));
        std::memcpy(first.LockBits(), dirty.data(), dirty.size());
        first.FreeBits();
    }
    cDrawDib same, other;
    ASSERT_TRUE(same.Create(nSide, nSide, 8));
    ASSERT_TRUE(same.AllocBits(FALSE));
    EXPECT_EQ(std::vector<BYTE>(dirty.size(), 0), PixelsOf(same));
    EXPECT_EQ(dirty.size(), ::GlobalSize(::GlobalHandle(same.LockBits())));
    std::memcpy(same.LockBits(), dirty.data(), dirty.size());
    same.FreeBits();
    ASSERT_TRUE(other.Create(nSide + 4, nSide, 8));
    ASSERT_TRUE(other.AllocBits(FALSE));
    EXPECT_EQ(static_cast<SIZE_T>(other.GetBitsSize()), ::GlobalSize(::GlobalHandle(other.LockBits())));
    EXPECT_EQ(std::vector<BYTE>(other.GetBitsSize(), 0), PixelsOf(other));
}

TEST(cDrawDib, SharedAndOwnInstances)
{
    const WORD nBefore = cDrawDib::GetLiveCount();
    {
        cDrawDib eight, four;
        EXPECT_EQ(nBefore + 2, cDrawDib::GetLiveCount());
        ASSERT_NE(nullptr, eight.m_hDrawDib);
        EXPECT_EQ(eight.m_hDrawDib, four.m_hDrawDib);   // both on the shared instance

        ASSERT_TRUE(eight.Create(8, 8, 8));
        ASSERT_TRUE(eight.AllocBits(FALSE));
        ASSERT_NE(nullptr, eight.m_hOwnDrawDib);
        EXPECT_EQ(eight.m_hOwnDrawDib, eight.m_hDrawDib);
        EXPECT_FALSE(eight.OpenOwnDrawDib());           // already has one

        ASSERT_TRUE(four.Create(8, 8, 4));
        ASSERT_TRUE(four.AllocBits(FALSE));
        EXPECT_EQ(nullptr, four.m_hOwnDrawDib);         // below 8 bits: none of its own

        eight.FreeBits();
        EXPECT_EQ(nullptr, eight.m_hOwnDrawDib);
        EXPECT_EQ(nullptr, eight.m_hDrawDib);
    }
    EXPECT_EQ(nBefore, cDrawDib::GetLiveCount());
}

TEST(cDib, PackedDibBottomUpAndTopDown)
{
    for (bool topDown : {false, true}) {
        bmp::Layout l;
        l.width = 6;
        l.height = topDown ? -5 : 5;
        const bmp::Bytes packed = bmp::Packed(l);
        cDrawDib dib;
        ASSERT_TRUE(dib.SetFromPackedDib(reinterpret_cast<const BITMAPINFOHEADER*>(packed.data()))) << topDown;
        EXPECT_EQ(5, dib.GetHeight());
        EXPECT_EQ(bmp::Rows(6, 5, 8, false), PixelsOf(dib)) << "top-down " << topDown;
        EXPECT_EQ(0, memcmp(packed.data() + 40, dib.GetColorTable(), 256 * sizeof(RGBQUAD)));
    }
}

TEST(cDib, PackedDibVariants)
{
    struct Case { const char* what; bmp::Layout layout; BOOL bResult; bool bPixels; };
    bmp::Layout base;
    base.width = 7;
    base.height = 3;
    auto with = [&base](void (*change)(bmp::Layout&)) {
        bmp::Layout l = base;
        change(l);
        return l;
    };
    const Case cases[] = {
        {"plain", base, TRUE, true},
        {"short table", with([](bmp::Layout& l) { l.clrUsed = 20; }), TRUE, true},
        {"size recorded", with([](bmp::Layout& l) { l.sizeImage = 24; }), TRUE, true},
        {"size without padding", with([](bmp::Layout& l) { l.sizeImage = 21; }), TRUE, true},
        {"size that fits neither", with([](bmp::Layout& l) { l.sizeImage = 22; }), FALSE, false},
        {"24-bit", with([](bmp::Layout& l) { l.bitCount = 24; }), TRUE, true},
        {"24-bit with a table", with([](bmp::Layout& l) { l.bitCount = 24; l.clrUsed = 3; }), TRUE, true},
        // Masks that say what BI_RGB says can be dropped without changing a colour.
        {"5-5-5 bit fields", with([](bmp::Layout& l) { bmp::SetMasks(l, 16, 0x7C00, 0x03E0, 0x001F); }), TRUE, true},
        {"8-8-8 bit fields", with([](bmp::Layout& l) { bmp::SetMasks(l, 32, 0xFF0000, 0x00FF00, 0x0000FF); }), TRUE, true},
    };
    for (const Case& c : cases) {
        const bmp::Bytes packed = bmp::Packed(c.layout);
        cDrawDib dib;
        EXPECT_EQ(c.bResult, dib.SetFromPackedDib(reinterpret_cast<const BITMAPINFOHEADER*>(packed.data()))) << c.what;
        ASSERT_NE(nullptr, dib.GetInfo()) << c.what;
        const std::vector<BYTE> expected = c.bPixels ? bmp::Rows(c.layout.width, c.layout.height, c.layout.bitCount, false)
                                                     : std::vector<BYTE>(dib.GetBitsSize(), 0);
        EXPECT_EQ(expected, PixelsOf(dib)) << c.what;
    }
}

TEST(cDib, PackedDibRefusalsLeaveTheBufferAlone)
{
    struct Case { const char* what; bmp::Layout layout; };
    bmp::Layout base;
    auto with = [&base](void (*change)(bmp::Layout&)) {
        bmp::Layout l = base;
        change(l);
        return l;
    };
    const Case cases[] = {
        {"version 4 header", with([](bmp::Layout& l) { l.headerSize = 108; })},
        {"run-length rows", with([](bmp::Layout& l) { l.compression = BI_RLE8; })},
        {"table larger than any", with([](bmp::Layout& l) { l.clrUsed = 257; l.tableEntries = 0; })},
        {"width 0", with([](bmp::Layout& l) { l.width = 0; })},
        {"height 70000", with([](bmp::Layout& l) { l.height = -70000; })},
        {"bit count 5", with([](bmp::Layout& l) { l.bitCount = 5; l.tableEntries = 0; })},
        {"8-bit with bit fields", with([](bmp::Layout& l) { bmp::SetMasks(l, 8, 0x7C00, 0x03E0, 0x001F); })},
        {"bit fields that overlap", with([](bmp::Layout& l) { bmp::SetMasks(l, 16, 0xF800, 0x0FE0, 0x001F); })},
    };
    for (const Case& c : cases) {
        const bmp::Bytes packed = bmp::Packed(c.layout);
        cDrawDib dib;
        ASSERT_TRUE(dib.Create(2, 2, 24));
        EXPECT_FALSE(dib.SetFromPackedDib(reinterpret_cast<const BITMAPINFOHEADER*>(packed.data()))) << c.what;
        EXPECT_EQ(24, dib.GetBitCount()) << c.what;
    }
    cDrawDib dib;
    EXPECT_FALSE(dib.SetFromPackedDib(nullptr));
}

// The rows follow the colours the packed DIB holds: entries past them are
// not taken from its rows.
TEST(cDib, PackedDibWithFewColoursTakesNoColourFromItsRows)
{
    for (DWORD clrUsed : {1, 20, 255}) {
        bmp::Layout l;
        l.width = 16;
        l.height = 8;
        l.clrUsed = clrUsed;
        const bmp::Bytes packed = bmp::Packed(l);
        cDrawDib dib;
        ASSERT_TRUE(dib.SetFromPackedDib(reinterpret_cast<const BITMAPINFOHEADER*>(packed.data()))) << clrUsed;
        EXPECT_EQ(0, memcmp(packed.data() + 40, dib.GetColorTable(), clrUsed * sizeof(RGBQUAD))) << clrUsed;
        const RGBQUAD zero = {};
        for (DWORD i = clrUsed; i < 256; ++i)
            ASSERT_EQ(0, memcmp(&zero, &dib.GetColorTable()[i], sizeof zero)) << clrUsed << " colours, entry " << i;
        EXPECT_EQ(bmp::Rows(16, 8, 8, false), PixelsOf(dib)) << clrUsed;
    }
}

// An archive holds a .bmp image, and one stored top row first loads upright.
TEST(cDib, SerializeLoadsTopDownRowsUpright)
{
    bmp::Layout l;
    l.width = 6;
    l.height = -5;
    const bmp::Bytes bytes = bmp::File(l);
    const std::string path = testsupport::WorkPath("dib-top-down.bmp");
    ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes.data(), bytes.size()));

    cDrawDib loaded;
    LoadArchived(path, loaded);
    EXPECT_EQ(6, loaded.GetWidth());
    EXPECT_EQ(5, loaded.GetHeight());
    EXPECT_EQ(bmp::Rows(6, 5, 8, false), PixelsOf(loaded));
    EXPECT_EQ(0, memcmp(bytes.data() + 14 + 40, loaded.GetColorTable(), 256 * sizeof(RGBQUAD)));
}

TEST(cDib, SerializeWritesABmpFileAndReadsItBack)
{
    bmp::Layout l;
    l.width = 9;
    l.height = -4;
    const bmp::Bytes packed = bmp::Packed(l);
    cDrawDib source;
    ASSERT_TRUE(source.SetFromPackedDib(reinterpret_cast<const BITMAPINFOHEADER*>(packed.data())));
    EXPECT_EQ(1064u + 48u + 14u, source.GetFileSize());

    const std::string path = testsupport::WorkPath("dib-serialize.bmp");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        source.Serialize(ar);
        ar.Close();
    }
    EXPECT_EQ(source.GetFileSize(), testsupport::ReadFileBytes(path).size());

    cDrawDib fromBmp;                       // an ordinary .bmp reader accepts it
    ASSERT_TRUE(fromBmp.LoadBmpFile(path.c_str()));
    EXPECT_EQ(PixelsOf(source), PixelsOf(fromBmp));

    cDrawDib loaded;
    LoadArchived(path, loaded);
    EXPECT_EQ(9, loaded.GetWidth());
    EXPECT_EQ(4, loaded.GetHeight());
    EXPECT_EQ(PixelsOf(source), PixelsOf(loaded));
    EXPECT_EQ(0, memcmp(source.GetColorTable(), loaded.GetColorTable(), 256 * sizeof(RGBQUAD)));
}
