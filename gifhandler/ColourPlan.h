// ColourPlan: the colour table chosen for a frame, which its pixels are then
// mapped onto; ColourOptions: what the client asked of the reduction.
#pragma once

#include <windows.h>

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
