// cConsoleProgress: the export's progress on the error stream: a bar
// redrawn in place on a console, one line per file otherwise (a log or a
// pipe), and every failure as "<file>: <message>". Ctrl+C (or Ctrl+Break)
// while it exists stops the export after the frame being written.
#pragma once

#include "ExportProgress.h"

#include "AfxString.h"

class cConsoleProgress : public cExportProgress
{
public:
// Construction
    cConsoleProgress();
    ~cConsoleProgress() override;

// Attributes
    // Whether a batch replaces GIFs that exist already (--force).
    void SetReplaceExisting(BOOL bReplace) { m_bReplaceExisting = bReplace; }

// Overridables
    void Show() override;
    void Hide() override;
    void SetStatus(LPCSTR pszText) override;
    void SetRange(int nMax) override;
    void StepIt() override;
    // No one to ask: the answer --force gave, and a line that says so.
    ReplaceAnswer AskReplace(const std::vector<CString>& existing) override;

protected:
    void ShowFailure(const cExportReport::Failure& failure) override;
    bool PollCancel() override;

// Implementation
private:
    void RedrawBar();       // when the last drawing is old enough, or the bar is full
    void DrawBar();
    void EndBar();

    BOOL m_bReplaceExisting;
    BOOL m_bConsole;        // stderr is a console: redraw in place
    BOOL m_bBarShown;       // a bar line is on screen, without its newline
    BOOL m_bBarStale;       // what is on screen is behind the counts
    DWORD m_dwLastDraw;     // GetTickCount of the last drawing
    CString m_strStatus;
    int m_nMax;
    int m_nPos;
};
