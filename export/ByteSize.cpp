// File sizes in text, both ways.
#include "ByteSize.h"

#include <cstdio>

BOOL ParseByteSize(LPCSTR pszText, DWORD* pdwBytes)
{
    if (pszText == nullptr)
        return FALSE;
    const char* p = pszText;
    ULONGLONG whole = 0;
    int nDigits = 0;
    for (; *p >= '0' && *p <= '9'; ++p, ++nDigits) {
        whole = whole * 10 + static_cast<ULONGLONG>(*p - '0');
        if (whole > 0xFFFFFFFFull)
            return FALSE;
    }
    // The fraction in millionths.
    ULONGLONG fraction = 0, scale = 1000000;
    const bool bFraction = *p == '.';
    if (bFraction)
        for (++p; *p >= '0' && *p <= '9'; ++p)
            if (scale > 1) {
                scale /= 10;
                fraction += static_cast<ULONGLONG>(*p - '0') * scale;
            }
    ULONGLONG unit = 1;
    if (*p == 'K' || *p == 'k')
        unit = 1024;
    else if (*p == 'M' || *p == 'm')
        unit = 1024 * 1024;
    if (unit != 1)
        ++p;
    if (nDigits == 0 || *p != '\0' || (bFraction && unit == 1))
        return FALSE;
    const ULONGLONG bytes = whole * unit + (fraction * unit + 500000) / 1000000;
    if (bytes == 0 || bytes > 0xFFFFFFFFull)
        return FALSE;
    *pdwBytes = static_cast<DWORD>(bytes);
    return TRUE;
}

CString FormatByteSize(DWORD dwBytes)
{
    char szText[16] = "";
    if (dwBytes != 0 && dwBytes % (1024 * 1024) == 0)
        std::snprintf(szText, sizeof szText, "%luM", static_cast<unsigned long>(dwBytes / (1024 * 1024)));
    else if (dwBytes != 0 && dwBytes % 1024 == 0)
        std::snprintf(szText, sizeof szText, "%luK", static_cast<unsigned long>(dwBytes / 1024));
    else if (dwBytes != 0)
        std::snprintf(szText, sizeof szText, "%lu", static_cast<unsigned long>(dwBytes));
    return CString(szText);
}
