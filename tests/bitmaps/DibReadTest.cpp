// cDib reading .bmp files: the header kinds, bit depths and row layouts it
// accepts, and a corpus of damaged files that it must refuse without
// crashing, leaking or taking memory the file does not justify; the format
// read (file header and information header) refuses what the frame read does.
#include "DrawDib.h"
#include "ImageFile.h"

#include "BitFieldLevels.h"
#include "BmpBuilder.h"
#include "DibPixels.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string WriteBmp(const char* name, const bmp::Bytes& bytes)
{
    const std::string path = testsupport::WorkPath(name);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes.data(), bytes.size()));
    return path;
}

// Whether the format read accepts a file; a refused format leaves no header.
bool FormatReadable(const std::string& path)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead))
        return false;
    cDrawDib dib;
    const bool bRead = dib.ReadFileHeader(file) && dib.ReadInfo(file);
    EXPECT_EQ(bRead, dib.GetBitCount() != 0) << path;
    return bRead;
}

// A buffer that remembers the largest pixel block it was asked to allocate.
class cAllocRecorder : public cDrawDib
{
public:
    BOOL AllocBits(BOOL bShare) override
    {
        m_nLargest = std::max(m_nLargest, GetBitsSize());
        return cDrawDib::AllocBits(bShare);
    }
    DWORD m_nLargest = 0;
};

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
        {"version 4 8-bit", 108, 13, 6, 8, 0, 256},
        {"version 5 8-bit top-down", 124, 13, -6, 8, 0, 256},
        {"version 5 4-bit with 10 colours", 124, 6, 2, 4, 10, 10},
        {"version 4 24-bit", 108, 5, 4, 24, 0, 0},
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
        {"header size 52", with([](bmp::Layout& l) { l.headerSize = 52; }), noDamage},
        {"version 5 header with run-length 24-bit rows", with([](bmp::Layout& l) { l.headerSize = 124; l.bitCount = 24; l.compression = BI_RLE8; }), noDamage},
        {"width 0", with([](bmp::Layout& l) { l.width = 0; }), noDamage},
        {"height 0", with([](bmp::Layout& l) { l.height = 0; }), noDamage},
        {"negative width", with([](bmp::Layout& l) { l.width = -4; }), noDamage},
        {"width 70000", with([](bmp::Layout& l) { l.width = 70000; l.height = 1; }), noDamage},
        {"rows beyond 32 bits", with([](bmp::Layout& l) { l.width = 65535; l.height = 65535; l.bitCount = 32; }), noDamage},
        {"huge but short", with([](bmp::Layout& l) { l.width = 60000; l.height = 60000; l.bitCount = 8; }), noDamage},
        {"bit count 0", with([](bmp::Layout& l) { l.bitCount = 0; l.tableEntries = 0; }), noDamage},
        {"bit count 7", with([](bmp::Layout& l) { l.bitCount = 7; }), noDamage},
        {"run-length rows of 24 bits", with([](bmp::Layout& l) { l.bitCount = 24; l.compression = BI_RLE8; }), noDamage},
        {"4-bit run-length rows of 8 bits", with([](bmp::Layout& l) { l.compression = BI_RLE4; }), noDamage},
        {"8-bit run-length rows of 4 bits", with([](bmp::Layout& l) { l.bitCount = 4; l.compression = BI_RLE8; }), noDamage},
        {"JPEG rows", with([](bmp::Layout& l) { l.compression = BI_JPEG; }), noDamage},
        {"colour count 0xFFFFFFFF", with([](bmp::Layout& l) { l.clrUsed = 0xFFFFFFFF; l.tableEntries = 256; }), noDamage},
        {"colour count past the end", with([](bmp::Layout& l) { l.clrUsed = 5000; l.tableEntries = 256; }), noDamage},
        {"OS/2 width 0", with([](bmp::Layout& l) { l.headerSize = 12; l.width = 0; }), noDamage},
        {"rows cut short", base, [](bmp::Bytes& b) { b.resize(b.size() - 1); }},
        {"rows start at 0", base, [](bmp::Bytes& b) { bmp::SetRowsOffset(b, 0); }},
        {"rows start in the header", base, [](bmp::Bytes& b) { bmp::SetRowsOffset(b, 30); }},
        {"rows start in the colour table", base, [](bmp::Bytes& b) { bmp::SetRowsOffset(b, 14 + 40 + 1020); }},
        {"rows start one byte late", base, [](bmp::Bytes& b) { bmp::SetRowsOffset(b, 14 + 40 + 1024 + 1); }},
        {"rows start at the end", base, [](bmp::Bytes& b) { bmp::SetRowsOffset(b, static_cast<DWORD>(b.size())); }},
        {"rows start far beyond", base, [](bmp::Bytes& b) { bmp::SetRowsOffset(b, 0xFFFFFFF0); }},
    };
    const WORD nLive = cDrawDib::GetLiveCount();
    for (const Case& c : cases) {
        bmp::Bytes bytes = bmp::File(c.layout);
        c.damage(bytes);
        const std::string path = WriteBmp("damaged.bmp", bytes);
        cDrawDib dib;
        EXPECT_FALSE(dib.LoadBmpFile(path.c_str())) << c.what;
        EXPECT_EQ(nullptr, dib.LockBits()) << c.what;
        EXPECT_FALSE(FormatReadable(path)) << c.what;
    }
    EXPECT_EQ(nLive, cDrawDib::GetLiveCount());
}

