// AfxMessageBox and the message-text helpers.
#include "MessageBox.h"
#include "AfxString.h"
#include "WinApp.h"

#include <cstring>

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp)
{
    if (CWinApp* pApp = AfxGetApp())
        return pApp->DoMessageBox(lpszText, nType, nIDHelp);
    return ::MessageBoxA(nullptr, lpszText, nullptr, nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString strPrompt;
    strPrompt.LoadString(nIDPrompt);
    return AfxMessageBox(strPrompt, nType, nIDHelp == UINT(-1) ? nIDPrompt : nIDHelp);
}

namespace {

// Replaces %1 .. %9 by the arguments; other text is copied as it is.
CString FormatStrings(UINT nIDS, LPCSTR const* rglpsz, int nString)
{
    CString strFormat;
    strFormat.LoadString(nIDS);
    CString strResult;
    for (int i = 0; i < strFormat.GetLength(); ++i) {
        const char ch = strFormat[i];
        if (ch == '%' && i + 1 < strFormat.GetLength() && strFormat[i + 1] >= '1' && strFormat[i + 1] <= '9') {
            const int nArg = strFormat[i + 1] - '1';
            if (nArg < nString && rglpsz[nArg] != nullptr)
                strResult += rglpsz[nArg];
            ++i;
        } else {
            strResult += ch;
        }
    }
    return strResult;
}

} // namespace

CString AfxFormatString1(UINT nIDS, LPCSTR lpsz1)
{
    return FormatStrings(nIDS, &lpsz1, 1);
}

CString AfxFormatString2(UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2)
{
    LPCSTR rglpsz[2] = {lpsz1, lpsz2};
    return FormatStrings(nIDS, rglpsz, 2);
}

CString AfxFormatList(LPCSTR lpszHeading, const std::vector<CString>& lines, size_t nShown)
{
    CString strText(lpszHeading);
    for (size_t i = 0; i < lines.size() && i < nShown; ++i)
        strText += CString("\n") + lines[i];
    if (lines.size() > nShown) {
        char szMore[64];
        ::wsprintfA(szMore, "\n... and %u more.", static_cast<unsigned>(lines.size() - nShown));
        strText += szMore;
    }
    return strText;
}

namespace {

int TextWidth(HDC hdc, LPCSTR lpsz, int nLength)
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(hdc, lpsz, nLength, &size);
    return size.cx;
}

// Appends one line of the text, from pszLine for nLength bytes, wrapped.
void WrapLine(HDC hdc, LPCSTR pszLine, int nLength, int cxLine, int cxPart, CString& strOut)
{
    LPCSTR pszEnd = pszLine + nLength;
    LPCSTR pszStart = pszLine;          // of the output line being filled
    LPCSTR pszBreak = nullptr;          // the last place it may break, after a separator
    for (LPCSTR p = pszLine; p < pszEnd;) {
        // Characters at a time: in a double-byte code page a backslash's
        // byte may be the second half of another character.
        LPCSTR pNext = ::CharNextA(p);
        if (pNext > pszEnd || pNext == p)
            pNext = pszEnd;
        const int cx = TextWidth(hdc, pszStart, static_cast<int>(pNext - pszStart));
        // Past the width: break after the last separator; a part without
        // one (a long file name) goes on to the wider limit, and only then
        // breaks between characters.
        if (p > pszStart && (pszBreak != nullptr ? cx > cxLine : cx > cxPart)) {
            LPCSTR pszCut = pszBreak != nullptr ? pszBreak : p;
            strOut += CString(pszStart, static_cast<int>(pszCut - pszStart)) + "\n";
            pszStart = pszCut;
            pszBreak = nullptr;
            continue;
        }
        if (*p == '\\' || *p == '/' || *p == ' ')
            pszBreak = pNext;
        p = pNext;
    }
    strOut += CString(pszStart, static_cast<int>(pszEnd - pszStart));
}

} // namespace

CString AfxWrapText(HDC hdc, LPCSTR lpszText, int cxLine, int cxPart)
{
    CString strOut;
    LPCSTR pszLine = lpszText;
    for (;;) {
        LPCSTR pszNewLine = std::strchr(pszLine, '\n');
        const int nLength = pszNewLine != nullptr ? static_cast<int>(pszNewLine - pszLine)
                                                  : static_cast<int>(std::strlen(pszLine));
        WrapLine(hdc, pszLine, nLength, cxLine, cxPart, strOut);
        if (pszNewLine == nullptr)
            return strOut;
        strOut += '\n';
        pszLine = pszNewLine + 1;
    }
}

CString AfxFitMessageText(LPCSTR lpszText)
{
    NONCLIENTMETRICSA metrics;
    metrics.cbSize = sizeof metrics;
    RECT rcWork = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    if (!::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return CString(lpszText);
    CString strText(lpszText);
    HFONT hFont = ::CreateFontIndirectA(&metrics.lfMessageFont);
    HDC hdc = hFont != nullptr ? ::GetDC(nullptr) : nullptr;
    if (hdc != nullptr) {
        HGDIOBJ hOldFont = ::SelectObject(hdc, hFont);
        // The box adds its icon and margins to the text's width.
        const int cxWork = rcWork.right - rcWork.left;
        strText = AfxWrapText(hdc, lpszText, cxWork / 2, cxWork - 160);
        ::SelectObject(hdc, hOldFont);
        ::ReleaseDC(nullptr, hdc);
    }
    if (hFont != nullptr)
        ::DeleteObject(hFont);
    return strText;
}
