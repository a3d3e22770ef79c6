// A file size as people write it: bytes, or kibibytes or mebibytes with a
// K or M after the number ("2M", "1.5M", "500K", "250000").
#pragma once

#include "AfxString.h"

#include <windows.h>

// The bytes the text says: a number, with a fraction only before a suffix,
// then K or M (either case, 1024-based) or nothing; no spaces. FALSE for
// anything else, for 0 and for 4 GiB or more.
BOOL ParseByteSize(LPCSTR pszText, DWORD* pdwBytes);

// The shortest text ParseByteSize reads back as dwBytes: "2M", "500K" or
// the bytes; empty for 0.
CString FormatByteSize(DWORD dwBytes);
