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
    // before the path), and from some later separator on.
    CString strHead;
    if (separators.size() >= 3) {
        strHead = strText.Left(separators[0] + 1) + "...";
        for (size_t i = 2; i < separators.size(); ++i) {
            const CString strShort = strHead + strText.Mid(separators[i]);
            if (TextWidth(hdc, strShort) <= cxMax)
                return strShort;
        }
        strHead += "\\";
    } else if (!separators.empty()) {
        strHead = strText.Left(separators.back() + 1);
    }
    // Every folder gone and still too wide: the name gives up its start, so
    // that its end (a frame number, the extension) stays in sight.
    const int nNameStart = separators.empty() ? 0 : separators.back() + 1;
    LPCSTR pszName = static_cast<LPCSTR>(strText) + nNameStart;
    for (LPCSTR p = ::CharNextA(pszName); *p != '\0'; p = ::CharNextA(p)) {
        const CString strShort = strHead + "..." + p;
        if (TextWidth(hdc, strShort) <= cxMax)
            return strShort;
    }
    return strHead + "..." + strText.Right(1);
}
