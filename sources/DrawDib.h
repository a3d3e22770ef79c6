// cDrawDib: the bitmap buffer that draws through the DrawDib service when it
// can, and through GDI otherwise. Every frame in the program is one of these.
#pragma once

#include "Dib.h"

#include <vfw.h>

class cDrawDib : public cDib
{
public:
// Construction
    cDrawDib();
    ~cDrawDib() override;

// Attributes
    BOOL CanUseDrawDib() const { return m_bUseDrawDib; }
    // The number of buffers alive in the process.
    static WORD GetLiveCount() { return s_nLiveCount; }

// Operations
    BOOL OpenOwnDrawDib();
    void CloseOwnDrawDib();

// Overridables
    BOOL AllocBits(BOOL bShare) override;
    void FreeBits() override;
    int Draw(HDC hDC, int nDestLeft, int nDestTop, int nDestRight, int nDestBottom,
             int nSrcLeft, int nSrcTop, int nSrcRight, int nSrcBottom,
             CPalette* pPalette, BOOL bStretch) override;
    virtual int Realize(HDC hDC, BOOL bBackground);

// Implementation
public:
    HDRAWDIB m_hDrawDib;
    HDRAWDIB m_hOwnDrawDib;
    BOOL m_bBackgroundPal;
    BOOL m_bUseDrawDib;
    BOOL m_bOwnDrawDib;

private:
    static HDRAWDIB s_hSharedDrawDib;
    static WORD s_nLiveCount;
};
