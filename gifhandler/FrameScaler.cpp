// CFrameScaler: widen, then scale by the screen's factors.
#include "FrameScaler.h"

#include <vfw.h>

#include "DibPixels.h"
#include "ImageScaler.h"

CFrameScaler::CFrameScaler()
    : m_bScaling(false), m_bWiden(false), m_nScreenWidth(0), m_nScreenHeight(0), m_nOutWidth(0), m_nOutHeight(0)
{
    ::ZeroMemory(&m_header, sizeof m_header);
}

void CFrameScaler::SetScreen(DWORD screenWidth, DWORD screenHeight, DWORD askWidth, DWORD askHeight, bool bWiden)
{
    m_nScreenWidth = m_nOutWidth = screenWidth;
    m_nScreenHeight = m_nOutHeight = screenHeight;
    m_bWiden = bWiden;
    m_bScaling = OutputScreen(screenWidth, screenHeight, askWidth, askHeight, &m_nOutWidth, &m_nOutHeight)
                 && (m_nOutWidth != screenWidth || m_nOutHeight != screenHeight);
}

HRESULT CFrameScaler::Scale(const BITMAPINFOHEADER* format, const BYTE* bits, const BITMAPINFOHEADER** ppFormat,
                            const BYTE** ppBits)
{
    DWORD width = 0, height = 0;
    if (!DibPixelSize(format, &width, &height))
        return AVIERR_BADFORMAT;
    DWORD outWidth = width, outHeight = height;
    if (m_bScaling)
        ScaledSize(width, height, m_nScreenWidth, m_nScreenHeight, m_nOutWidth, m_nOutHeight, &outWidth, &outHeight);
    if (!m_pSource.Reserve(static_cast<ULONGLONG>(width) * height)
        || !m_pScaled.Reserve(static_cast<ULONGLONG>(outWidth) * outHeight))
        return E_OUTOFMEMORY;
    if (!DibToPixels(format, bits, m_pSource))
        return AVIERR_BADFORMAT;
    const DWORD* pixels = m_pSource;
    if (outWidth != width || outHeight != height) {
        if (!ScalePixels(m_pSource, width, height, m_pScaled, outWidth, outHeight))
            return E_OUTOFMEMORY;
        pixels = m_pScaled;
    }
    // A 32-bit top-down frame: each DWORD's bytes are blue, green, red, 0.
    ::ZeroMemory(&m_header, sizeof m_header);
    m_header.biSize = sizeof m_header;
    m_header.biWidth = static_cast<LONG>(outWidth);
    m_header.biHeight = -static_cast<LONG>(outHeight);
    m_header.biPlanes = 1;
    m_header.biBitCount = 32;
    m_header.biCompression = BI_RGB;
    *ppFormat = &m_header;
    *ppBits = reinterpret_cast<const BYTE*>(pixels);
    return S_OK;
}
