// Path shortening for the progress window's status line.
#include "PathEllipsis.h"

#include <vector>

namespace {

int TextWidth(HDC hdc, const CString& strText)
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(hdc, strText, strText.GetLength(), &size);
    return size.cx;
}

} // namespace

CString CompactPathToWidth(HDC hdc, LPCSTR pszText, int cxMax)
{
    const CString strText(pszText);
    if (TextWidth(hdc, strText) <= cxMax)
        return strText;
    // The separators, found a character at a time: in a double-byte code
    // page a backslash's byte may be the second half of another character.
    std::vector<int> separators;
    for (LPCSTR p = pszText; *p != '\0'; p = ::CharNextA(p))
        if (*p == '\\')
            separators.push_back(static_cast<int>(p - pszText));
    // Kept: everything up to the first separator (the drive, and any words
    // before the path), and from some later separator on; at least the
    // file name.
    if (separators.size() < 3)
        return strText;
    const CString strHead = strText.Left(separators[0] + 1) + "...";
    CString strShort;
    for (size_t i = 2; i < separators.size(); ++i) {
        strShort = strHead + strText.Mid(separators[i]);
        if (TextWidth(hdc, strShort) <= cxMax)
            break;
    }
    return strShort;
}
