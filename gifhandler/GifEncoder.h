// The GIF89a writer functions exported by loomcast.dll, and the options
// record they take. Callers write one file as: GifWriteFileHeader once, then
// GifWriteImageHeader + GifWriteImage per image, then GifWriteFileTerminator.
#pragma once

#include <windows.h>
#include <stddef.h>

#pragma pack(push, 2)
// Animation options for the two header writers. Its 18-byte packed layout is
// part of the exported interface.
struct GifWriteOptions
{
    BOOL  bTransparent;       // non-zero: images carry a transparent colour
    WORD  wTransparentIndex;  // the transparent colour (low byte written)
    DWORD dwReserved;         // kept for callers, read by nothing
    BOOL  bLoop;              // non-zero: the file header writes the loop extension
    WORD  wLoopCount;         // 0 = repeat forever
    WORD  wDelay;             // hundredths of a second after each image
};
#pragma pack(pop)

static_assert(sizeof(GifWriteOptions) == 18, "GifWriteOptions is 18 bytes");
static_assert(offsetof(GifWriteOptions, wTransparentIndex) == 4, "layout");
static_assert(offsetof(GifWriteOptions, dwReserved) == 6, "layout");
static_assert(offsetof(GifWriteOptions, bLoop) == 10, "layout");
static_assert(offsetof(GifWriteOptions, wLoopCount) == 14, "layout");
static_assert(offsetof(GifWriteOptions, wDelay) == 16, "layout");

extern "C" {

// Signature, logical screen, 768-byte global colour table and, when
// options->bLoop is set, the loop extension. format must be 8 bits per pixel.
BOOL WINAPI GifWriteFileHeader(HANDLE hFile, const BITMAPINFO* format,
                               const GifWriteOptions* options);

// Graphic control extension (only when options is given) and image descriptor.
BOOL WINAPI GifWriteImageHeader(HANDLE hFile, const BITMAPINFOHEADER* header,
                                const GifWriteOptions* options);

// LZW image data of one 8-bit BI_RGB image: rows padded to 4 bytes, bottom-up
// for a positive biHeight, top-down for a negative one.
BOOL WINAPI GifWriteImage(HANDLE hFile, const BITMAPINFOHEADER* header,
                          const BYTE* pixels);

// The trailer byte.
BOOL WINAPI GifWriteFileTerminator(HANDLE hFile);

} // extern "C"

typedef BOOL (WINAPI* PFN_GifWriteFileHeader)(HANDLE, const BITMAPINFO*, const GifWriteOptions*);
typedef BOOL (WINAPI* PFN_GifWriteImageHeader)(HANDLE, const BITMAPINFOHEADER*, const GifWriteOptions*);
typedef BOOL (WINAPI* PFN_GifWriteImage)(HANDLE, const BITMAPINFOHEADER*, const BYTE*);
typedef BOOL (WINAPI* PFN_GifWriteFileTerminator)(HANDLE);
