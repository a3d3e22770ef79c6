// One checked write to a Win32 file handle.
#pragma once

#include <windows.h>

// True when all `size` bytes were written; a failed or short write is false.
inline bool WriteAll(HANDLE hFile, const void* data, DWORD size)
{
    DWORD written = 0;
    return ::WriteFile(hFile, data, size, &written, nullptr) && written == size;
}
