// CProgressDlg: the small modeless window with a bar and a status line that
// both export commands show while they write; it is also how the export
// walks reach the user in the program.
#pragma once

#include "Dialog.h"
#include "ExportProgress.h"
#include "ProgressCtrl.h"

class CProgressDlg : public CDialog, public cExportProgress
{
public:
// Construction
    explicit CProgressDlg(CWnd* pParent = nullptr);

// Operations
    // Only stores the text while the window does not exist.
    void SetStatus(LPCSTR pszText) override;
    // The bar's maximum is the low 16 bits of nMax: the control packs both
    // bounds into one parameter.
    void SetRange(int nMax) override;
    void StepIt() override;

// Overridables
    BOOL OnInitDialog() override;
    void BeginWait() override { BeginWaitCursor(); }
    void EndWait() override { EndWaitCursor(); }
    void Show() override;
    void Hide() override;
    // A message box with the fixed text; the file is in the text already
    // where the user needs it, as the message boxes always were.
    void ReportFailure(LPCSTR pszMessage, LPCSTR pszFileName) override;

// Implementation
protected:
    void DoDataExchange(CDataExchange* pDX) override;

public:
    CProgressCtrl m_progress;
    CString m_strStatus;
};
