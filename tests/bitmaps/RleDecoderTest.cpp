// cRleDecoder: run-length codes of both depths expanded pixel for pixel, and
// damaged or hostile codes kept inside the picture.
#include "RleDecoder.h"

#include "BmpBuilder.h"

#include <gtest/gtest.h>

namespace {

struct DecodeCase
{
    const char* what;
    DWORD compression;
    LONG width, height;
    bmp::Bytes data;
    bmp::Picture expected;      // top row first
    BOOL result;
    DWORD rowsReached;
    BOOL reachedEnd;
};

const BYTE kCanary = 0xCC;

} // namespace

TEST(cRleDecoder, DecodesAndStaysInsideThePicture)
{
    const DecodeCase cases[] = {
        {"runs and ends of line", BI_RLE8, 5, 3,
         {0x03, 0x01, 0x02, 0x02, 0x00, 0x00,      // 1 1 1, 2 2, end of line
          0x05, 0x07, 0x00, 0x00,                  // 7 x 5, end of line
          0x01, 0x09, 0x00, 0x01},                 // 9, end of bitmap
         {{9, 0, 0, 0, 0}, {7, 7, 7, 7, 7}, {1, 1, 1, 2, 2}}, TRUE, 2, TRUE},
        {"literal of odd length", BI_RLE8, 5, 3,
         {0x00, 0x03, 0x04, 0x05, 0x06, 0x00,      // 4 5 6 and a pad byte
          0x02, 0x08, 0x00, 0x01},
         {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {4, 5, 6, 8, 8}}, TRUE, 0, TRUE},
        {"jump right and up", BI_RLE8, 5, 3,
         {0x01, 0x03, 0x00, 0x02, 0x02, 0x01,      // 3, then 2 right and 1 up
          0x02, 0x06, 0x00, 0x01},
         {{0, 0, 0, 0, 0}, {0, 0, 0, 6, 6}, {3, 0, 0, 0, 0}}, TRUE, 1, TRUE},
        {"run past the row end is cut", BI_RLE8, 5, 3,
         {0x07, 0x04, 0x00, 0x00, 0x01, 0x05, 0x00, 0x01},
         {{0, 0, 0, 0, 0}, {5, 0, 0, 0, 0}, {4, 4, 4, 4, 4}}, TRUE, 1, TRUE},
        {"literal past the row end is cut", BI_RLE8, 5, 3,
         {0x00, 0x07, 1, 2, 3, 4, 5, 6, 7, 0x00,   // 7 pixels and a pad byte
          0x00, 0x00, 0x01, 0x09, 0x00, 0x01},
         {{0, 0, 0, 0, 0}, {9, 0, 0, 0, 0}, {1, 2, 3, 4, 5}}, TRUE, 1, TRUE},
        {"jump past the row end", BI_RLE8, 5, 3,
         {0x00, 0x02, 0xFF, 0x00, 0x01, 0x06,      // 255 right: the 6 falls outside
          0x00, 0x00, 0x01, 0x07, 0x00, 0x01},
         {{0, 0, 0, 0, 0}, {7, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, TRUE, 1, TRUE},
        {"jump past the last row ends the picture", BI_RLE8, 5, 3,
         {0x02, 0x03, 0x00, 0x02, 0x00, 0x05, 0x01, 0x04},
         {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {3, 3, 0, 0, 0}}, TRUE, 3, FALSE},
        {"rows beyond the last are not written", BI_RLE8, 2, 1,
         {0x02, 0x01, 0x00, 0x00, 0x02, 0x02, 0x00, 0x00, 0x00, 0x01},
         {{1, 1}}, TRUE, 1, FALSE},
        {"data ends after a row", BI_RLE8, 5, 3,
         {0x05, 0x02, 0x00, 0x00, 0x02, 0x03},
         {{0, 0, 0, 0, 0}, {3, 3, 0, 0, 0}, {2, 2, 2, 2, 2}}, TRUE, 1, FALSE},
        {"literal cut by the end of the data", BI_RLE8, 5, 3,
         {0x00, 0x00, 0x00, 0x05, 0x01, 0x02},
         {{0, 0, 0, 0, 0}, {1, 2, 0, 0, 0}, {0, 0, 0, 0, 0}}, TRUE, 1, FALSE},
        {"data ends inside the first row", BI_RLE8, 5, 3,
         {0x05, 0x02, 0x02},
         {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {2, 2, 2, 2, 2}}, FALSE, 0, FALSE},
        {"end of bitmap alone", BI_RLE8, 5, 3,
         {0x00, 0x01},
         {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, TRUE, 0, TRUE},
        {"no data", BI_RLE8, 5, 3, {},
         {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, FALSE, 0, FALSE},

        {"4-bit runs take the nibbles in turn", BI_RLE4, 5, 2,
         {0x05, 0x12, 0x00, 0x00, 0x03, 0x34, 0x00, 0x01},
         {{3, 4, 3, 0, 0}, {1, 2, 1, 2, 1}}, TRUE, 1, TRUE},
        {"4-bit literal of odd length", BI_RLE4, 5, 2,
         {0x00, 0x05, 0x12, 0x34, 0x50, 0x00,      // 5 nibbles in 3 bytes and a pad byte
          0x00, 0x00, 0x01, 0x60, 0x00, 0x01},
         {{6, 0, 0, 0, 0}, {1, 2, 3, 4, 5}}, TRUE, 1, TRUE},
        {"4-bit run past the row end is cut", BI_RLE4, 5, 2,
         {0x09, 0xAB, 0x00, 0x00, 0x01, 0xC0, 0x00, 0x01},
         {{12, 0, 0, 0, 0}, {10, 11, 10, 11, 10}}, TRUE, 1, TRUE},
        {"4-bit literal past the row end is cut", BI_RLE4, 5, 2,
         {0x00, 0x07, 0x12, 0x34, 0x56, 0x70,      // 7 nibbles in 4 bytes: no pad
          0x00, 0x00, 0x01, 0xD0, 0x00, 0x01},
         {{13, 0, 0, 0, 0}, {1, 2, 3, 4, 5}}, TRUE, 1, TRUE},
    };
    for (const DecodeCase& c : cases) {
        const WORD bits = c.compression == BI_RLE8 ? 8 : 4;
        const DWORD stride = bmp::Stride(c.width, bits);
        const bmp::Bytes expected = bmp::RowsOf(c.expected, c.width, bits);
        bmp::Bytes rows(expected.size() + 16, 0);
        std::fill(rows.begin() + expected.size(), rows.end(), kCanary);

        cRleDecoder decoder(c.compression, c.width, c.height, stride);
        EXPECT_EQ(c.result, decoder.Decode(c.data.data(), static_cast<DWORD>(c.data.size()), rows.data())) << c.what;
        EXPECT_EQ(c.rowsReached, decoder.GetRowsReached()) << c.what;
        EXPECT_EQ(c.reachedEnd, decoder.ReachedEnd()) << c.what;
        EXPECT_EQ(expected, bmp::Bytes(rows.begin(), rows.begin() + expected.size())) << c.what;
        EXPECT_EQ(bmp::Bytes(16, kCanary), bmp::Bytes(rows.begin() + expected.size(), rows.end())) << c.what;

        // Walking without rows gives the same answer.
        cRleDecoder walker(c.compression, c.width, c.height, stride);
        EXPECT_EQ(c.result, walker.Decode(c.data.data(), static_cast<DWORD>(c.data.size()), nullptr)) << c.what;
        EXPECT_EQ(c.rowsReached, walker.GetRowsReached()) << c.what;
    }
}

TEST(cRleDecoder, ClaimsBeyondWhatTheDataCanFillAreRefused)
{
    struct Case { ULONGLONG data, rows; BOOL result; };
    const Case cases[] = {
        {2, 1u << 20, TRUE},                        // any small picture: one end-of-bitmap mark
        {2, (1u << 20) + 256, TRUE},
        {2, (1u << 20) + 257, FALSE},
        {5000, 65536ULL * 65535, FALSE},            // a few kilobytes claiming the largest picture
        {5000, 8192ULL * 65535, FALSE},
        {2 * 257 * 65535, 65536ULL * 65535, TRUE},  // every pixel of the largest picture in runs
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.result, cRleDecoder::CanFill(c.data, c.rows)) << c.data << " for " << c.rows;
}
