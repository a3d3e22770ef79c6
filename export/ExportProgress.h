// cExportProgress: what the export walks tell whoever runs them (the
// progress window of the program, or the console of the command-line
// twin), so that one walk serves both.
#pragma once

#include <windows.h>

class cExportProgress
{
public:
    virtual ~cExportProgress() = default;

// Overridables
    // The wait cursor, in the program; nothing elsewhere.
    virtual void BeginWait() {}
    virtual void EndWait() {}
    // Puts the progress display up for the writing, and takes it down.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual void SetStatus(LPCSTR pszText) = 0;
    // The bar runs from 0 to nMax frame indices.
    virtual void SetRange(int nMax) = 0;
    virtual void StepIt() = 0;
    // A failure the user must hear of, once, where it happened; pszFileName
    // is the file being written (null when none is).
    virtual void ReportFailure(LPCSTR pszMessage, LPCSTR pszFileName) = 0;
};