TEST(cDibRead, EveryTruncationIsRefused)
{
    for (WORD headerSize : {40, 12, 108, 124}) {
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
                ASSERT_FALSE(FormatReadable(path)) << headerSize << "/" << bits << " cut at " << n;
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

/////////////////////////////////////////////////////////////////////////////
// Larger headers, gaps before the rows and run-length rows: each read pixel
// for pixel like the same picture saved plainly

namespace {

// The buffer read from a file, or none when the reader refused it.
std::unique_ptr<cDrawDib> Load(const char* name, const bmp::Bytes& bytes)
{
    const std::string path = WriteBmp(name, bytes);
    std::unique_ptr<cDrawDib> dib(new cDrawDib);
    const bool bRead = dib->LoadBmpFile(path.c_str()) != FALSE;
    EXPECT_EQ(bRead, FormatReadable(path)) << name << ": the format read disagrees with the frame read";
    if (!bRead)
        dib.reset();
    return dib;
}

void ExpectSamePicture(cDrawDib& plain, cDrawDib& other, const std::string& what)
{
    EXPECT_EQ(plain.GetWidth(), other.GetWidth()) << what;
    EXPECT_EQ(plain.GetHeight(), other.GetHeight()) << what;
    EXPECT_EQ(plain.GetBitCount(), other.GetBitCount()) << what;
    ASSERT_EQ(plain.GetColorCount(), other.GetColorCount()) << what;
    EXPECT_EQ(0, memcmp(plain.GetColorTable(), other.GetColorTable(), plain.GetColorCount() * sizeof(RGBQUAD))) << what;
    EXPECT_EQ(PixelsOf(plain), PixelsOf(other)) << what;
}

} // namespace

TEST(cDibRead, LargerHeadersAndGapsReadLikeThePlainFile)
{
    for (WORD bits : {8, 4}) {
        bmp::Layout plainLayout;
        plainLayout.width = 9;
        plainLayout.height = 5;
        plainLayout.bitCount = bits;
        std::unique_ptr<cDrawDib> plain = Load("plain.bmp", bmp::File(plainLayout));
        ASSERT_NE(nullptr, plain);
        for (DWORD headerSize : {12, 40, 108, 124}) {
            for (bool topDown : {false, true}) {
                if (topDown && headerSize == 12)
                    continue;           // the core header's height is unsigned
                for (DWORD gap : {0, 1, 3, 300}) {
                    bmp::Layout l = plainLayout;
                    l.headerSize = headerSize;
                    l.height = topDown ? -l.height : l.height;
                    l.gap = gap;
                    const std::string what = std::to_string(bits) + "-bit header " + std::to_string(headerSize)
                                             + (topDown ? " top-down" : "") + " gap " + std::to_string(gap);
                    std::unique_ptr<cDrawDib> other = Load("variant.bmp", bmp::File(l));
                    ASSERT_NE(nullptr, other) << what;
                    ExpectSamePicture(*plain, *other, what);
                }
            }
        }
    }
}

TEST(cDibRead, RunLengthFilesReadLikeThePlainFile)
{
    struct Case { const char* what; DWORD compression; LONG width; bmp::Picture picture; bmp::Bytes data; };
    const Case cases[] = {
        {"8-bit", BI_RLE8, 7,
         {{1, 2, 3, 4, 5, 11, 11}, {0, 0, 0, 0, 0, 6, 6}, {4, 4, 0, 0, 0, 0, 0}, {5, 5, 5, 9, 8, 7, 2}},
         {0x03, 0x05, 0x00, 0x03, 0x09, 0x08, 0x07, 0x00, 0x01, 0x02, 0x00, 0x00,   // run, odd literal, run, end of line
          0x02, 0x04, 0x00, 0x02, 0x03, 0x01,                                       // run, jump 3 right and 1 up
          0x02, 0x06, 0x00, 0x00,                                                   // run, end of line
          0x00, 0x05, 0x01, 0x02, 0x03, 0x04, 0x05, 0x00, 0x02, 0x0B,               // odd literal, run
          0x00, 0x01}},                                                             // end of bitmap
        {"4-bit", BI_RLE4, 6,
         {{0, 0, 0, 0, 5, 5}, {2, 3, 4, 0, 0, 0}, {1, 10, 1, 10, 1, 10}},
         {0x06, 0x1A, 0x00, 0x00,                   // run of two nibbles in turn, end of line
          0x00, 0x03, 0x23, 0x40,                   // literal of three nibbles
          0x00, 0x02, 0x01, 0x01,                   // jump 1 right and 1 up
          0x02, 0x55, 0x00, 0x01}},                 // run, end of bitmap
    };
    for (const Case& c : cases) {
        const WORD bits = c.compression == BI_RLE8 ? 8 : 4;
        bmp::Layout plainLayout;
        plainLayout.width = c.width;
        plainLayout.height = static_cast<LONG>(c.picture.size());
        plainLayout.bitCount = bits;
        std::unique_ptr<cDrawDib> plain = Load("plain.bmp", bmp::File(plainLayout, bmp::RowsOf(c.picture, c.width, bits)));
        ASSERT_NE(nullptr, plain) << c.what;
        for (DWORD headerSize : {40, 124}) {
            for (DWORD gap : {0, 6}) {
                for (bool recordSize : {true, false}) {
                    bmp::Layout l = plainLayout;
                    l.headerSize = headerSize;
                    l.compression = c.compression;
                    l.sizeImage = recordSize ? static_cast<DWORD>(c.data.size()) : 0;
                    l.gap = gap;
                    const std::string what = std::string(c.what) + " header " + std::to_string(headerSize)
                                             + " gap " + std::to_string(gap) + (recordSize ? "" : " no size");
                    std::unique_ptr<cDrawDib> rle = Load("rle.bmp", bmp::File(l, c.data));
                    ASSERT_NE(nullptr, rle) << what;
                    ExpectSamePicture(*plain, *rle, what);
                    EXPECT_EQ(static_cast<DWORD>(BI_RGB), rle->GetInfo()->bmiHeader.biCompression) << what;
                }
            }
        }
    }
}

// Run-length data that ends early is read as far as it goes, or refused when
// it makes no row; the format read gives the same answer. (The decoder's
// tests keep damaged runs and jumps inside the picture.)
TEST(cDibRead, DamagedRunLengthFiles)
{
    struct Case { const char* what; LONG height; DWORD sizeImage; bmp::Bytes data; bmp::Picture expected; };
    const DWORD kDataSize = 0;          // record the size of the data given
    const Case cases[] = {
        {"data ends after a row", 2, kDataSize, {0x05, 0x01, 0x00, 0x00, 0x01, 0x02}, {{2, 0, 0}, {1, 1, 1}}},
        {"data ends before the first row", 2, kDataSize, {0x03, 0x01}, {}},
        {"top-down", -2, kDataSize, {0x03, 0x01, 0x00, 0x00, 0x00, 0x01}, {}},
        {"data recorded past the end of the file", 2, 7, {0x03, 0x01, 0x00, 0x00, 0x00, 0x01}, {}},
    };
    for (const Case& c : cases) {
        bmp::Layout l;
        l.width = 3;
        l.height = c.height;
        l.compression = BI_RLE8;
        l.sizeImage = c.sizeImage != kDataSize ? c.sizeImage : static_cast<DWORD>(c.data.size());
        std::unique_ptr<cDrawDib> dib = Load("damaged-rle.bmp", bmp::File(l, c.data));
        if (c.expected.empty()) {
            EXPECT_EQ(nullptr, dib) << c.what;
            continue;
        }
        ASSERT_NE(nullptr, dib) << c.what;
        EXPECT_EQ(bmp::RowsOf(c.expected, 3, 8), PixelsOf(*dib)) << c.what;
    }
}

// A file must hold what its header claims before pixel memory is taken: a
// few kilobytes that claim the largest picture allocate nothing.
TEST(cDibRead, HugeClaimsAllocateNothing)
{
    struct Case { const char* what; WORD bits; DWORD compression; LONG width, height; size_t fileSize; DWORD allocated; };
    const Case cases[] = {
        {"1-bit 65535 x 65535", 1, BI_RGB, 65535, 65535, 5000, 0},
        {"8-bit runs 65535 x 65535", 8, BI_RLE8, 65535, 65535, 5000, 0},
        {"8-bit runs 2000 x 1000", 8, BI_RLE8, 2000, 1000, 1200, 0},
        {"8-bit runs 1000 x 1000", 8, BI_RLE8, 1000, 1000, 1200, 1000000},   // within the fixed allowance
    };
    for (const Case& c : cases) {
        bmp::Layout l;
        l.width = c.width;
        l.height = c.height;
        l.bitCount = c.bits;
        l.compression = c.compression;
        bmp::Bytes bytes = bmp::File(l, bmp::Bytes());
        bytes.resize(c.fileSize, 0x00);     // for runs: ends of line, rows at index 0
        const std::string path = WriteBmp("huge.bmp", bytes);
        cAllocRecorder dib;
        EXPECT_EQ(c.allocated != 0, dib.LoadBmpFile(path.c_str()) != FALSE) << c.what;
        EXPECT_EQ(c.allocated, dib.m_nLargest) << c.what;
    }
}

/////////////////////////////////////////////////////////////////////////////
// Bit fields: read like the same picture saved plainly (the same rows where
// the masks say what BI_RGB says, else 24-bit rows of each channel's bits
// repeated), or refused with the reason the user is told

TEST(cDibRead, BitFieldFilesReadLikeTheirPlainTwins)
{
    struct Case { WORD bits; DWORD masks[3]; WORD plainBits; };
    const Case cases[] = {
        {16, {0xF800, 0x07E0, 0x001F}, 24}, {16, {0x7C00, 0x03E0, 0x001F}, 16}, {16, {0x0F00, 0x00F0, 0x000F}, 24},
        {32, {0xFF0000, 0x00FF00, 0x0000FF}, 32}, {32, {0x0000FF, 0x00FF00, 0xFF0000}, 24},
        {32, {0xFF000000, 0x00FF0000, 0x0000FF00}, 24},
    };
    for (const Case& c : cases)
        for (DWORD headerSize : {40, 108, 124}) {   // 124: an alpha mask too, not read
            const std::string what = std::to_string(c.bits) + "-bit, red " + std::to_string(c.masks[0]) + ", header "
                                     + std::to_string(headerSize);
            bmp::Layout fields, plain;
            fields.headerSize = headerSize;
            fields.width = plain.width = 7;
            bmp::SetMasks(fields, c.bits, c.masks[0], c.masks[1], c.masks[2]);
            plain.bitCount = c.plainBits;
            bmp::Bytes fieldRows(bmp::Stride(7, c.bits) * 3, 0), rgbRows(bmp::Stride(7, 24) * 3, 0);
            for (int i = 0; i < 21; ++i) {
                DWORD rgb = 0;
                const DWORD value = FieldPixel(c.masks, 9 * i, &rgb);
                std::memcpy(&fieldRows[i / 7 * bmp::Stride(7, c.bits) + i % 7 * c.bits / 8], &value, c.bits / 8);
                std::memcpy(&rgbRows[i / 7 * bmp::Stride(7, 24) + i % 7 * 3], &rgb, 3);
            }
            std::unique_ptr<cDrawDib> twin = Load("plain.bmp", bmp::File(plain, c.plainBits == 24 ? rgbRows : fieldRows));
            std::unique_ptr<cDrawDib> read = Load("fields.bmp", bmp::File(fields, fieldRows));
            ASSERT_NE(nullptr, twin) << what;
            ASSERT_NE(nullptr, read) << what;
            ExpectSamePicture(*twin, *read, what);
        }
}

TEST(cDibRead, BadMasksAreRefusedWithTheirReason)
{
    struct Case { WORD bits; DWORD masks[3]; const char* reason; };
    const Case cases[] = {
        {16, {0xF800, 0x0FE0, 0x001F}, "has bit-field masks that overlap"},
        {16, {0xF800, 0, 0x001F}, "has an empty bit-field mask"},
        {16, {0x1F0000, 0x07E0, 0x001F}, "has a bit-field mask beyond its bits per pixel"},
        {32, {0xF0F000, 0x0F00, 0x00FF}, "has a bit-field mask that is not one run of bits"},
        {32, {0x3FF00000, 0x000FFC00, 0x000003FF}, "has a bit-field mask of more than 8 bits"},
        {24, {0xFF0000, 0x00FF00, 0x0000FF}, "has bit fields at a depth other than 16 or 32 bits"},
    };
    for (const Case& c : cases)
        for (DWORD headerSize : {40, 124}) {
            bmp::Layout l;
            l.headerSize = headerSize;
            bmp::SetMasks(l, c.bits, c.masks[0], c.masks[1], c.masks[2]);
            const std::string path = WriteBmp("bad-masks.bmp", bmp::File(l));
            EXPECT_FALSE(FormatReadable(path)) << c.reason;
            // The project's node tells the export the reason.
            cImageFile node(path.c_str());
            EXPECT_EQ(nullptr, node.GetFrame(0)) << c.reason;
            EXPECT_STREQ(c.reason, node.GetFrameRefusal());
        }
    cImageFile missing(testsupport::WorkPath("no-such.bmp").c_str());
    EXPECT_EQ(nullptr, missing.GetFrame(0));
    EXPECT_EQ(nullptr, missing.GetFrameRefusal()) << "damage that is not the masks' has no reason of theirs";
}
