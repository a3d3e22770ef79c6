// A bit-field pixel and the colour it reads as, for the tests of both
// readers (the program's and the handler's).
#pragma once

#include <windows.h>

// The pixel whose channels take values from seed (each as many bits as its
// mask has) and, in *rgb, its colour 0x00RRGGBB: each value's bits repeated
// below it to fill 8 bits.
inline DWORD FieldPixel(const DWORD masks[3], DWORD seed, DWORD* rgb)
{
    DWORD value = 0;
    *rgb = 0;
    for (int k = 0; k < 3; ++k) {
        DWORD run = masks[k], shift = 0, level = 0;
        int width = 0;
        for (; (run & 1) == 0; run >>= 1)
            ++shift;
        while ((run >> width) != 0)
            ++width;
        const DWORD v = (seed + 7 * k) % (run + 1);
        for (int s = 8 - width; s > -width; s -= width)
            level |= s >= 0 ? v << s : v >> -s;
        value |= v << shift;
        *rgb |= (level & 0xFF) << (16 - 8 * k);
    }
    return value;
}
