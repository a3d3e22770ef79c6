// Widening of DIB frames of every common layout to 0x00RRGGBB pixels.
#include "DibPixels.h"

#include <string.h>

namespace {

enum Layout { kIndexed, kMasked16, kRgb24, kRgb32, kMasked32 };

// One colour channel of a bit-field pixel: where it lies, and the 8-bit
// level each of its values stands for.
struct Channel
{
    DWORD shift;
    DWORD mask;         // after the shift: one run of 1 to 8 bits
    BYTE levels[256];
};

struct DibFormat
{
    Layout layout;
    DWORD bits;
    DWORD width;
    DWORD height;
    DWORD stride;
    bool topDown;
    DWORD colours;      // entries in the colour table (indexed layouts)
    Channel channels[3];    // red, green, blue (bit-field layouts)
};

// The three masks of BI_BITFIELDS sit 40 bytes into the header: after a
// BITMAPINFOHEADER, or inside the larger headers as their first new fields.
void ReadMasks(const BITMAPINFOHEADER* header, DWORD masks[3])
{
    ::memcpy(masks, reinterpret_cast<const BYTE*>(header) + sizeof(BITMAPINFOHEADER),
             3 * sizeof(DWORD));
}

// A value of `width` bits widened to 8 by repeating its bits below it, so
// that all ones gives 255 and every level stays evenly spaced.
BYTE WidenLevel(DWORD value, int width)
{
    DWORD out = 0;
    for (int shift = 8 - width; shift > -width; shift -= width)
        out |= shift >= 0 ? value << shift : value >> -shift;
    return static_cast<BYTE>(out);
}

// False for a mask that is empty, reaches past the pixel's bits, is not
// one run of bits or is wider than 8 bits.
bool ReadChannel(DWORD mask, DWORD bits, Channel* c)
{
    if (mask == 0 || (bits < 32 && (mask >> bits) != 0))
        return false;
    DWORD shift = 0;
    while ((mask & 1) == 0) {
        mask >>= 1;
        ++shift;
    }
    if (mask > 0xFF || (mask & (mask + 1)) != 0)
        return false;
    int width = 0;
    while ((mask >> width) != 0)
        ++width;
    c->shift = shift;
    c->mask = mask;
    for (DWORD v = 0; v <= mask; ++v)
        c->levels[v] = WidenLevel(v, width);
    return true;
}

bool ReadChannels(const DWORD masks[3], DWORD bits, DibFormat* f)
{
    if ((masks[0] & masks[1]) != 0 || (masks[0] & masks[2]) != 0 || (masks[1] & masks[2]) != 0)
        return false;
    for (int i = 0; i < 3; ++i)
        if (!ReadChannel(masks[i], bits, &f->channels[i]))
            return false;
    return true;
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

    // What BI_RGB means at 16 and 32 bits, as masks.
    static const DWORD masks555[3] = {0x7C00, 0x03E0, 0x001F};
    static const DWORD masks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    f->bits = header->biBitCount;
    f->colours = 0;
    DWORD masks[3];
    if (header->biCompression == BI_RGB) {
        switch (f->bits) {
        case 1: case 4: case 8:
            f->layout = kIndexed;
            f->colours = header->biClrUsed != 0 ? header->biClrUsed : 1u << f->bits;
            if (f->colours > (1u << f->bits))
                return false;
            break;
        case 16:
            f->layout = kMasked16;
            ::memcpy(masks, masks555, sizeof masks);
            break;
        case 24: f->layout = kRgb24; break;
        case 32: f->layout = kRgb32; break;
        default: return false;
        }
    } else if (header->biCompression == BI_BITFIELDS && (f->bits == 16 || f->bits == 32)) {
        ReadMasks(header, masks);
        f->layout = f->bits == 16 ? kMasked16
                    : ::memcmp(masks, masks888, sizeof masks) == 0 ? kRgb32 : kMasked32;
    } else {
        return false;
    }
    if ((f->layout == kMasked16 || f->layout == kMasked32) && !ReadChannels(masks, f->bits, f))
        return false;

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

inline DWORD Masked(const DibFormat& f, DWORD v)
{
    const Channel* c = f.channels;
    return static_cast<DWORD>(c[0].levels[(v >> c[0].shift) & c[0].mask]) << 16
           | static_cast<DWORD>(c[1].levels[(v >> c[1].shift) & c[1].mask]) << 8
           | c[2].levels[(v >> c[2].shift) & c[2].mask];
}

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
    case kMasked16:
        for (DWORD x = 0; x < w; ++x)
            out[x] = Masked(f, src[2 * x] | (src[2 * x + 1] << 8));
        break;
    case kMasked32:
        for (DWORD x = 0; x < w; ++x, src += 4)
            out[x] = Masked(f, src[0] | src[1] << 8 | src[2] << 16 | static_cast<DWORD>(src[3]) << 24);
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
