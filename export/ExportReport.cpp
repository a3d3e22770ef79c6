// cExportReport: the report's lines.
#include "ExportReport.h"

#include <cstdio>

namespace {

// "1 frame", "7 frames".
CString Count(int n, LPCSTR pszOne, LPCSTR pszMany)
{
    char sz[64];
    std::snprintf(sz, sizeof sz, "%d %s", n, n == 1 ? pszOne : pszMany);
    return CString(sz);
}

// "917 bytes", "12.4 KB", "3.1 MB".
CString Size(ULONGLONG nBytes)
{
    char sz[64];
    if (nBytes < 1024)
        std::snprintf(sz, sizeof sz, "%u bytes", static_cast<unsigned>(nBytes));
    else if (nBytes < 1024 * 1024)
        std::snprintf(sz, sizeof sz, "%.1f KB", static_cast<double>(nBytes) / 1024);
    else
        std::snprintf(sz, sizeof sz, "%.1f MB", static_cast<double>(nBytes) / (1024 * 1024));
    return CString(sz);
}

} // namespace

std::vector<CString> cExportReport::SkippedLines() const
{
    std::vector<CString> lines;
    for (const SkippedFile& s : m_skipped)
        lines.push_back(s.strFile + ": " + s.strReason);
    return lines;
}

CString cExportReport::FailureLine(const Failure& failure)
{
    CString strLine = failure.strFile.IsEmpty() ? failure.strMessage : failure.strFile + ": " + failure.strMessage;
    if (!failure.strReason.IsEmpty())
        strLine += " (" + failure.strReason + ")";
    return strLine;
}

std::vector<CString> cExportReport::FailureLines() const
{
    std::vector<CString> lines;
    for (const Failure& f : m_failures)
        lines.push_back(FailureLine(f));
    return lines;
}

CString cExportReport::WrittenSummary() const
{
    if (m_written.empty())
        return CString();
    const CString strFrames = Count(m_nFramesWritten, "frame", "frames");
    if (m_written.size() == 1)
        return m_written[0] + ": written, " + strFrames + ", " + Size(m_nBytesWritten);
    return Count(static_cast<int>(m_written.size()), "file", "files") + " written, " + strFrames + ", "
           + Size(m_nBytesWritten) + " in all";
}
