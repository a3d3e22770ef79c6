// cDib reading .bmp files: the header kinds and bit depths it accepts, and a
// corpus of damaged files that it must refuse without crashing or leaking.
#include "DrawDib.h"

#include "BmpBuilder.h"
#include "DibPixels.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string WriteBmp(const char* name, const bmp::Bytes& bytes)
{
    const std::string path = testsupport::WorkPath(name);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes.data(), bytes.size()));
    return path;
}

} // namespace

TEST(cDibRead, AcceptedFiles)
{
    struct Case { const char* what; DWORD headerSize; LONG w, h; WORD bits; DWORD clrUsed; WORD colours; };
    const Case cases[] = {
        {"1-bit", 40, 33, 10, 1, 0, 2},
        {"4-bit", 40, 7, 5, 4, 0, 16},
        {"8-bit", 40, 13, 6, 8, 0, 256},
        {"24-bit", 40, 5, 4, 24, 0, 0},
        {"32-bit", 40, 3, 3, 32, 0, 0},
        {"8-bit top-down", 40, 13, -6, 8, 0, 256},
        {"24-bit top-down", 40, 5, -4, 24, 0, 0},
        {"1-bit top-down", 40, 33, -3, 1, 0, 2},
        {"OS/2 8-bit", 12, 10, 4, 8, 0, 256},
        {"OS/2 4-bit", 12, 3, 3, 4, 0, 16},
        {"OS/2 24-bit", 12, 4, 2, 24, 0, 0},
        {"4-bit with 10 colours", 40, 6, 2, 4, 10, 10},
        {"8-bit with 300 colours clamped", 40, 6, 2, 8, 300, 256},
        {"24-bit with a colour table", 40, 6, 2, 24, 5, 0},
        {"8-bit with its full count", 40, 6, 2, 8, 256, 256},
    };
    for (const Case& c : cases) {
        bmp::Layout l;
        l.headerSize = c.headerSize;
        l.width = c.w;
        l.height = c.h;
        l.bitCount = c.bits;
        l.clrUsed = c.clrUsed;
        const std::string path = WriteBmp("accepted.bmp", bmp::File(l));
        cDrawDib dib;
        ASSERT_TRUE(dib.LoadBmpFile(path.c_str())) << c.what;
        const LONG height = c.h < 0 ? -c.h : c.h;
        EXPECT_EQ(c.w, dib.GetWidth()) << c.what;
        EXPECT_EQ(height, dib.GetHeight()) << c.what;
        EXPECT_EQ(c.bits, dib.GetBitCount()) << c.what;
        EXPECT_EQ(c.colours, dib.GetColorCount()) << c.what;
        EXPECT_EQ(bmp::Rows(c.w, height, c.bits, false), PixelsOf(dib)) << c.what;
        for (int i = 0; i < c.colours; ++i) {
            const RGBQUAD expected = bmp::Colour(i);
            ASSERT_EQ(0, memcmp(&expected, &dib.GetColorTable()[i], sizeof(RGBQUAD))) << c.what << " colour " << i;
        }
    }
}

TEST(cDibRead, FewerColoursKeepTheHeaderTable)
{
    bmp::Layout l;
    l.bitCount = 4;
    l.clrUsed = 10;
    const std::string path = WriteBmp("ten-colours.bmp", bmp::File(l));
    cDrawDib dib;
    ASSERT_TRUE(dib.LoadBmpFile(path.c_str()));
    EXPECT_EQ(10, dib.GetColorCount());
    EXPECT_EQ(16u, dib.GetInfo()->bmiHeader.biClrUsed);
    EXPECT_EQ(104, dib.GetInfoSize());
    EXPECT_EQ(0, dib.GetColorTable()[10].rgbRed);      // beyond the file's table: still zero
}

TEST(cDibRead, FormatOnlyReadingAllocatesNoPixels)
{
    bmp::Layout l;
    const std::string path = WriteBmp("format.bmp", bmp::File(l));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    cDrawDib dib;
    ASSERT_TRUE(dib.ReadFileHeader(file));
    ASSERT_TRUE(dib.ReadInfo(file));
    EXPECT_EQ(nullptr, dib.LockBits());
    EXPECT_EQ(4, dib.GetWidth());
}

