// cGifStreamWriter: the frames of one GIF file as AVIFile's stream takes
// them: the loop count, the first format, then each image with its own
// format and transparent colour. It writes to a stream it does not own, so
// that the same code serves a real file and a test's recording stream.
#pragma once

#include "IGifStreamOptions.h"

#include <windows.h>
#include <vfw.h>

class cDib;

class cGifStreamWriter
{
public:
// Construction
    // Asks the stream for the GIF handler's options; a stream without them
    // (another handler) takes formats and rows only.
    explicit cGifStreamWriter(PAVISTREAM pStream);
    ~cGifStreamWriter();
    cGifStreamWriter(const cGifStreamWriter&) = delete;
    cGifStreamWriter& operator=(const cGifStreamWriter&) = delete;

// Attributes
    BOOL HasGifOptions() const { return m_pOptions != nullptr; }
    // The images written so far: the next one's sample position.
    LONG GetImageCount() const { return m_nImages; }

// Operations
    // Only a loop count set before the first format reaches the file.
    void SetLoopCount(WORD wCount);
    // The file's first format: the GIF's screen and global colour table.
    HRESULT SetFormat(const cDib& format);
    // One image: with the GIF handler, its own format first (each image
    // keeps its size) and, when bTransparent, its top-left colour made
    // transparent; then its rows, as one key-frame sample.
    HRESULT WriteFrame(cDib& frame, BOOL bTransparent);

// Implementation
private:
    PAVISTREAM m_pStream;
    IGifStreamOptions* m_pOptions;
    LONG m_nImages;
};
