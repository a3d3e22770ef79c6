// The GIF89a writers, into any sink (the handler's output) and, exported,
// into a file handle, and the handler's writer of images with a table of
// their own: one small builder per GIF block, each block handed to the sink
// whole.
#include "GifEncoder.h"
#include "GifImageBlocks.h"
#include "DibGeometry.h"
#include "FileWrite.h"
#include "LzwEncoder.h"

namespace {

const int kColourTableEntries = 256;

inline BYTE* PutWord(BYTE* p, DWORD value)
{
    p[0] = static_cast<BYTE>(value);
    p[1] = static_cast<BYTE>(value >> 8);
    return p + 2;
}

// "GIF89a" and the logical screen descriptor: 13 bytes.
void BuildScreenDescriptor(BYTE* p, const DibGeometry& g)
{
    ::CopyMemory(p, "GIF89a", 6);
    p = PutWord(p + 6, g.width);
    p = PutWord(p, g.height);
    p[0] = 0xF0 | ((8 - 1) & 7);    // global table, 8-bit resolution, 256 entries
    p[1] = 0;                       // background colour index
    p[2] = 0;                       // pixel aspect ratio
}

// 256 RGB triples from the DIB's colour table; unused entries stay black.
void BuildColourTable(BYTE* table, const BITMAPINFO* format)
{
    DWORD used = format->bmiHeader.biClrUsed;
    if (used == 0 || used > kColourTableEntries)
        used = kColourTableEntries;     // a larger count cannot fit the table
    const RGBQUAD* colours = reinterpret_cast<const RGBQUAD*>(
        reinterpret_cast<const BYTE*>(format) + format->bmiHeader.biSize);
    ::ZeroMemory(table, 3 * kColourTableEntries);
    for (DWORD i = 0; i < used; ++i) {
        table[3 * i + 0] = colours[i].rgbRed;
        table[3 * i + 1] = colours[i].rgbGreen;
        table[3 * i + 2] = colours[i].rgbBlue;
    }
}

// Application extension that makes browsers repeat the animation: 19 bytes.
void BuildLoopExtension(BYTE* p, WORD loopCount)
{
    static const BYTE kHead[] = { 0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E',
                                  '2', '.', '0', 0x03, 0x01 };
    ::CopyMemory(p, kHead, sizeof kHead);
    p = PutWord(p + sizeof kHead, loopCount);
    p[0] = 0x00;
}

// Graphic control extension: 8 bytes. Bit 7 of the packed byte is set along
// with a delay, as files written by earlier versions have it.
void BuildControlExtension(BYTE* p, const GifWriteOptions& options)
{
    BYTE packed = 0;
    BYTE transparentIndex = 0;
    if (options.wDelay != 0)
        packed |= 0x80;
    if (options.bTransparent) {
        packed |= 0x08 | 0x01;      // restore to background; transparent colour given
        transparentIndex = static_cast<BYTE>(options.wTransparentIndex);
    }
    p[0] = 0x21;
    p[1] = 0xF9;
    p[2] = 0x04;
    p[3] = packed;
    p = PutWord(p + 4, options.wDelay);
    p[0] = transparentIndex;
    p[1] = 0x00;
}

// Image descriptor at the top-left corner, without a local table: 10 bytes.
// The packed byte still carries table-size bits, as files written by
// earlier versions have it; readers ignore them.
void BuildImageDescriptor(BYTE* p, const DibGeometry& g)
{
    p[0] = 0x2C;
    p = PutWord(p + 1, 0);
    p = PutWord(p, 0);
    p = PutWord(p, g.width);
    p = PutWord(p, g.height);
    p[0] = (8 - 1) & 7;
}

// Bits of the smallest GIF colour table, 2 to 256 entries, that holds count.
DWORD TableBits(DWORD count)
{
    DWORD bits = 1;
    while ((1u << bits) < count && bits < 8)
        ++bits;
    return bits;
}

// The colour table of a descriptor's packed byte: the smallest power of two
// that holds count entries, entries past the count black. The bytes written.
DWORD BuildSizedTable(BYTE* p, const RGBQUAD* table, DWORD count)
{
    const DWORD entries = 1u << TableBits(count);
    ::ZeroMemory(p, 3 * entries);
    for (DWORD i = 0; i < count; ++i) {
        p[3 * i + 0] = table[i].rgbRed;
        p[3 * i + 1] = table[i].rgbGreen;
        p[3 * i + 2] = table[i].rgbBlue;
    }
    return 3 * entries;
}

} // namespace

bool GifWriteFileHeader(ByteSink& sink, const BITMAPINFO* format, const GifWriteOptions* options)
{
    DibGeometry geometry;
    if (format == nullptr || format->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)
        || !geometry.Read(&format->bmiHeader))
        return false;

    BYTE screen[13];
    BuildScreenDescriptor(screen, geometry);
    if (!sink.Write(screen, sizeof screen))
        return false;

    HGLOBAL hTable = ::GlobalAlloc(GMEM_FIXED, 3 * kColourTableEntries);
    if (hTable == nullptr)
        return false;
    BYTE* table = static_cast<BYTE*>(hTable);
    BuildColourTable(table, format);
    const bool tableWritten = sink.Write(table, 3 * kColourTableEntries);
    ::GlobalFree(hTable);
    if (!tableWritten)
        return false;

    if (options != nullptr && options->bLoop) {
        BYTE loop[19];
        BuildLoopExtension(loop, options->wLoopCount);
        if (!sink.Write(loop, sizeof loop))
            return false;
    }
    return true;
}