TEST(cDibRead, DamagedFilesAreRefused)
{
    struct Case { const char* what; bmp::Layout layout; void (*damage)(bmp::Bytes&); };
    auto noDamage = [](bmp::Bytes&) {};
    bmp::Layout base;
    auto with = [&base](void (*change)(bmp::Layout&)) {
        bmp::Layout l = base;
        change(l);
        return l;
    };
    const Case cases[] = {
        {"not BM", base, [](bmp::Bytes& b) { b[0] = 'X'; }},
        {"header size 0", with([](bmp::Layout& l) { l.headerSize = 0; }), noDamage},
        {"header size 64", with([](bmp::Layout& l) { l.headerSize = 64; }), noDamage},
        {"version 4 header", with([](bmp::Layout& l) { l.headerSize = 108; }), noDamage},
        {"version 5 header", with([](bmp::Layout& l) { l.headerSize = 124; }), noDamage},
        {"width 0", with([](bmp::Layout& l) { l.width = 0; }), noDamage},
        {"height 0", with([](bmp::Layout& l) { l.height = 0; }), noDamage},
        {"negative width", with([](bmp::Layout& l) { l.width = -4; }), noDamage},
        {"width 70000", with([](bmp::Layout& l) { l.width = 70000; l.height = 1; }), noDamage},
        {"rows beyond 32 bits", with([](bmp::Layout& l) { l.width = 65535; l.height = 65535; l.bitCount = 32; }), noDamage},
        {"huge but short", with([](bmp::Layout& l) { l.width = 60000; l.height = 60000; l.bitCount = 8; }), noDamage},
        {"bit count 0", with([](bmp::Layout& l) { l.bitCount = 0; l.tableEntries = 0; }), noDamage},
        {"bit count 7", with([](bmp::Layout& l) { l.bitCount = 7; }), noDamage},
        {"run-length rows", with([](bmp::Layout& l) { l.compression = BI_RLE8; }), noDamage},
        {"colour count 0xFFFFFFFF", with([](bmp::Layout& l) { l.clrUsed = 0xFFFFFFFF; l.tableEntries = 256; }), noDamage},
        {"colour count past the end", with([](bmp::Layout& l) { l.clrUsed = 5000; l.tableEntries = 256; }), noDamage},
        {"OS/2 width 0", with([](bmp::Layout& l) { l.headerSize = 12; l.width = 0; }), noDamage},
        {"rows cut short", base, [](bmp::Bytes& b) { b.resize(b.size() - 1); }},
    };
    const WORD nLive = cDrawDib::GetLiveCount();
    for (const Case& c : cases) {
        bmp::Bytes bytes = bmp::File(c.layout);
        c.damage(bytes);
        const std::string path = WriteBmp("damaged.bmp", bytes);
        cDrawDib dib;
        EXPECT_FALSE(dib.LoadBmpFile(path.c_str())) << c.what;
        EXPECT_EQ(nullptr, dib.LockBits()) << c.what;
    }
    EXPECT_EQ(nLive, cDrawDib::GetLiveCount());
}

TEST(cDibRead, EveryTruncationIsRefused)
{
    for (WORD headerSize : {40, 12}) {
        for (WORD bits : {1, 4, 8, 24}) {
            bmp::Layout l;
            l.headerSize = headerSize;
            l.width = 5;
            l.height = 3;
            l.bitCount = bits;
            const bmp::Bytes whole = bmp::File(l);
            for (size_t n = 0; n < whole.size(); ++n) {
                const std::string path = WriteBmp("truncated.bmp", bmp::Bytes(whole.begin(), whole.begin() + n));
                cDrawDib dib;
                ASSERT_FALSE(dib.LoadBmpFile(path.c_str())) << headerSize << "/" << bits << " cut at " << n;
                ASSERT_EQ(nullptr, dib.LockBits());
            }
        }
    }
}

TEST(cDibRead, MissingFile)
{
    cDrawDib dib;
    EXPECT_FALSE(dib.LoadBmpFile(testsupport::WorkPath("no-such.bmp").c_str()));
    EXPECT_FALSE(dib.LoadBmpFile(nullptr));
    EXPECT_EQ(nullptr, dib.GetInfo());
}
