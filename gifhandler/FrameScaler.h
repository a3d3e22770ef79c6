// CFrameScaler: stage 3 of an image, before the colour stage. With an output
// size, every frame is widened to 0x00RRGGBB and scaled by the factors that
// take the screen (the first format's size) to that size; with a colour
// limit below 256, frames are widened so that the colour stage reduces them
// as it reduces true-colour frames. What comes out is a 32-bit top-down frame.
#pragma once

#include <windows.h>

#include "HeapArray.h"

class CFrameScaler
{
public:
// Construction
    CFrameScaler();
    CFrameScaler(const CFrameScaler&) = delete;
    CFrameScaler& operator=(const CFrameScaler&) = delete;

// Operations
    // The screen, the size asked for (a side 0: the aspect ratio kept; both 0:
    // no scaling) and whether every frame is to be widened.
    void SetScreen(DWORD screenWidth, DWORD screenHeight, DWORD askWidth, DWORD askHeight, bool bWiden);
    // Whether frames are changed at all.
    bool IsActive() const { return m_bScaling || m_bWiden; }
    // The output screen (the screen itself when not scaling).
    DWORD Width() const { return m_nOutWidth; }
    DWORD Height() const { return m_nOutHeight; }
    // The frame (a format the colour stage accepts, and its rows) widened and
    // scaled; *ppFormat and *ppBits stay valid until the next call. S_OK,
    // E_OUTOFMEMORY, or AVIERR_BADFORMAT for a frame it cannot widen.
    HRESULT Scale(const BITMAPINFOHEADER* format, const BYTE* bits, const BITMAPINFOHEADER** ppFormat,
                  const BYTE** ppBits);

// Implementation
private:
    bool m_bScaling;
    bool m_bWiden;
    DWORD m_nScreenWidth, m_nScreenHeight;
    DWORD m_nOutWidth, m_nOutHeight;
    BITMAPINFOHEADER m_header;
    CHeapArray<DWORD> m_pSource;
    CHeapArray<DWORD> m_pScaled;
};
