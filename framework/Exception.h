// CException: the base of the framework's exceptions, which are thrown as
// pointers and released by the catcher with Delete().
#pragma once

#include "Object.h"

class CException : public CObject
{
    DECLARE_DYNAMIC(CException)
public:
// Construction
    explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}

// Operations
    // Releases a caught exception; shared, preallocated ones stay alive.
    void Delete();

// Overridables
    // Copies a short description into lpszError; FALSE when there is none.
    virtual BOOL GetErrorMessage(LPSTR lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;

// Implementation
protected:
    static BOOL CopyMessage(LPCSTR lpszText, LPSTR lpszError, UINT nMaxError);

    BOOL m_bAutoDelete;
};
