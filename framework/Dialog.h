// CDialog: a dialog box from a template, modal (DoModal) or modeless
// (Create), with data exchange on initialisation and on OK.
#pragma once

#include "Wnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)
public:
// Construction
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // A modeless dialog, visible when its template says so.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

// Attributes
    UINT m_nIDHelp;                 // the template's id

// Operations
    // Runs the dialog; IDOK, IDCANCEL, or -1 when it could not be made.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

// Overridables
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

// Implementation
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    HWND ParentHandle() const;

    CWnd* m_pParentWnd;
    BOOL m_bModal;

    DECLARE_MESSAGE_MAP()
};
