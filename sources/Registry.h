// The lookup that tells a movie from a still image by the AVIFile handlers
// registered for its extension, and the registry helpers it reads with:
// SetRegistryRoot, OpenRegistryKey, OpenRegistryKeyForReading,
// GetRegistryString, IsReadableMovieExtension.
#pragma once

#include <windows.h>

// Makes hRoot the key that the helpers below open their subkeys under and
// returns the previous one (HKEY_LOCAL_MACHINE at start).
HKEY SetRegistryRoot(HKEY hRoot);

// Opens pszSubKey under the current root, creating it when missing, with
// read, set-value and create-subkey rights. Null on failure; the caller closes it.
HKEY OpenRegistryKey(const char* pszSubKey);

// Opens pszSubKey under the current root for reading only; never creates it.
// Null when the key does not exist or cannot be read; the caller closes it.
HKEY OpenRegistryKeyForReading(const char* pszSubKey);

// Copies into pszOut (cbOut bytes) the string value pszValueName (null for the
// default value) of pszSubKey under the current root, or pszDefault when the
// key or value is missing or the text would not fit in cbOut bytes with its
// terminator. Returns TRUE when the value itself was copied.
BOOL GetRegistryString(const char* pszSubKey, const char* pszValueName,
                       const char* pszDefault, char* pszOut, DWORD cbOut);

// TRUE when an AVIFile handler that can read is registered for the extension
// (given without the dot, any case). Only reads HKEY_CLASSES_ROOT.
BOOL IsReadableMovieExtension(const char* pszExtension);
