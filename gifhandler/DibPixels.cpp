// Widening of DIB frames of every common layout to 0x00RRGGBB pixels.
#include "DibPixels.h"

#include <string.h>

namespace {

enum Layout { kIndexed, kRgb555, kRgb565, kRgb24, kRgb32 };

struct DibFormat
{
    Layout layout;
    DWORD bits;
    DWORD width;
    DWORD height;
    DWORD stride;
    bool topDown;
    DWORD colours;      // entries in the colour table (indexed layouts)
};

// The three masks of BI_BITFIELDS sit 40 bytes into the header: after a
// BITMAPINFOHEADER, or inside the larger headers as their first new fields.
void ReadMasks(const BITMAPINFOHEADER* header, DWORD masks[3])
{
    ::memcpy(masks, reinterpret_cast<const BYTE*>(header) + sizeof(BITMAPINFOHEADER),
             3 * sizeof(DWORD));
}

bool ReadFormat(const BITMAPINFOHEADER* header, DibFormat* f)
{
    if (header == nullptr)
        return false;
    switch (header->biSize) {
    case sizeof(BITMAPINFOHEADER): case 52: case 56:
    case sizeof(BITMAPV4HEADER): case sizeof(BITMAPV5HEADER):
        break;
    default:
        return false;
    }

    f->bits = header->biBitCount;
    f->colours = 0;
    if (header->biCompression == BI_RGB) {
        switch (f->bits) {
        case 1: case 4: case 8:
            f->layout = kIndexed;
            f->colours = header->biClrUsed != 0 ? header->biClrUsed : 1u << f->bits;
            if (f->colours > (1u << f->bits))
                return false;
            break;
        case 16: f->layout = kRgb555; break;
        case 24: f->layout = kRgb24; break;
        case 32: f->layout = kRgb32; break;
        default: return false;
        }
    } else if (header->biCompression == BI_BITFIELDS) {
        DWORD m[3];
        ReadMasks(header, m);
        if (f->bits == 16 && m[0] == 0xF800 && m[1] == 0x07E0 && m[2] == 0x001F)
            f->layout = kRgb565;
        else if (f->bits == 16 && m[0] == 0x7C00 && m[1] == 0x03E0 && m[2] == 0x001F)
            f->layout = kRgb555;
        else if (f->bits == 32 && m[0] == 0xFF0000 && m[1] == 0xFF00 && m[2] == 0xFF)
            f->layout = kRgb32;
        else
            return false;
    } else {
        return false;
    }

    const LONGLONG w = header->biWidth;
    LONGLONG h = header->biHeight;
    f->topDown = h < 0;
    if (f->topDown)
        h = -h;
    if (w <= 0 || w > 0xFFFF || h <= 0 || h > 0xFFFF
        || static_cast<ULONGLONG>(w) * h > kMaxQuantizePixels)
        return false;
    const ULONGLONG rowBytes = ((f->bits * static_cast<ULONGLONG>(w) + 31) / 32) * 4;
    if (rowBytes * h > 0xFFFFFFFFULL)
        return false;
    f->width = static_cast<DWORD>(w);
    f->height = static_cast<DWORD>(h);
    f->stride = static_cast<DWORD>(rowBytes);
    return true;
}

inline DWORD Widen5(DWORD v) { return (v << 3) | (v >> 2); }
inline DWORD Widen6(DWORD v) { return (v << 2) | (v >> 4); }

void WidenRow(const DibFormat& f, const DWORD* palette, const BYTE* src, DWORD* out)
{
    const DWORD w = f.width;
    switch (f.layout) {
    case kIndexed: {
        const DWORD perByte = 8 / f.bits, mask = (1u << f.bits) - 1;
        for (DWORD x = 0; x < w; ++x) {
            // The leftmost pixel is in the high bits of its byte.
            const DWORD shift = (perByte - 1 - x % perByte) * f.bits;
            out[x] = palette[(src[x / perByte] >> shift) & mask];
        }
        break;
    }
    case kRgb555:
    case kRgb565:
        for (DWORD x = 0; x < w; ++x) {
            const DWORD v = src[2 * x] | (src[2 * x + 1] << 8);
            const DWORD b = Widen5(v & 0x1F);
            if (f.layout == kRgb565)
                out[x] = Widen5(v >> 11) << 16 | Widen6((v >> 5) & 0x3F) << 8 | b;
            else
                out[x] = Widen5((v >> 10) & 0x1F) << 16 | Widen5((v >> 5) & 0x1F) << 8 | b;
        }
        break;
    case kRgb24:
        for (DWORD x = 0; x < w; ++x, src += 3)
            out[x] = src[2] << 16 | src[1] << 8 | src[0];
        break;
    case kRgb32:
        for (DWORD x = 0; x < w; ++x, src += 4)
            out[x] = src[2] << 16 | src[1] << 8 | src[0];
        break;
    }
}

inline DWORD ColourOf(const RGBQUAD& q) { return q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue; }

} // namespace

bool DibPixelSize(const BITMAPINFOHEADER* header, DWORD* width, DWORD* height)
{
    DibFormat f;
    if (width == nullptr || height == nullptr || !ReadFormat(header, &f))
        return false;
    *width = f.width;
    *height = f.height;
    return true;
}

bool DibToPixels(const BITMAPINFOHEADER* header, const BYTE* bits, DWORD* pixels)
{
    DibFormat f;
    if (bits == nullptr || pixels == nullptr || !ReadFormat(header, &f))
        return false;

    DWORD palette[256];
    ::ZeroMemory(palette, sizeof palette);      // indices past the table show black
    if (f.layout == kIndexed) {
        const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(
            reinterpret_cast<const BYTE*>(header) + header->biSize);
        for (DWORD i = 0; i < f.colours; ++i)
            palette[i] = ColourOf(table[i]);
    }

    const BYTE* row = bits;
    ptrdiff_t step = static_cast<ptrdiff_t>(f.stride);
    if (!f.topDown) {
        row += static_cast<ptrdiff_t>(f.height - 1) * f.stride;
        step = -step;
    }
    for (DWORD y = 0; y < f.height; ++y, row += step)
        WidenRow(f, palette, row, pixels + static_cast<size_t>(y) * f.width);
    return true;
}
