// CMemoryException: out of memory. One preallocated instance is thrown, since
// making a new one could fail for the very reason being reported.
#pragma once

#include "Exception.h"

class CMemoryException : public CException
{
    DECLARE_DYNAMIC(CMemoryException)
public:
// Construction
    explicit CMemoryException(BOOL bAutoDelete = TRUE) : CException(bAutoDelete) {}

// Overridables
    BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
};

// Throws the shared memory exception.
[[noreturn]] void AfxThrowMemoryException();
