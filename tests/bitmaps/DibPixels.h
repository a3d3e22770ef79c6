// The pixel rows of a bitmap buffer as bytes, for comparing in tests.
#pragma once

#include "Dib.h"

#include <vector>

inline std::vector<BYTE> PixelsOf(cDib& dib)
{
    const BYTE* p = static_cast<const BYTE*>(dib.LockBits());
    std::vector<BYTE> pixels;
    if (p != nullptr)
        pixels.assign(p, p + dib.GetBitsSize());
    dib.UnlockBits();
    return pixels;
}
