// CProgressDlg: the small modeless window with a bar and a status line that
// both export commands show while they write; it is also how the export
// walks reach the user in the program.
#pragma once

#include "Dialog.h"
#include "ExportProgress.h"
#include "ProgressCtrl.h"

#include <vector>

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
    // A message box with the fixed text, and the file on a line of its own.
    void ReportFailure(LPCSTR pszMessage, LPCSTR pszFileName) override;
    // Gathered, and told in one message by ReportSkippedFiles.
    void FileSkipped(LPCSTR pszFileName, LPCSTR pszReason) override;
    void ReportSkippedFiles() override;

// Implementation
protected:
    void DoDataExchange(CDataExchange* pDX) override;

    // The status text as the line can show it: a long path shortened.
    CString FitStatus(LPCSTR pszText);

public:
    CProgressCtrl m_progress;
    CString m_strStatus;
    std::vector<CString> m_skipped;     // "file: reason", in the order met
};
