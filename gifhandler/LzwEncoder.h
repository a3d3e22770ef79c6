// LZW compression of one 8-bit image into GIF image data sub-blocks.
#pragma once

#include <windows.h>

struct DibGeometry;
class ByteSink;

// Writes the minimum code size byte, the compressed pixels as data sub-blocks
// and the block terminator into the sink (a file, the handler's output, or
// memory to compare two encodings' sizes), with a minimum code size of 2 to
// 8: every index must be below 2^size. Returns false when the working
// storage cannot be allocated (nothing written) or a write fails.
// bDeferClear keeps a full table while it packs well (LzwWorkspace.h); the
// exported writers and the plain layout never do, keeping their bytes.
bool LzwEncodeImageData(ByteSink& sink, const DibGeometry& geometry, const BYTE* pixels, DWORD minCodeSize = 8,
                        bool bDeferClear = false);

// Frees the workspaces kept between images, if any; for when the library is
// unloaded.
void LzwReleaseWorkspace();
