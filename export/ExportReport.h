// cExportReport: what one export did, for whoever tells the user: the files
// written and how much, the sources left out and why, the files that could
// not be written and why, and whether the user stopped it.
#pragma once

#include "AfxString.h"

#include <windows.h>

#include <vector>

class cExportReport
{
public:
// Attributes
    struct SkippedFile
    {
        CString strFile;
        CString strReason;
    };
    // What the export says of a file it could not write, and the system's
    // reason when it has one.
    struct Failure
    {
        CString strFile;
        CString strMessage;
        CString strReason;
    };

    std::vector<CString> m_written;
    std::vector<SkippedFile> m_skipped;
    std::vector<Failure> m_failures;
    int m_nFramesWritten = 0;           // the images in the files written
    ULONGLONG m_nBytesWritten = 0;      // the files' size
    std::vector<CString> m_notes;       // what the user should know of a file written (how it was fitted)
    bool m_bCancelled = false;

    // Everything the export set out to write was written.
    bool IsComplete() const { return m_failures.empty() && m_skipped.empty() && !m_bCancelled; }
    // "file: reason", one line per file left out, in the order met.
    std::vector<CString> SkippedLines() const;
    // "file: message (reason)", one line per failure, in the order met.
    std::vector<CString> FailureLines() const;
    static CString FailureLine(const Failure& failure);
    // What was written, in one line: "C:\x\a.gif: written, 7 frames,
    // 1.2 KB" for one file, "3 files written, 9 frames, 4.5 KB in all" for
    // more; empty when nothing was.
    CString WrittenSummary() const;
};
