// Dialog data exchange: moving member values to and from a dialog's controls,
// with validation that tells the user, puts the focus back and stops the
// exchange (CUserException).
#pragma once

#include "AfxString.h"
#include "Exception.h"

class CWnd;

// An operation stopped after the user was told why.
class CUserException : public CException
{
    DECLARE_DYNAMIC(CUserException)
public:
    CUserException() = default;
};

class CDataExchange
{
public:
// Construction
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

// Attributes
    BOOL m_bSaveAndValidate;    // TRUE: controls to members
    CWnd* m_pDlgWnd;

// Operations
    HWND PrepareCtrl(int nIDC);         // the control, remembered for a failure
    HWND PrepareEditCtrl(int nIDC);
    // Puts the focus back into the last control (selecting an edit's text)
    // and throws CUserException.
    [[noreturn]] void Fail();

// Implementation
private:
    HWND m_hWndLastControl;
    BOOL m_bEditLastControl;
};

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Check(CDataExchange* pDX, int nIDC, BOOL& value);
// value is the index of the checked button in the group that starts at
// nIDC, in the order of the dialog template; -1 when none is checked.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
