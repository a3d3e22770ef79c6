// Small helpers of the colour stage, on 0x00RRGGBB colours:
//   Red, Green, Blue, Rgb      channels out and in
//   ClampLevel                 an int to 0..255
//   ColourDistance             squared distance between two colours
//   ColourOf, QuadOf           RGBQUAD to and from a colour
//   KeepKeyApart               no entry but the key's own holds the key colour
#pragma once

#include <windows.h>

inline int Red(DWORD c) { return static_cast<int>((c >> 16) & 0xFF); }
inline int Green(DWORD c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int Blue(DWORD c) { return static_cast<int>(c & 0xFF); }
inline DWORD Rgb(int r, int g, int b) { return static_cast<DWORD>(r << 16 | g << 8 | b); }

inline int ClampLevel(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

inline int ColourDistance(DWORD a, DWORD b)
{
    const int dr = Red(a) - Red(b), dg = Green(a) - Green(b), db = Blue(a) - Blue(b);
    return dr * dr + dg * dg + db * db;
}

inline DWORD ColourOf(const RGBQUAD& q) { return Rgb(q.rgbRed, q.rgbGreen, q.rgbBlue); }

inline RGBQUAD QuadOf(DWORD c)
{
    RGBQUAD q;
    q.rgbRed = static_cast<BYTE>(Red(c));
    q.rgbGreen = static_cast<BYTE>(Green(c));
    q.rgbBlue = static_cast<BYTE>(Blue(c));
    q.rgbReserved = 0;
    return q;
}

// Moves every entry of a fitted table that came out as the key colour one
// level of blue away: the key colour's own entry is the only one of that
// colour, or a transparent index would also clear the pixels mapped onto
// the other.
inline void KeepKeyApart(DWORD* colours, DWORD count, DWORD key)
{
    for (DWORD k = 0; k < count; ++k)
        if (colours[k] == key)
            colours[k] = Blue(key) < 255 ? key + 1 : key - 1;
}
