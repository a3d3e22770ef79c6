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

struct ColourPlan
{
    DWORD colours[256]; // 0x00RRGGBB; entries past count are 0
    DWORD count;        // 1..limit
    int keyIndex;       // the key colour's entry, or -1 (no key, or no pixel has it)
    bool exact;         // the table holds every colour of the frame
};
