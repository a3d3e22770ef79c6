// cBitFields: the colour masks of a BI_BITFIELDS bitmap, checked, and its
// rows widened to the 24-bit BI_RGB rows the program keeps.
#pragma once

#include <windows.h>

class cBitFields
{
public:
// Construction
    cBitFields();

// Operations
    // Takes the red, green and blue masks of pixels of nBitCount bits. Null
    // when they can be read: 16 or 32 bits, each mask one run of 1 to 8
    // bits within the pixel, apart from the others (an alpha channel is not
    // read); otherwise why not, as a report names the file's problem.
    LPCSTR Read(const DWORD* pMasks, WORD nBitCount);
    // Whether the masks say what BI_RGB says at their depth (5-5-5 at 16
    // bits, 8-8-8 at 32), so that the rows can be kept as they are.
    BOOL IsPlain() const;
    // One row of nWidth pixels as 24-bit BI_RGB (blue, green, red). A
    // channel of fewer than 8 bits has its bits repeated below itself, so
    // that its lowest and highest values give 0 and 255.
    void WidenRow(const BYTE* pSource, LONG nWidth, BYTE* pOut) const;

// Implementation
private:
    struct Channel
    {
        DWORD dwShift;
        DWORD dwMask;           // after the shift
        BYTE levels[256];
    };

    LPCSTR ReadChannel(DWORD dwMask, Channel& channel) const;
    BYTE Level(DWORD dwPixel, int nChannel) const;

    WORD m_nBitCount;
    DWORD m_masks[3];
    Channel m_channels[3];      // red, green, blue
};
