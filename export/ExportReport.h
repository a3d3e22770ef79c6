// cExportReport: what one export did, for whoever tells the user: the files
// written, the sources left out and why, how many failures were told as
// they happened, and whether the user stopped it.
#pragma once

#include "AfxString.h"

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

    std::vector<CString> m_written;
    std::vector<SkippedFile> m_skipped;
    std::vector<CString> m_notes;       // what the user should know of a file written (how it was fitted)
    int m_nFailures = 0;
    bool m_bCancelled = false;

    // Everything the export set out to write was written.
    bool IsComplete() const { return m_nFailures == 0 && m_skipped.empty() && !m_bCancelled; }
    // "file: reason", one line per file left out, in the order met.
    std::vector<CString> SkippedLines() const
    {
        std::vector<CString> lines;
        for (const SkippedFile& s : m_skipped)
            lines.push_back(s.strFile + ": " + s.strReason);
        return lines;
    }
};
