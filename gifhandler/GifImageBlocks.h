// The handler's own image writer, beside the exported ones: an image whose
// colours may come with a local table, from indices that lie as the
// geometry says (any stride, either row order).
#pragma once

#include <windows.h>

#include "DibGeometry.h"
#include "GifEncoder.h"

// The control extension (when options is given), the image descriptor at
// the top-left corner and, when localTable is given, a local colour table of
// the smallest power of two that holds its count entries (1 to 256); then
// the LZW data of the indices. False when a write fails.
bool GifWriteImageBlocks(HANDLE hFile, const DibGeometry& geometry, const GifWriteOptions* options,
                         const RGBQUAD* localTable, DWORD count, const BYTE* indices);
