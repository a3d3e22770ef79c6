// What the colour tests of the GIF handler share: pictures as a viewer
// shows them, their rows in every layout a client may send, and frames
// written through AVIFile as any client writes them.
#pragma once

#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ClientHarness.h"

namespace colourtest {

// A picture as a viewer shows it: red, green, blue per pixel, top row first.
struct Rgb
{
    int width = 0, height = 0;
    std::vector<uint8_t> bytes;

    uint8_t* At(int x, int y) { return &bytes[3 * (static_cast<size_t>(y) * width + x)]; }
};

inline Rgb Blank(int width, int height)
{
    Rgb p;
    p.width = width;
    p.height = height;
    p.bytes.assign(3 * static_cast<size_t>(width) * height, 0);
    return p;
}

// The layouts a client may send; channel values survive the layout's bits.
enum class Layout { Rgb555, Bitfields565, Rgb24, Rgb32, Bitfields32 };

struct Format
{
    Layout layout;
    bool topDown;
};

inline int Bits(Layout l)
{
    switch (l) {
    case Layout::Rgb555: case Layout::Bitfields565: return 16;
    case Layout::Rgb24: return 24;
    default: return 32;
    }
}

// 5 or 6 bits widened as the handler does: the top bits repeated below.
inline uint8_t Widen(int value, int bits) { return static_cast<uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8))); }

// The format block and rows of a picture in one layout.
inline void Encode(const Rgb& p, const Format& f, std::vector<BYTE>& format, std::vector<BYTE>& rows)
{
    const bool fields = f.layout == Layout::Bitfields565 || f.layout == Layout::Bitfields32;
    format.assign(sizeof(BITMAPINFOHEADER) + (fields ? 12 : 0), 0);
    BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(format.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = p.width;
    h->biHeight = f.topDown ? -p.height : p.height;
    h->biPlanes = 1;
    h->biBitCount = static_cast<WORD>(Bits(f.layout));
    h->biCompression = fields ? BI_BITFIELDS : BI_RGB;
    if (fields) {
        const DWORD masks565[3] = {0xF800, 0x07E0, 0x001F}, masks32[3] = {0xFF0000, 0xFF00, 0xFF};
        std::memcpy(format.data() + sizeof(BITMAPINFOHEADER), f.layout == Layout::Bitfields565 ? masks565 : masks32, 12);
    }
    const int bytes = Bits(f.layout) / 8;
    const size_t stride = (static_cast<size_t>(p.width) * bytes + 3) & ~size_t(3);
    rows.assign(stride * p.height, 0);
    for (int y = 0; y < p.height; ++y) {
        BYTE* out = &rows[stride * (f.topDown ? y : p.height - 1 - y)];
        for (int x = 0; x < p.width; ++x) {
            const uint8_t* c = &p.bytes[3 * (static_cast<size_t>(y) * p.width + x)];
            switch (f.layout) {
            case Layout::Rgb555: {
                const WORD w = static_cast<WORD>(((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3));
                std::memcpy(out + 2 * x, &w, 2);
                break;
            }
            case Layout::Bitfields565: {
                const WORD w = static_cast<WORD>(((c[0] >> 3) << 11) | ((c[1] >> 2) << 5) | (c[2] >> 3));
                std::memcpy(out + 2 * x, &w, 2);
                break;
            }
            default:
                out[bytes * x + 0] = c[2];
                out[bytes * x + 1] = c[1];
                out[bytes * x + 2] = c[0];
                break;
            }
        }
    }
}

// A picture of at most 200 colours whose channels the layout keeps exactly.
inline Rgb FewColours(Layout layout)
{
    Rgb p = Blank(23, 13);
    const int greenBits = layout == Layout::Bitfields565 ? 6 : 5;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int n = (x * 7 + y * 13) % 200;
            uint8_t* c = p.At(x, y);
            c[0] = Widen(n % 32, 5);
            c[1] = Widen((n * 3) % (1 << greenBits), greenBits);
            c[2] = Widen((n / 7) % 32, 5);
        }
    return p;
}

// Smooth light and colour with fine texture: far more than 256 colours.
inline Rgb Natural(int width, int height, int shift = 0)
{
    Rgb p = Blank(width, height);
    uint32_t state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int grain = static_cast<int>((state >> 24) % 9) - 4;
            const double u = (x + shift) / static_cast<double>(width), v = y / static_cast<double>(height);
            uint8_t* c = p.At(x, y);
            c[0] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, 200 * v + 40 * std::sin(7 * u) + grain + 10)));
            c[1] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, 180 * u * (1 - v) + 60 + grain)));
            c[2] = static_cast<uint8_t>(std::min(255.0, std::max(0.0, 120 + 100 * std::cos(5 * u * v) + grain)));
        }
    return p;
}

// One frame, its format first, into a GIF written through AVIFile.
inline void WriteFrame(handlertest::ClientGif& gif, const std::vector<BYTE>& format, const std::vector<BYTE>& rows)
{
    EXPECT_EQ(S_OK, gif.Format(format));
    EXPECT_EQ(S_OK, gif.Frame(rows));
}

// The format block (header, then biClrUsed colours) and rows (bottom-up)
// of a 1-, 4- or 8-bit picture of these indices, top row first.
inline void EncodePalette(int width, int height, WORD bits, const std::vector<RGBQUAD>& table,
                          const std::vector<BYTE>& indices, std::vector<BYTE>& format, std::vector<BYTE>& rows)
{
    format.assign(sizeof(BITMAPINFOHEADER) + table.size() * sizeof(RGBQUAD), 0);
    BITMAPINFOHEADER* h = reinterpret_cast<BITMAPINFOHEADER*>(format.data());
    h->biSize = sizeof(BITMAPINFOHEADER);
    h->biWidth = width;
    h->biHeight = height;
    h->biPlanes = 1;
    h->biBitCount = bits;
    h->biClrUsed = static_cast<DWORD>(table.size());
    std::memcpy(format.data() + sizeof(BITMAPINFOHEADER), table.data(), table.size() * sizeof(RGBQUAD));
    const size_t stride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    rows.assign(stride * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            BYTE* row = &rows[stride * (height - 1 - y)];
            const int bit = x * bits;
            row[bit / 8] |= static_cast<BYTE>(indices[static_cast<size_t>(y) * width + x] << (8 - bits - bit % 8));
        }
}

} // namespace colourtest
