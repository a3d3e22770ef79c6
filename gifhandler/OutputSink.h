// COutputSink: where every byte of the handler's GIF goes, the file Load
// opened or the client's own stream, and the handler's one failure rule:
// after the first failure nothing more is written, the failure is kept for
// every later call to answer, and a file is cut back to the end of its last
// whole part (the header, an image), so that no reader takes half an image
// for one. Used on the stream's thread only.
#pragma once

#include <windows.h>
#include <objidl.h>

#include "FileWrite.h"

class COutputSink final : public ByteSink
{
public:
// Construction
    COutputSink();
    // Closes the output, as Close does.
    ~COutputSink();
    COutputSink(const COutputSink&) = delete;
    COutputSink& operator=(const COutputSink&) = delete;

    // Creates the file, replacing one of that name; false when it cannot be.
    bool Open(LPCOLESTR pszFileName);
    // Every byte from now on goes to pStream, held until Close, instead of
    // to the file, which then stays empty; null goes back to the file.
    void SetStream(ISequentialStream* pStream);
    // Ends the output: the file is closed, the stream released.
    void Close();

// Attributes
    bool IsOpen() const { return m_hFile != nullptr; }
    // S_OK, or the first failure: AVIERR_FILEWRITE, AVIERR_MEMORY.
    HRESULT Error() const { return m_hrError; }
    // Images wholly in the output.
    DWORD WholeImages() const { return m_nWholeImages; }

// Operations
    // False, with nothing more written, once anything has failed.
    bool Write(const void* data, DWORD size) override;
    // What was written since the last whole part is the file header, or an
    // image, whole.
    void EndHeader();
    void EndImage();
    // Ends writing for good with hr (unless it ended already), cutting a
    // file back to the end of its last whole part.
    void Fail(HRESULT hr);

// Implementation
private:
    HANDLE m_hFile;             // null until Open
    bool m_bDiskFile;           // a file on disk, which can be cut back
    ISequentialStream* m_pStream;
    ULONGLONG m_nBytes;         // bytes the output took
    ULONGLONG m_nWholeBytes;    // ... up to the end of the last whole part
    DWORD m_nWholeImages;
    HRESULT m_hrError;
};
