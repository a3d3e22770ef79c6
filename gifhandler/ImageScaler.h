// Scaling of 0x00RRGGBB frames by area averaging: every output pixel is
// the mean of the source area it covers, each source pixel counted by the
// part of it inside that area. Reduction keeps fine detail as its average
// instead of dropping it; enlarging repeats pixels, blended at their edges.
#pragma once

#include <windows.h>

// The size of a frame of srcWidth x srcHeight scaled so that the screen,
// screenWidth x screenHeight, becomes outWidth x outHeight: each side by
// the screen's factor, rounded, at least 1 and at most 65535.
void ScaledSize(DWORD srcWidth, DWORD srcHeight, DWORD screenWidth, DWORD screenHeight, DWORD outWidth,
                DWORD outHeight, DWORD* width, DWORD* height);

// The output screen for a request of nWidth x nHeight (0 for one side keeps
// the aspect ratio of screenWidth x screenHeight); false when neither side
// is asked for, so nothing is scaled.
bool OutputScreen(DWORD screenWidth, DWORD screenHeight, DWORD nWidth, DWORD nHeight, DWORD* width,
                  DWORD* height);

// Scales src (srcWidth x srcHeight pixels, top row first, no padding) into
// dst (dstWidth x dstHeight, likewise). False when the working memory cannot
// be had; dst is then untouched.
bool ScalePixels(const DWORD* src, DWORD srcWidth, DWORD srcHeight, DWORD* dst, DWORD dstWidth, DWORD dstHeight);
