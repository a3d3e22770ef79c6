// ColourPlan: the colour table chosen for a frame, which its pixels are then
// mapped onto; ColourOptions: what the client asked of the reduction; the
// largest frame the stage takes.
#pragma once

#include <windows.h>

// The largest frame, in pixels, that the colour stage takes (4096 x 4096,
// DibToPixels refuses larger ones): every count and colour sum then fits in
// 32 bits, and the pixels of a frame stay well inside what a 32-bit process
// can allocate.
const DWORD kMaxQuantizePixels = 1u << 24;

// No key colour (a colour that is to become transparent).
const DWORD kNoKeyColour = 0xFFFFFFFF;

struct ColourOptions
{
    DWORD limit;        // most entries in a table, 2..256
    bool dither;
    // The key colour (the transparent source colour): its pixels, and only
    // they, take one entry of their own that nothing else maps onto.
    bool hasKey;
    DWORD key;          // 0x00RRGGBB
};

// The first `free` entries are what pixels are mapped onto; the key
// colour's entry and the stays entry, when there are, come after them.
struct ColourPlan
{
    DWORD colours[256]; // 0x00RRGGBB; entries past count are 0
    DWORD count;        // 1..limit
    DWORD free;
    int keyIndex;       // the key colour's entry, or -1 (no key, or no pixel has it)
    // The entry of pixels that stay as the screen shows them, whatever
    // colour that is (written as transparent by frame differencing), or -1.
    int stayIndex;
    bool exact;         // the free entries hold every colour of the frame but the key
};
