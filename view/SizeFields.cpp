// The size fields: empty means "not asked for"; anything else is checked.
#include "SizeFields.h"

#include "ByteSize.h"
#include "MessageBox.h"

#include <cstdlib>

namespace {

CString FieldText(HWND hWnd)
{
    char szText[64] = "";
    ::GetWindowTextA(hWnd, szText, sizeof szText);
    // Spaces around the value are no part of it.
    char* pStart = szText;
    while (*pStart == ' ')
        ++pStart;
    char* pEnd = pStart + ::lstrlenA(pStart);
    while (pEnd > pStart && pEnd[-1] == ' ')
        *--pEnd = '\0';
    return CString(pStart);
}

} // namespace

void DDX_OptionalInt(CDataExchange* pDX, int nIDC, int& value, int minVal, int maxVal)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        CString strText;
        if (value != 0)
            strText.Format("%d", value);
        ::SetWindowTextA(hWndCtrl, strText);
        return;
    }
    const CString strText = FieldText(hWndCtrl);
    if (strText.IsEmpty()) {
        value = 0;
        return;
    }
    char* pEnd = nullptr;
    const long n = std::strtol(strText, &pEnd, 10);
    if (*pEnd != '\0' || n < minVal || n > maxVal) {
        CString strMessage;
        strMessage.Format("Enter a whole number from %d to %d, or leave the field empty.", minVal, maxVal);
        AfxMessageBox(strMessage, MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = static_cast<int>(n);
}

void DDX_ByteSize(CDataExchange* pDX, int nIDC, DWORD& value)
{
    HWND hWndCtrl = pDX->PrepareEditCtrl(nIDC);
    if (!pDX->m_bSaveAndValidate) {
        ::SetWindowTextA(hWndCtrl, FormatByteSize(value));
        return;
    }
    const CString strText = FieldText(hWndCtrl);
    DWORD dwBytes = 0;
    if (!strText.IsEmpty() && !ParseByteSize(strText, &dwBytes)) {
        AfxMessageBox("Enter a size in bytes, or with K or M after it (500K, 2M), or leave the field empty.",
                      MB_OK | MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = dwBytes;
}

void DDX_SizeChoices(CDataExchange* pDX, const int nIDs[4], int& width, int& height, int& colours, int& lossiness)
{
    DDX_OptionalInt(pDX, nIDs[0], width, 1, 65535);
    DDX_OptionalInt(pDX, nIDs[1], height, 1, 65535);
    DDX_Text(pDX, nIDs[2], colours);
    DDV_MinMaxInt(pDX, colours, 2, 256);
    DDX_Text(pDX, nIDs[3], lossiness);
    DDV_MinMaxInt(pDX, lossiness, 0, 200);
}
