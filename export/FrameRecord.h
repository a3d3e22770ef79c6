// What both export commands send of a frame and a stream, in one place:
//   TopLeftPixel   the colour index a transparency choice takes
//   MakeVideoHeader the stream header of an output file
//   GifOutputName  the .gif beside a source file
#pragma once

#include "Afx.h"

#include <windows.h>
#include <vfw.h>

class cDib;

// The colour index of the picture's top-left pixel: the buffer keeps its
// rows bottom-up, so that is the first byte of the last row in memory. 0
// for a frame without pixels.
BYTE TopLeftPixel(cDib& frame);

// A zero-filled video stream header with the handler's default quality.
void MakeVideoHeader(AVISTREAMINFOA& info, DWORD dwRate, DWORD dwScale, LONG nWidth, LONG nHeight);

// The source name with its extension replaced by ".gif".
CString GifOutputName(LPCSTR pszSourceName);

// Whether the GIF handler writes an image for a frame of this format: the
// frames the program makes (plain rows of 1, 4, 8, 16, 24 or 32 bits) up to
// the GIF's 65535 pixels a side, and, but for 8-bit ones, 4096 x 4096 pixels
// in all. An older handler writes 8-bit frames only (cGifStreamWriter).
BOOL IsWritableFrame(const cDib& frame);

// Why an export leaves a source file out, as the reports say it.
extern const char kSkipUnreadable[];
extern const char kSkipNotWritable[];

// What an export says when no image at all came through: the file the user
// had, if any, stays as it was.
extern const char kNothingWritten[];
