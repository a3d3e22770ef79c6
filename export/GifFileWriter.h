// cGifFileWriter: one GIF file written through AVIFile, from the temporary
// file beside the target to the target replaced. It holds, in order of
// acquisition, the temporary file, the AVIFile library and its session, the
// file, the stream and the stream's writer, and releases them in reverse on
// every path, a framework exception included.
#pragma once

#include "ExportProgress.h"
#include "GifAviStream.h"
#include "OutputFile.h"

#include <windows.h>

// What an export says when it cannot write its file, when a framework
// exception ended the writing, and when the GIF handler cannot make the
// file smaller as asked or write it into memory.
extern const char kUnableToOpen[];
extern const char kFatalWriteError[];
extern const char kNoSizeChoices[];

struct ISequentialStream;

class cGifFileWriter
{
public:
    enum Result
    {
        written,        // the target now holds the new file
        failed,         // reported; the target is as it was
        empty           // no image came; not reported; the target is as it was
    };

// Construction
    cGifFileWriter(LPCSTR pszTarget, cExportProgress* pProgress);
    // Whatever was written is dropped unless Finish kept it.
    ~cGifFileWriter();
    cGifFileWriter(const cGifFileWriter&) = delete;
    cGifFileWriter& operator=(const cGifFileWriter&) = delete;

// Operations
    // Before Open: every byte goes into pMemory (held) instead of the file,
    // and Finish leaves the target alone; the temporary file stays empty
    // and is removed.
    void WriteIntoMemory(ISequentialStream* pMemory);
    // Makes the temporary file and opens it with one video stream: its clock
    // (rate over scale, in frames a second) and frame size. Failures are
    // reported, naming the target.
    BOOL Open(DWORD dwRate, DWORD dwScale, LONG nWidth, LONG nHeight);
    // The stream's writer; only between a successful Open and Finish.
    cGifStreamWriter& Stream() { return m_stream.Writer(); }
    // The images in the file (or the memory) that Finish kept.
    LONG GetImagesWritten() const { return m_nImagesWritten; }
    // Releases the stream and the file (the handler finishes the file
    // then) and AVIFile, and replaces the target when the file is whole and
    // holds an image. A cancelled export passes bKeep FALSE. Written into
    // memory: "written" when every image went in (the memory's owner judges
    // the bytes).
    Result Finish(BOOL bKeep = TRUE);

// Implementation
private:
    CString m_strTarget;
    cExportProgress* m_pProgress;
    cOutputFile m_output;
    cGifAviStream m_stream;
    ISequentialStream* m_pMemory;   // held; null when writing the file
    LONG m_nImagesWritten;
};
