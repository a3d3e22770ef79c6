// LZW compression of one 8-bit image into GIF image data sub-blocks.
#pragma once

#include <windows.h>

struct DibGeometry;
class ByteSink;

// Writes the minimum code size byte, the compressed pixels as data sub-blocks
// and the block terminator into the sink (a file, the handler's output, or
// memory to compare two encodings' sizes). Returns false when the working
// storage cannot be allocated (nothing written) or a write fails.
bool LzwEncodeImageData(ByteSink& sink, const DibGeometry& geometry, const BYTE* pixels);

// Frees the workspaces kept between images, if any; for when the library is
// unloaded.
void LzwReleaseWorkspace();
