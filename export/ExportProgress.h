// cExportProgress: what the export walks tell whoever runs them (the
// progress window of the program, or the console of the command-line
// twin), so that one walk serves both; and the report of the export, kept
// here as the walks go, so that both tell the user the same.
#pragma once

#include "AfxString.h"
#include "ExportReport.h"

#include <windows.h>

#include <vector>

class cExportProgress
{
public:
    virtual ~cExportProgress() = default;

    // The answers to "files already exist: replace them?".
    enum ReplaceAnswer
    {
        replaceExisting,    // the batch replaces them
        keepExisting,       // the batch leaves their sources out and says so
        stopExport          // nothing is written
    };

// Attributes
    // The file a failure is about when the walk does not name one (the
    // animation's output, which the stream writes do not know).
    void SetDefaultFile(LPCSTR pszFileName) { m_strDefaultFile = pszFileName; }
    LPCSTR FileOrDefault(LPCSTR pszFileName) const
    {
        return pszFileName != nullptr && *pszFileName != '\0' ? pszFileName : static_cast<LPCSTR>(m_strDefaultFile);
    }
    const cExportReport& GetReport() const { return m_report; }

// Operations: what the walks report
    // A failure the user must hear of, once, where it happened; pszFileName
    // is the file being written (null: the default file, or none), and
    // pszReason the system's reason, when there is one.
    void ReportFailure(LPCSTR pszMessage, LPCSTR pszFileName, LPCSTR pszReason = nullptr)
    {
        const cExportReport::Failure failure = {CString(FileOrDefault(pszFileName)), CString(pszMessage),
                                                CString(pszReason != nullptr ? pszReason : "")};
        m_report.m_failures.push_back(failure);
        ShowFailure(failure);
    }
    // A source file the export left out, wholly or in part, and why; each
    // node tells it once.
    void FileSkipped(LPCSTR pszFileName, LPCSTR pszReason)
    {
        m_report.m_skipped.push_back({CString(pszFileName), CString(pszReason)});
    }
    // A file written whole, with its images and its size.
    void FileWritten(LPCSTR pszFileName, int nFrames, ULONGLONG nBytes)
    {
        m_report.m_written.push_back(CString(pszFileName));
        m_report.m_nFramesWritten += nFrames;
        m_report.m_nBytesWritten += nBytes;
    }
    // The user stopped the export before it began writing.
    void Stop() { m_report.m_bCancelled = true; }
    // A line the user is told with the report (not a failure).
    void Note(LPCSTR pszText) { m_report.m_notes.push_back(CString(pszText)); }
    // Whether the user asked to stop; asked between frames, where stopping
    // loses nothing. Once true, it stays true for this export.
    bool IsCancelled()
    {
        if (!m_report.m_bCancelled && PollCancel())
            m_report.m_bCancelled = true;
        return m_report.m_bCancelled;
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
    // Asked once, before a batch writes anything, when files it would
    // write exist already (listed in the order met). Unless told otherwise,
    // nothing the user had is replaced.
    virtual ReplaceAnswer AskReplace(const std::vector<CString>& existing)
    {
        (void)existing;
        return keepExisting;
    }

protected:
    // Tells the user of a failure as it happens, or keeps it for the end
    // (the report holds it); its file is empty when there is none.
    virtual void ShowFailure(const cExportReport::Failure& failure) = 0;
    // Whether a request to stop has come; the window lets its messages run
    // here, so that it paints and its Cancel button works.
    virtual bool PollCancel() { return false; }

// Implementation
private:
    CString m_strDefaultFile;
    cExportReport m_report;
};
