// CProgressDlg: the small modeless window with a bar, a status line and a
// Cancel button that both export commands show while they write; it is also
// how the export walks reach the user in the program. While it is up the
// main window takes no input, and the messages of the thread run between
// frames, so that every window paints and Cancel is heard.
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
    // Cancel and Esc ask the export to stop; the window stays until it has.
    void OnCancel() override;
    // "N files already exist ... Replace them?", Yes, No or Cancel.
    ReplaceAnswer AskReplace(const std::vector<CString>& existing) override;
    // The end of an export: what could not be written and what was left
    // out, in one message (none when everything was written), and what was
    // written in the main window's status bar.
    static void ShowReport(const cExportReport& report);
    // The message ShowReport shows; empty when there is nothing to tell.
    static CString ReportText(const cExportReport& report);
    // The question AskReplace asks.
    static CString ReplaceQuestion(const std::vector<CString>& existing);
    // What the user should know of the files written (how an animation was
    // fitted under its size), in one message; nothing when there is none.
    static void ShowNotes(const cExportReport& report);

// Implementation
protected:
    void DoDataExchange(CDataExchange* pDX) override;
    // Nothing while the export runs: a box per file would bury Cancel under
    // them. The report keeps the failure for ShowReport.
    void ShowFailure(const cExportReport::Failure& failure) override;
    bool PollCancel() override;

    // The status text as the line can show it: a long path shortened.
    CString FitStatus(LPCSTR pszText);

public:
    CProgressCtrl m_progress;
    CString m_strStatus;
    BOOL m_bCancelRequested;
    HWND m_hWndDisabled;        // the main window, while the export holds its input
};
