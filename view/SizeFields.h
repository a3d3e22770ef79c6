// The size choices' fields the export dialogs share, with their checks:
//   DDX_OptionalInt  a whole number in a range, or empty for 0 (not asked for)
//   DDX_ByteSize     a file size ("2M", "500K", bytes), or empty for 0
//   DDX_SizeChoices  the four fields both export dialogs have
#pragma once

#include "DataExchange.h"

#include <windows.h>

void DDX_OptionalInt(CDataExchange* pDX, int nIDC, int& value, int minVal, int maxVal);
void DDX_ByteSize(CDataExchange* pDX, int nIDC, DWORD& value);

// Output width and height (1 to 65535, or empty), colours (2 to 256) and
// lossiness (0 to 200), in the controls nIDs gives in that order.
void DDX_SizeChoices(CDataExchange* pDX, const int nIDs[4], int& width, int& height, int& colours, int& lossiness);
