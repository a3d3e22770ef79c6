// Widens one DIB frame to the 0x00RRGGBB pixels the colour stage takes.
#pragma once

#include "ColourPlan.h"

// The size of a frame DibToPixels accepts. Accepted: BI_RGB with 1, 4 or 8
// bits (colour table after the header, biClrUsed entries or all of them),
// 16 bits (5-5-5), 24 or 32 bits; BI_BITFIELDS with 16 or 32 bits, whose
// red, green and blue masks (after a 40-byte header, or the first fields
// past it in a larger one) are each one run of 1 to 8 bits within the
// pixel, apart from each other; an alpha mask is not read. Rows bottom-up
// for a positive biHeight, top-down for a negative one. Refused: a null
// header, any other format or masks, a header size that is not one of the
// BITMAPINFO family's, a zero or negative width, a zero height, a side
// above 65535 (the GIF's 16-bit fields), more than kMaxQuantizePixels
// pixels, rows that do not fit in 32 bits, biClrUsed larger than the bit
// count allows.
bool DibPixelSize(const BITMAPINFOHEADER* header, DWORD* width, DWORD* height);

// Widens the frame `bits` (rows padded to 4 bytes, biSizeImage ignored) to
// width * height pixels as 0x00RRGGBB, top row first, no padding. A channel
// of fewer than 8 bits has its bits repeated below itself, so that its
// lowest and highest values give 0 and 255. An index past the colour table
// gives black. False, with nothing written, for anything DibPixelSize
// refuses or a null pointer.
bool DibToPixels(const BITMAPINFOHEADER* header, const BYTE* bits, DWORD* pixels);
