// CArchiveException: an archive that cannot be read or written, with the
// cause codes that loading a project reports.
#pragma once

#include "AfxString.h"
#include "Exception.h"

class CArchiveException : public CException
{
    DECLARE_DYNAMIC(CArchiveException)
public:
    enum
    {
        none = 0,
        generic = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7
    };

// Construction
    explicit CArchiveException(int cause = none, LPCSTR lpszArchiveName = nullptr);

// Overridables
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;

// Attributes
    int m_cause;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowArchiveException(int cause, LPCSTR lpszArchiveName = nullptr);
