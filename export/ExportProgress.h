// cExportProgress: what the export walks tell whoever runs them (the
// progress window of the program, or the console of the command-line
// twin), so that one walk serves both.
#pragma once

#include "AfxString.h"

#include <windows.h>

class cExportProgress
{
public:
    virtual ~cExportProgress() = default;

// Attributes
    // The file a failure is about when the walk does not name one (the
    // animation's output, which the stream writes do not know).
    void SetDefaultFile(LPCSTR pszFileName) { m_strDefaultFile = pszFileName; }
    LPCSTR FileOrDefault(LPCSTR pszFileName) const
    {
        return pszFileName != nullptr && *pszFileName != '\0' ? pszFileName : static_cast<LPCSTR>(m_strDefaultFile);
    }

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
    // A source file the export left out, wholly or in part, and why; each
    // node tells it once. The console says so at once; the window gathers
    // them into one message after the export (ReportSkippedFiles).
    virtual void FileSkipped(LPCSTR pszFileName, LPCSTR pszReason) = 0;
    // The files left out, told together where the display gathers them.
    virtual void ReportSkippedFiles() {}

// Implementation
private:
    CString m_strDefaultFile;
};
