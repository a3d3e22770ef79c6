// AfxMessageBox and the message-text helpers.
#include "MessageBox.h"
#include "AfxString.h"
#include "WinApp.h"

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
