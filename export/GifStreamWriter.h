// cGifStreamWriter: the frames of one GIF file as AVIFile's stream takes
// them: the loop count, dithering and transparency, the first format, then
// each image with its own format. It writes to a stream it does not own, so
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
    // (another handler) takes formats and rows only, and an older GIF
    // handler without the second options interface is given transparent
    // indices image by image, as it always was.
    explicit cGifStreamWriter(PAVISTREAM pStream);
    ~cGifStreamWriter();
    cGifStreamWriter(const cGifStreamWriter&) = delete;
    cGifStreamWriter& operator=(const cGifStreamWriter&) = delete;

// Attributes
    BOOL HasGifOptions() const { return m_pOptions != nullptr; }
    // The images written so far: the next one's sample position.
    LONG GetImageCount() const { return m_nImages; }
    // Whether the handler writes such a frame: an older one, 8-bit ones only.
    BOOL CanWrite(const cDib& frame) const;

// Operations
    // Only a loop count set before the first format reaches the file.
    void SetLoopCount(WORD wCount);
    // Dithering of frames the handler reduces to 256 colours (on by default).
    void SetDithering(BOOL bDither);
    // Frame differencing (off by default); before the first image.
    void SetFrameDifferencing(BOOL bDifferencing);
    // Encoding on the handler's worker threads (off by default); before the
    // first image. A handler without it writes each image at once.
    void SetParallelEncoding(BOOL bParallel);
    // 0 none; 1 the first image's top-left colour, transparent wherever it
    // is in later images; 2 each image's own top-left pixel.
    void SetTransparency(int nMode);
    // The size choices (a side of 0 not asked for; 256 colours, lossiness 0
    // are the defaults), before the first format. S_OK when the handler
    // takes them all; a handler without them (E_NOINTERFACE) or one that
    // refuses one answers its error, and then the file cannot be what was
    // asked for. Defaults are never sent, so that older handlers serve them.
    HRESULT SetSizeChoices(int nWidth, int nHeight, int nColours, int nLossiness);
    // Every byte of the GIF into pStream instead of the file the stream
    // belongs to; before the first format. E_NOINTERFACE from a handler
    // that cannot (an older one), else what the handler answered.
    HRESULT SetOutputStream(ISequentialStream* pStream);
    // The file's first format: the GIF's screen and global colour table.
    HRESULT SetFormat(const cDib& format);
    // One image: with the GIF handler, its own format first (each image
    // keeps its size and its colours); then its rows, as one key-frame sample.
    // S_FALSE, with nothing sent, for a frame that is not 8-bit when the
    // handler is an older one that would take it and write nothing.
    HRESULT WriteFrame(cDib& frame);
    // Waits until every image sent is in the file: S_OK or the first
    // error. The image count becomes the images wholly in the file.
    HRESULT FinishImages();

// Implementation
private:
    PAVISTREAM m_pStream;
    IGifStreamOptions* m_pOptions;
    IGifStreamOptions2* m_pOptions2;    // null for an older handler
    IGifStreamOptions3* m_pOptions3;    // null for a handler that writes each image at once
    IGifStreamOptions4* m_pOptions4;    // null for a handler without output streams and size choices
    int m_nTransparency;
    LONG m_nImages;
};
