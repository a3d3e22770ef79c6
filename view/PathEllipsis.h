// Shortening a line that ends in a path to a width, folders at a time.
#pragma once

#include "AfxString.h"

#include <windows.h>

// The text as it fits in cxMax pixels drawn on hdc: whole folders from the
// middle of its path give way to "...", so that the start of the path and
// the file name stay readable and no name is cut inside. The text itself
// when it fits, or when it has no folder to leave out.
CString CompactPathToWidth(HDC hdc, LPCSTR pszText, int cxMax);
