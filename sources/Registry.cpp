// The registry helpers and the AVIFile handler lookup by file extension.
// The lookup only ever reads: a user without write access to HKEY_CLASSES_ROOT
// must still get movies recognised, and asking must leave no keys behind.
#include "Registry.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

HKEY g_hRegistryRoot = HKEY_LOCAL_MACHINE;

const DWORD kCreateAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;  // 0x2001F
const DWORD kHandlerClassChars = 256;   // class identifier string with its terminator
const DWORD kHandlerFlagsChars = 32;    // capability flags string with its terminator
const DWORD kAVIFileCanRead = 0x0001;

// The copy of pszText that fits in cbOut bytes with its terminator.
void CopyTruncated(char* pszOut, DWORD cbOut, const char* pszText)
{
    if (pszOut == nullptr || cbOut == 0)
        return;
    ::lstrcpynA(pszOut, pszText != nullptr ? pszText : "", static_cast<int>(cbOut));
}

// Reads the value as text into out (cbOut bytes), trimmed at its first zero.
// Data longer than the buffer, or that changes size between the two queries,
// counts as absent: a truncated class identifier would name another class.
BOOL QueryString(HKEY hKey, const char* pszValueName, char* pszOut, DWORD cbOut)
{
    DWORD cbData = 0;
    if (::RegQueryValueExA(hKey, pszValueName, nullptr, nullptr, nullptr, &cbData) != ERROR_SUCCESS
        || cbData > cbOut)
        return FALSE;
    std::vector<char> data(cbOut + 1, '\0');
    DWORD cbRead = cbData;
    if (::RegQueryValueExA(hKey, pszValueName, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(data.data()), &cbRead) != ERROR_SUCCESS
        || cbRead > cbOut)
        return FALSE;
    data[cbRead] = '\0';
    const size_t nLength = std::strlen(data.data());
    if (nLength >= cbOut)
        return FALSE;
    std::memcpy(pszOut, data.data(), nLength + 1);
    return TRUE;
}

} // namespace

HKEY SetRegistryRoot(HKEY hRoot)
{
    HKEY hPrevious = g_hRegistryRoot;
    g_hRegistryRoot = hRoot;
    return hPrevious;
}

HKEY OpenRegistryKey(const char* pszSubKey)
{
    if (pszSubKey == nullptr)
        return nullptr;
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (::RegCreateKeyExA(g_hRegistryRoot, pszSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          kCreateAccess, nullptr, &hKey, &dwDisposition) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

HKEY OpenRegistryKeyForReading(const char* pszSubKey)
{
    if (pszSubKey == nullptr)
        return nullptr;
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(g_hRegistryRoot, pszSubKey, 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS)
        return nullptr;
    return hKey;
}

BOOL GetRegistryString(const char* pszSubKey, const char* pszValueName,
                       const char* pszDefault, char* pszOut, DWORD cbOut)
{
    if (pszOut == nullptr || cbOut == 0)
        return FALSE;
    BOOL bRead = FALSE;
    HKEY hKey = OpenRegistryKeyForReading(pszSubKey);
    if (hKey != nullptr) {
        bRead = QueryString(hKey, pszValueName, pszOut, cbOut);
        ::RegCloseKey(hKey);
    }
    if (!bRead)
        CopyTruncated(pszOut, cbOut, pszDefault);
    return bRead;
}

BOOL IsReadableMovieExtension(const char* pszExtension)
{
    // An empty extension would name the Extensions key itself.
    if (pszExtension == nullptr || *pszExtension == '\0' || std::strchr(pszExtension, '\\') != nullptr)
        return FALSE;

    std::string strExtension(pszExtension);
    ::CharUpperBuffA(&strExtension[0], static_cast<DWORD>(strExtension.size()));
    const std::string strExtensionKey = "AVIFile\\Extensions\\" + strExtension;

    HKEY hPreviousRoot = SetRegistryRoot(HKEY_CLASSES_ROOT);
    BOOL bReadable = FALSE;
    char szHandler[kHandlerClassChars];
    GetRegistryString(strExtensionKey.c_str(), nullptr, "", szHandler, sizeof(szHandler));
    if (szHandler[0] != '\0') {
        const std::string strFlagsKey = std::string("CLSID\\") + szHandler + "\\AVIFile";
        char szFlags[kHandlerFlagsChars];
        GetRegistryString(strFlagsKey.c_str(), nullptr, "0", szFlags, sizeof(szFlags));
        unsigned int nFlags = 0;
        if (std::sscanf(szFlags, "%x", &nFlags) != 1)
            nFlags = 0;
        // No flags at all means a handler of the kind that always reads.
        bReadable = nFlags == 0 || (nFlags & kAVIFileCanRead) != 0;
    }
    SetRegistryRoot(hPreviousRoot);
    return bReadable;
}
