// One output file: temporary file, AVIFile session, writer, replacement.
#include "OutputWrite.h"

#include "Exception.h"
#include "OutputFile.h"

const char kUnableToOpen[] = "Unable to Open File";
const char kFatalWriteError[] = "Fatal error occurred writing GIF file.";

namespace {

// The writer inside its session; the handles are declared in acquisition
// order, so that they are released in reverse on every way out.
BOOL RunWriter(const cOutputFile& output, const OutputWriter& write, int* pnImages)
{
    cAVIFileSession session;
    cAVIFileHandle file;
    cAVIStreamHandle stream;
    return write(output.GetTempName(), file, stream, pnImages);
}

} // namespace

OutputResult WriteOutputFile(LPCSTR pszTarget, const OutputWriter& write, cExportProgress* pProgress)
{
    cOutputFile output(pszTarget);
    if (!output.Create()) {
        pProgress->ReportFailure(kUnableToOpen, pszTarget);
        return outputFailed;
    }
    int nImages = 0;
    BOOL bWritten;
    try {
        bWritten = RunWriter(output, write, &nImages);
    } catch (CException* e) {
        // Everything the writer acquired has been released on the way here.
        e->Delete();
        pProgress->ReportFailure(kFatalWriteError, pszTarget);
        return outputFailed;
    }
    if (!bWritten)
        return outputFailed;
    if (nImages == 0)
        return outputEmpty;
    // A handler that could not write its last bytes does not say so to
    // AVIFile's release; the file's end does.
    if (!output.IsFinished()) {
        pProgress->ReportFailure("Unable to Write to Stream", pszTarget);
        return outputFailed;
    }
    if (!output.Commit()) {
        pProgress->ReportFailure(kUnableToOpen, pszTarget);
        return outputFailed;
    }
    return outputWritten;
}
