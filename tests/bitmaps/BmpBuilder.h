// Builds .bmp file images and packed DIBs for the tests, with every header
// field under the test's control so that damaged variants are easy to make.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace bmp {

typedef std::vector<BYTE> Bytes;

struct Layout
{
    DWORD headerSize = 40;          // 40, 12, 108 or 124, or anything for damaged files
    LONG width = 4;
    LONG height = 3;                // negative: rows top first
    WORD bitCount = 8;
    DWORD compression = BI_RGB;
    DWORD clrUsed = 0;              // written as is
    int tableEntries = -1;          // entries actually written; -1: what the header implies
    DWORD sizeImage = 0;
    DWORD gap = 0;                  // bytes between the colour table and the rows
    DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};  // with BI_BITFIELDS: after a 40-byte header, or in a larger one
};

// Rows of bitCount bits whose colours are laid out by these three masks.
inline void SetMasks(Layout& l, WORD bitCount, DWORD red, DWORD green, DWORD blue)
{
    l.bitCount = bitCount;
    l.compression = BI_BITFIELDS;
    l.masks[0] = red;
    l.masks[1] = green;
    l.masks[2] = blue;
}

// The byte that fills a gap before the rows: a reader that takes the rows
// from the wrong place sees it.
const BYTE gapFiller = 0xA5;

inline DWORD Stride(LONG width, WORD bitCount) { return static_cast<DWORD>(((static_cast<ULONGLONG>(width) * bitCount + 31) / 32) * 4); }

inline int ImpliedEntries(const Layout& l)
{
    if (l.tableEntries >= 0)
        return l.tableEntries;
    if (l.clrUsed != 0)
        return static_cast<int>(l.clrUsed);
    return l.bitCount <= 8 ? (1 << l.bitCount) : 0;
}

// Colour i of every test table: all three components distinct.
inline RGBQUAD Colour(int i)
{
    RGBQUAD q;
    q.rgbBlue = static_cast<BYTE>(i);
    q.rgbGreen = static_cast<BYTE>(255 - i);
    q.rgbRed = static_cast<BYTE>(i * 3 + 1);
    q.rgbReserved = 0;
    return q;
}

// The byte at column x of picture row y (0 = top row), for any bit count.
inline BYTE PixelByte(int x, int y) { return static_cast<BYTE>((x * 7 + y * 13 + 5) & 0xFF); }

// The rows of a picture as stored in a DIB: bottom row first unless topDown.
inline Bytes Rows(LONG width, LONG height, WORD bitCount, bool topDown)
{
    const DWORD stride = Stride(width, bitCount);
    const DWORD used = (width * bitCount + 7) / 8;
    Bytes rows(stride * height, 0);
    for (LONG stored = 0; stored < height; ++stored) {
        const LONG y = topDown ? stored : height - 1 - stored;
        for (DWORD x = 0; x < used; ++x)
            rows[stored * stride + x] = PixelByte(static_cast<int>(x), y);
    }
    return rows;
}

// A picture of colour indices, top row first.
typedef std::vector<std::vector<BYTE>> Picture;

// The plain rows of a picture at 8 or 4 bits per pixel, bottom row first.
inline Bytes RowsOf(const Picture& picture, LONG width, WORD bitCount)
{
    const DWORD stride = Stride(width, bitCount);
    Bytes rows(stride * picture.size(), 0);
    for (size_t y = 0; y < picture.size(); ++y) {
        BYTE* row = &rows[(picture.size() - 1 - y) * stride];
        for (size_t x = 0; x < picture[y].size(); ++x) {
            if (bitCount == 8)
                row[x] = picture[y][x];
            else
                row[x / 2] |= static_cast<BYTE>((x & 1) != 0 ? picture[y][x] : picture[y][x] << 4);
        }
    }
    return rows;
}

