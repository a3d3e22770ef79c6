// Header validation shared by the three GIF writers.
#include "DibGeometry.h"

bool DibGeometry::Read(const BITMAPINFOHEADER* header)
{
    if (header == nullptr || header->biBitCount != 8)
        return false;

    const LONGLONG w = header->biWidth;
    LONGLONG h = header->biHeight;
    topDown = h < 0;
    if (topDown)
        h = -h;
    // GIF sizes are 16-bit: a larger image could only be written truncated,
    // which every decoder would then misread.
    if (w <= 0 || w > 0xFFFF || h <= 0 || h > 0xFFFF)
        return false;

    const ULONGLONG rowBytes = ((8ULL * w + 31) / 32) * 4;
    if (rowBytes * h > 0xFFFFFFFFULL)
        return false;

    width = static_cast<DWORD>(w);
    height = static_cast<DWORD>(h);
    stride = static_cast<DWORD>(rowBytes);
    return true;
}
