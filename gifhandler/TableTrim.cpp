// Table cutting: one pass over the table, one over the pixels.
#include "TableTrim.h"

DWORD CodeSizeFor(DWORD nIndices)
{
    DWORD size = 2;
    while (size < 8 && (1u << size) < nIndices)
        ++size;
    return size;
}

void TrimTable(const bool used[256], const RGBQUAD* table, DWORD tableCount, int keyIndex, bool bAddTransparent,
               TrimmedTable& out)
{
    ::ZeroMemory(&out, sizeof out);
    out.transparentIndex = -1;
    const DWORD n = tableCount > 256 ? 256 : tableCount;
    for (DWORD i = 0; i < n; ++i) {
        if (!used[i] && static_cast<int>(i) != keyIndex)
            continue;
        const RGBQUAD c = table[i];
        DWORD at = out.count;
        // A colour already cut in shares its entry, except with the key's.
        if (static_cast<int>(i) != keyIndex)
            for (DWORD j = 0; j < out.count; ++j)
                if (static_cast<int>(j) != out.transparentIndex && out.colours[j].rgbRed == c.rgbRed
                    && out.colours[j].rgbGreen == c.rgbGreen && out.colours[j].rgbBlue == c.rgbBlue) {
                    at = j;
                    break;
                }
        if (at == out.count) {
            out.colours[at] = c;
            out.colours[at].rgbReserved = 0;
            ++out.count;
        }
        out.remap[i] = static_cast<BYTE>(at);
        if (static_cast<int>(i) == keyIndex)
            out.transparentIndex = static_cast<int>(at);
    }
    if (out.transparentIndex < 0 && bAddTransparent && out.count < 256)
        out.transparentIndex = static_cast<int>(out.count++);
    if (out.count == 0)
        out.count = 1;      // an image uses at least one colour; a table has at least one entry
    out.codeSize = CodeSizeFor(out.count);
}

void RemapIndices(BYTE* pixels, SIZE_T n, const BYTE remap[256])
{
    for (SIZE_T i = 0; i < n; ++i)
        pixels[i] = remap[pixels[i]];
}