// The header and colour table (no file header).
inline Bytes Info(const Layout& l)
{
    Bytes out;
    auto put = [&out](const void* p, size_t n) {
        const BYTE* b = static_cast<const BYTE*>(p);
        out.insert(out.end(), b, b + n);
    };
    if (l.headerSize == 12) {
        BITMAPCOREHEADER bch = {12, static_cast<WORD>(l.width), static_cast<WORD>(l.height), 1, l.bitCount};
        put(&bch, sizeof(bch));
        for (int i = 0; i < ImpliedEntries(l); ++i) {
            const RGBQUAD q = Colour(i);
            const BYTE triple[3] = {q.rgbBlue, q.rgbGreen, q.rgbRed};
            put(triple, 3);
        }
    } else {
        BITMAPINFOHEADER bih = {};
        bih.biSize = l.headerSize;
        bih.biWidth = l.width;
        bih.biHeight = l.height;
        bih.biPlanes = 1;
        bih.biBitCount = l.bitCount;
        bih.biCompression = l.compression;
        bih.biSizeImage = l.sizeImage;
        bih.biClrUsed = l.clrUsed;
        put(&bih, sizeof(bih));
        if (l.headerSize >= sizeof(BITMAPV4HEADER)) {
            // What the usual writers put in the larger headers: 8-8-8-8
            // masks, the sRGB colour space and (version 5) the image intent.
            BITMAPV5HEADER v5 = {};
            v5.bV5RedMask = 0x00FF0000;
            v5.bV5GreenMask = 0x0000FF00;
            v5.bV5BlueMask = 0x000000FF;
            v5.bV5AlphaMask = 0xFF000000;
            if (l.compression == BI_BITFIELDS) {
                v5.bV5RedMask = l.masks[0];
                v5.bV5GreenMask = l.masks[1];
                v5.bV5BlueMask = l.masks[2];
            }
            v5.bV5CSType = 0x73524742;     // LCS_sRGB, 'sRGB'
            v5.bV5Intent = LCS_GM_IMAGES;
            const BYTE* extra = reinterpret_cast<const BYTE*>(&v5) + sizeof(bih);
            put(extra, std::min<size_t>(l.headerSize, sizeof(v5)) - sizeof(bih));
        }
        if (l.headerSize > out.size())
            out.resize(l.headerSize, 0);
        if (l.headerSize == sizeof(bih) && l.compression == BI_BITFIELDS)
            put(l.masks, sizeof(l.masks));
        for (int i = 0; i < ImpliedEntries(l); ++i) {
            const RGBQUAD q = Colour(i);
            put(&q, sizeof(q));
        }
    }
    return out;
}

// Rows for a layout; pictures too large to make (the damaged sizes) get a
// few bytes only, which is all a reader may see of them before refusing.
inline Bytes RowsFor(const Layout& l)
{
    const LONG height = l.height < 0 ? -l.height : l.height;
    const ULONGLONG size = static_cast<ULONGLONG>(Stride(l.width > 0 ? l.width : 0, l.bitCount)) * height;
    if (l.width <= 0 || l.width > 65535 || height > 65535 || size > (1u << 20))
        return Bytes(16, 0);
    return Rows(l.width, height, l.bitCount, l.height < 0);
}

// A whole .bmp file: file header, header, table, the gap, then the given
// rows (plain or run-length data).
inline Bytes File(const Layout& l, const Bytes& rows)
{
    const Bytes info = Info(l);
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;
    bfh.bfSize = static_cast<DWORD>(14 + info.size() + l.gap + rows.size());
    bfh.bfOffBits = static_cast<DWORD>(14 + info.size() + l.gap);
    Bytes out(reinterpret_cast<const BYTE*>(&bfh), reinterpret_cast<const BYTE*>(&bfh) + 14);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), l.gap, gapFiller);
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

// A whole .bmp file with the rows of the test picture.
inline Bytes File(const Layout& l) { return File(l, RowsFor(l)); }

// Puts another start of the rows into a file's header.
inline void SetRowsOffset(Bytes& file, DWORD offset) { std::memcpy(&file[10], &offset, sizeof(offset)); }

// A packed DIB: header, table, rows in one block (what a frame decoder returns).
inline Bytes Packed(const Layout& l)
{
    Bytes out = Info(l);
    const Bytes rows = RowsFor(l);
    out.insert(out.end(), rows.begin(), rows.end());
    return out;
}

} // namespace bmp
