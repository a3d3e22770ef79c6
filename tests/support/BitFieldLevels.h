// What one channel of a bit-field pixel reads as, for the tests of both
// readers (the program's and the handler's): where its mask lies, and the
// 8-bit level of each of its values, its bits repeated below it.
#pragma once

#include <windows.h>

namespace bitfields {

struct MaskRun
{
    DWORD shift;        // of the lowest bit
    int width;          // bits in the run
    DWORD max;          // the highest value, all ones
};

inline MaskRun RunOf(DWORD mask)
{
    MaskRun run = {0, 0, 0};
    while ((mask & 1) == 0)
        mask >>= 1, ++run.shift;
    while ((mask >> run.width) != 0)
        ++run.width;
    run.max = mask;
    return run;
}

inline BYTE Level(DWORD value, int width)
{
    DWORD level = 0;
    for (int s = 8 - width; s > -width; s -= width)
        level |= s >= 0 ? value << s : value >> -s;
    return static_cast<BYTE>(level);
}

} // namespace bitfields