bool GifWriteImageHeader(ByteSink& sink, const BITMAPINFOHEADER* header, const GifWriteOptions* options)
{
    DibGeometry geometry;
    if (!geometry.Read(header))
        return false;

    BYTE blocks[8 + 10];
    DWORD size = 0;
    if (options != nullptr) {
        BuildControlExtension(blocks, *options);
        size = 8;
    }
    BuildImageDescriptor(blocks + size, geometry);
    size += 10;
    return sink.Write(blocks, size);
}

bool GifWriteImage(ByteSink& sink, const BITMAPINFOHEADER* header, const BYTE* pixels)
{
    DibGeometry geometry;
    if (pixels == nullptr || !geometry.Read(header) || header->biCompression != BI_RGB)
        return false;
    return LzwEncodeImageData(sink, geometry, pixels);
}

bool GifWriteFileTerminator(ByteSink& sink)
{
    static const BYTE kTrailer = 0x3B;
    return sink.Write(&kTrailer, 1);
}

// The exported writers: the same bytes, into a file handle.

extern "C" BOOL WINAPI GifWriteFileHeader(HANDLE hFile, const BITMAPINFO* format,
                                          const GifWriteOptions* options)
{
    FileSink sink(hFile);
    return hFile != nullptr && GifWriteFileHeader(sink, format, options);
}

extern "C" BOOL WINAPI GifWriteImageHeader(HANDLE hFile, const BITMAPINFOHEADER* header,
                                           const GifWriteOptions* options)
{
    FileSink sink(hFile);
    return hFile != nullptr && GifWriteImageHeader(sink, header, options);
}

extern "C" BOOL WINAPI GifWriteImage(HANDLE hFile, const BITMAPINFOHEADER* header,
                                     const BYTE* pixels)
{
    FileSink sink(hFile);
    return hFile != nullptr && GifWriteImage(sink, header, pixels);
}

extern "C" BOOL WINAPI GifWriteFileTerminator(HANDLE hFile)
{
    FileSink sink(hFile);
    return hFile != nullptr && GifWriteFileTerminator(sink);
}

namespace {

// The control extension, the descriptor and the local table, if any, of an
// image placed anywhere: at most 8 + 10 + 768 bytes. The size written.
DWORD BuildPlacedImageBlocks(BYTE* blocks, const GifPlacedImage& image)
{
    BYTE* p = blocks;
    p[0] = 0x21;
    p[1] = 0xF9;
    p[2] = 0x04;
    p[3] = static_cast<BYTE>((image.delay != 0 ? 0x80 : 0) | ((image.disposal & 7) << 2) | (image.transparent ? 1 : 0));
    p = PutWord(p + 4, image.delay);
    p[0] = image.transparent ? image.transparentIndex : 0;
    p[1] = 0x00;
    p += 2;
    const DWORD bits = image.localTable != nullptr ? TableBits(image.localCount) : 0;
    p[0] = 0x2C;
    p = PutWord(p + 1, image.left);
    p = PutWord(p, image.top);
    p = PutWord(p, image.width);
    p = PutWord(p, image.height);
    *p++ = bits != 0 ? static_cast<BYTE>(0x80 | (bits - 1)) : (8 - 1) & 7;
    // Entries past the count are black: no index refers to them.
    if (image.localTable != nullptr)
        p += BuildSizedTable(p, image.localTable, image.localCount);
    return static_cast<DWORD>(p - blocks);
}

bool IsPlaceable(const GifPlacedImage& image)
{
    return image.localTable == nullptr || (image.localCount != 0 && image.localCount <= 256);
}

} // namespace

GifPlacedImage GifPlaceWholeImage(const DibGeometry& geometry, const GifWriteOptions& options,
                                  const RGBQUAD* localTable, DWORD count, bool bRestore)
{
    GifPlacedImage placed;
    ::ZeroMemory(&placed, sizeof placed);
    placed.width = geometry.width;
    placed.height = geometry.height;
    placed.delay = options.wDelay;
    placed.disposal = options.bTransparent || bRestore ? 2 : 0;
    placed.transparent = options.bTransparent != FALSE;
    placed.transparentIndex = static_cast<BYTE>(options.wTransparentIndex);
    placed.localTable = localTable;
    placed.localCount = count;
    return placed;
}

bool GifWriteImageBlocks(ByteSink& sink, const GifPlacedImage& placed, const DibGeometry& geometry,
                         const BYTE* indices)
{
    if (indices == nullptr || !IsPlaceable(placed))
        return false;
    BYTE blocks[8 + 10 + 3 * kColourTableEntries];
    return sink.Write(blocks, BuildPlacedImageBlocks(blocks, placed)) && LzwEncodeImageData(sink, geometry, indices);
}

bool GifWriteEncodedImage(ByteSink& sink, const GifPlacedImage& image, const BYTE* lzw, DWORD cbLzw)
{
    if (lzw == nullptr || !IsPlaceable(image))
        return false;
    BYTE blocks[8 + 10 + 3 * kColourTableEntries];
    return sink.Write(blocks, BuildPlacedImageBlocks(blocks, image)) && sink.Write(lzw, cbLzw);
}

bool GifWriteScreen(ByteSink& sink, DWORD width, DWORD height, const RGBQUAD* table, DWORD count,
                    const GifWriteOptions& options)
{
    if (count == 0 || count > 256)
        return false;
    BYTE blocks[13 + 3 * kColourTableEntries + 19];
    DibGeometry g;
    g.width = width;
    g.height = height;
    BuildScreenDescriptor(blocks, g);
    blocks[10] = static_cast<BYTE>(0xF0 | (TableBits(count) - 1));  // global table of the entries used
    DWORD size = 13 + BuildSizedTable(blocks + 13, table, count);
    if (options.bLoop) {
        BuildLoopExtension(blocks + size, options.wLoopCount);
        size += 19;
    }
    return sink.Write(blocks, size);
}
