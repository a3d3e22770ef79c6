// cGifAviStream: one GIF written through AVIFile: the library and its
// session, the file, its one video stream and the stream's writer, held in
// order of acquisition and released in reverse on every path. The handler
// finishes what it writes when the stream and then the file are released.
#pragma once

#include "AVIFileLibrary.h"
#include "GifStreamWriter.h"

#include <windows.h>
#include <vfw.h>

#include <memory>

class cGifAviStream
{
public:
    enum OpenResult
    {
        opened,
        libraryFailed,      // no AVIFile library
        fileFailed,         // the file could not be opened (GetOpenError)
        streamFailed        // the file opened but took no video stream
    };

// Construction
    cGifAviStream();
    ~cGifAviStream();
    cGifAviStream(const cGifAviStream&) = delete;
    cGifAviStream& operator=(const cGifAviStream&) = delete;

// Operations
    // Creates the file (AVIFile picks the handler by the name's extension,
    // or pHandler names the handler's class) with one video stream of this
    // clock (rate over scale, in frames a second) and frame size.
    OpenResult Open(LPCSTR pszFile, CLSID* pHandler, DWORD dwRate, DWORD dwScale, LONG nWidth, LONG nHeight);
    // The stream's writer; only after Open answered opened and before Release.
    cGifStreamWriter& Writer() { return *m_pWriter; }
    BOOL IsOpen() const { return m_pWriter != nullptr; }
    // What AVIFile answered the open of the file, after fileFailed.
    HRESULT GetOpenError() const { return m_hrOpen; }
    // Releases the writer, the stream, the file and the session, in that order.
    void Release();

// Implementation
private:
    cAVIFileLibrary m_lib;
    BOOL m_bSession;
    PAVIFILE m_pFile;
    PAVISTREAM m_pStream;
    std::unique_ptr<cGifStreamWriter> m_pWriter;
    HRESULT m_hrOpen;
};
