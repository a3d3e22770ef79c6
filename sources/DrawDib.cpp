// cDrawDib: the process-wide shared DrawDib instance, each buffer's own
// instance, and drawing and palette realisation through DrawDib.
#include "DrawDib.h"

#include <algorithm>

HDRAWDIB cDrawDib::s_hSharedDrawDib = nullptr;
WORD cDrawDib::s_nLiveCount = 0;

cDrawDib::cDrawDib()
    : m_hDrawDib(nullptr), m_hOwnDrawDib(nullptr), m_bBackgroundPal(TRUE), m_bUseDrawDib(TRUE),
      m_bOwnDrawDib(TRUE)
{
    if (s_hSharedDrawDib == nullptr)
        s_hSharedDrawDib = ::DrawDibOpen();
    m_hDrawDib = s_hSharedDrawDib;
    ++s_nLiveCount;
}

cDrawDib::~cDrawDib()
{
    // The base destructor frees the pixels without knowing of DrawDib.
    CloseOwnDrawDib();
    if (--s_nLiveCount == 0 && s_hSharedDrawDib != nullptr) {
        ::DrawDibClose(s_hSharedDrawDib);
        s_hSharedDrawDib = nullptr;
    }
}

BOOL cDrawDib::OpenOwnDrawDib()
{
    m_hDrawDib = s_hSharedDrawDib;
    if (!m_bOwnDrawDib)
        return TRUE;
    if (m_hOwnDrawDib != nullptr)
        return FALSE;
    HDRAWDIB hOwn = ::DrawDibOpen();
    if (hOwn != nullptr) {
        m_hOwnDrawDib = hOwn;
        m_hDrawDib = hOwn;
    }
    return TRUE;
}

void cDrawDib::CloseOwnDrawDib()
{
    m_hDrawDib = nullptr;
    if (m_hOwnDrawDib != nullptr) {
        ::DrawDibClose(m_hOwnDrawDib);
        m_hOwnDrawDib = nullptr;
    }
}

BOOL cDrawDib::AllocBits(BOOL bShare)
{
    if (!cDib::AllocBits(bShare))
        return FALSE;
    if (GetBitCount() >= 8 && !OpenOwnDrawDib()) {
        cDib::FreeBits();
        return FALSE;
    }
    return TRUE;
}

void cDrawDib::FreeBits()
{
    CloseOwnDrawDib();
    cDib::FreeBits();
}

int cDrawDib::Draw(HDC hDC, int nDestLeft, int nDestTop, int nDestRight, int nDestBottom,
                   int nSrcLeft, int nSrcTop, int nSrcRight, int nSrcBottom,
                   CPalette* pPalette, BOOL bStretch)
{
    if (m_hDrawDib == nullptr || GetBitCount() < 8 || bStretch || !CanUseDrawDib())
        return cDib::Draw(hDC, nDestLeft, nDestTop, nDestRight, nDestBottom,
                          nSrcLeft, nSrcTop, nSrcRight, nSrcBottom, pPalette, bStretch);
    void* pBits = LockBits();
    if (pBits == nullptr)
        return 0;
    const int nSrcWidth = std::min<LONG>(nSrcRight - nSrcLeft, GetWidth());
    const int nSrcHeight = std::min<LONG>(nSrcBottom - nSrcTop, GetHeight());
    // The pixels stay locked: DrawDib may keep drawing from them until the
    // buffer unlocks or frees them.
    return ::DrawDibDraw(m_hDrawDib, hDC, nDestLeft, nDestTop, nDestRight - nDestLeft, nDestBottom - nDestTop,
                         &m_pInfo->bmiHeader, pBits, nSrcLeft, nSrcTop, nSrcWidth, nSrcHeight,
                         m_bBackgroundPal ? DDF_BACKGROUNDPAL : 0);
}

int cDrawDib::Realize(HDC hDC, BOOL bBackground)
{
    if (hDC == nullptr || m_hDrawDib == nullptr)
        return 0;
    if (m_hDrawDib == s_hSharedDrawDib) {
        const int nResult = static_cast<int>(::DrawDibRealize(m_hDrawDib, hDC, bBackground));
        return (nResult == 0 && !bBackground) ? 1 : nResult;
    }
    HPALETTE hOldPalette = ::SelectPalette(hDC, static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE)), TRUE);
    ::DrawDibBegin(m_hDrawDib, hDC, -1, -1, m_pInfo != nullptr ? &m_pInfo->bmiHeader : nullptr,
                   GetWidth(), GetHeight(), 0);
    const int nResult = static_cast<int>(::DrawDibRealize(m_hDrawDib, hDC, bBackground));
    ::SelectPalette(hDC, hOldPalette, TRUE);
    ::DrawDibEnd(m_hDrawDib);
    return nResult;
}
