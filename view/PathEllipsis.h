// Shortening a line that ends in a path to a width, folders first.
#pragma once

#include "AfxString.h"

#include <windows.h>

// The text as it fits in cxMax pixels drawn on hdc: whole folders from the
// middle of its path give way to "...", so that the start of the path and
// the file name stay readable and no folder is cut inside; when even the
// file name alone is too wide, it loses characters from its start, so that
// its end (a frame number, the extension) is seen. The text itself when it
// fits.
CString CompactPathToWidth(HDC hdc, LPCSTR pszText, int cxMax);
