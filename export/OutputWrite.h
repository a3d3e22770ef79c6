// One output file of an export, from the temporary file to the replaced
// target, with the AVIFile session, file and stream the writer fills in:
//   WriteOutputFile  runs a writer on a temporary file and keeps the result
//                    only when it is whole and holds an image
#pragma once

#include "AVIHandles.h"
#include "ExportProgress.h"

#include <windows.h>

#include <functional>

enum OutputResult
{
    outputWritten,      // the target now holds the new file
    outputFailed,       // reported; the target is as it was
    outputEmpty         // no image came; nothing reported; the target is as it was
};

// Writes pszTempName through fresh file and stream handles and counts the
// images it sent in *pnImages; reports its own failures, naming the target.
typedef std::function<BOOL(LPCSTR pszTempName, cAVIFileHandle& file, cAVIStreamHandle& stream, int* pnImages)>
    OutputWriter;

// Runs write on a temporary file beside pszTarget inside its own AVIFile
// session, and after the handles are released (the handler has finished the
// file then) moves it over the target. A framework exception inside write is
// caught and reported here.
OutputResult WriteOutputFile(LPCSTR pszTarget, const OutputWriter& write, cExportProgress* pProgress);

// What an export says when it cannot write its file, and when a framework
// exception ended the writing.
extern const char kUnableToOpen[];
extern const char kFatalWriteError[];
