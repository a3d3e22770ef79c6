// CArchiveException: construction, messages and the thrower.
#include "ArchiveException.h"

IMPLEMENT_DYNAMIC(CArchiveException, CException)

CArchiveException::CArchiveException(int cause, LPCSTR lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName)
{
}

BOOL CArchiveException::GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const
{
    static const char* const s_texts[] = {
        "No error occurred.",
        "An unexpected error occurred while reading or writing the archive.",
        "Tried to write to an archive opened for loading.",
        "Tried to read past the end of the archive.",
        "Tried to read from an archive opened for storing.",
        "The archive refers to an object or class it does not contain.",
        "The archive names a class that cannot be read here.",
        "The archive holds a version of a class that cannot be read.",
    };
    if (pnHelpContext != nullptr)
        *pnHelpContext = 0;
    const int cause = (m_cause >= none && m_cause <= badSchema) ? m_cause : generic;
    return CopyMessage(s_texts[cause], lpszError, nMaxError);
}

void AfxThrowArchiveException(int cause, LPCSTR lpszArchiveName)
{
    throw new CArchiveException(cause, lpszArchiveName);
}
