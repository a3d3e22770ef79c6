// The size choices' fields the export dialogs share, with their checks:
//   DDX_OptionalInt  a whole number in a range, or empty for 0 (not asked for)
//   DDX_ByteSize     a file size ("2M", "500K", bytes), or empty for 0
#pragma once

#include "DataExchange.h"

#include <windows.h>

void DDX_OptionalInt(CDataExchange* pDX, int nIDC, int& value, int minVal, int maxVal);
void DDX_ByteSize(CDataExchange* pDX, int nIDC, DWORD& value);
