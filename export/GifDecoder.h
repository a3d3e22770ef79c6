// cGifDecoder: an animated GIF read back as a viewer shows it. The bytes may
// arrive a piece at a time, as an encoder writes them; each image, once its
// last byte is in, is drawn on the logical screen with its colour table and
// transparent colour, after the previous image's disposal. The screen after
// each image is one frame, shown for the image's delay.
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

class cGifDecoder
{
public:
    enum Result
    {
        needMore,       // the next block is not whole yet: call again with more bytes
        frameReady,     // an image was drawn: GetScreen is the new frame
        finished,       // the trailer
        damaged         // the bytes are not a GIF this decoder can show (GetError)
    };

    // The largest screen it draws on: 16 million pixels (64 MB of screen).
    static constexpr DWORD kMaxScreenPixels = 1u << 24;

// Construction
    cGifDecoder();
    // Forgets everything read: the next bytes are a new file's first.
    void Reset();

// Operations
    // Reads whole blocks from the front of the data until an image is drawn,
    // the file ends, or the next block is not all there. cbUsed receives the
    // bytes taken: the caller drops them and passes the rest, with whatever
    // has arrived since, next time. After damaged or finished nothing more
    // is read until Reset.
    Result Decode(const BYTE* pData, size_t cbData, size_t& cbUsed);

// Attributes
    LONG GetWidth() const { return m_nWidth; }
    LONG GetHeight() const { return m_nHeight; }
    // The screen after the last frame: 0xAARRGGBB, top row first, alpha 255
    // where an image put a colour and 0 where nothing has (or disposal
    // cleared it).
    const DWORD* GetScreen() const { return m_screen.data(); }
    // The last frame's delay, in hundredths of a second (0 when it has none).
    WORD GetDelay() const { return m_nDelay; }
    // The frames drawn so far.
    int GetFrameCount() const { return m_nFrames; }
    // The loop extension's count (0: for ever); -1 while none was read.
    int GetLoopCount() const { return m_nLoopCount; }
    // Why the bytes were refused, after damaged.
    LPCSTR GetError() const { return m_pszError; }

// Implementation
private:
    // The graphic control extension that goes with the next image.
    struct Control
    {
        int nDisposal = 0;
        BOOL bTransparent = FALSE;
        BYTE nTransparent = 0;
        WORD nDelay = 0;
    };
    struct Rect
    {
        LONG x = 0, y = 0, cx = 0, cy = 0;
    };

    Result ReadHeader(const BYTE* p, size_t n, size_t& cbUsed);
    Result ReadExtension(const BYTE* p, size_t n, size_t& cbUsed);
    Result ReadImage(const BYTE* p, size_t n, size_t& cbUsed);
    Result Refuse(LPCSTR pszError);
    // The image's indices drawn over the screen through 256 colours, of
    // which 0 (the transparent index's) draws nothing.
    void DrawIndices(const Rect& rect, BOOL bInterlaced, const DWORD* pColours);
    // What the previous image's disposal does before the next image.
    void Dispose();

    BOOL m_bHeader;
    BOOL m_bDone;
    LONG m_nWidth;
    LONG m_nHeight;
    DWORD m_globalTable[256];
    int m_nGlobalColours;       // 0: no global table
    Control m_control;          // for the next image
    int m_nLastDisposal;        // the last image's, done before the next one
    Rect m_lastRect;
    WORD m_nDelay;
    int m_nFrames;
    int m_nLoopCount;
    LPCSTR m_pszError;
    std::vector<DWORD> m_screen;
    std::vector<DWORD> m_saved;     // the screen before an image to be undone
    std::vector<BYTE> m_data;       // one image's LZW data, sub-blocks joined
    std::vector<BYTE> m_indices;    // one image's colour indices
};
