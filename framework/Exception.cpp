// CException: deletion of caught exceptions and the message helper.
#include "Exception.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)

void CException::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

BOOL CException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const
{
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    if (lpszError != nullptr && nMaxError > 0)
        *lpszError = '\0';
    return FALSE;
}

BOOL CException::CopyMessage(LPCSTR lpszText, LPSTR lpszError, UINT nMaxError)
{
    if (lpszError == nullptr || nMaxError == 0)
        return FALSE;
    const size_t nLength = std::strlen(lpszText);
    const size_t nCopy = nLength < nMaxError - 1 ? nLength : nMaxError - 1;
    std::memcpy(lpszError, lpszText, nCopy);
    lpszError[nCopy] = '\0';
    return TRUE;
}
