// cBitFields: reading the masks of bit-field bitmaps and widening their rows.
#include "BitFields.h"

#include <cstring>

namespace {

const char kNotSixteenOrThirtyTwo[] = "has bit fields at a depth other than 16 or 32 bits";
const char kEmptyMask[] = "has an empty bit-field mask";
const char kMaskBeyondPixel[] = "has a bit-field mask beyond its bits per pixel";
const char kMaskNotOneRun[] = "has a bit-field mask that is not one run of bits";
const char kMaskTooWide[] = "has a bit-field mask of more than 8 bits";
const char kMasksOverlap[] = "has bit-field masks that overlap";

// A value of nWidth bits widened to 8 by repeating its bits below it.
BYTE WidenLevel(DWORD dwValue, int nWidth)
{
    DWORD dwOut = 0;
    for (int nShift = 8 - nWidth; nShift > -nWidth; nShift -= nWidth)
        dwOut |= nShift >= 0 ? dwValue << nShift : dwValue >> -nShift;
    return static_cast<BYTE>(dwOut);
}

} // namespace

cBitFields::cBitFields()
    : m_nBitCount(0)
{
    std::memset(m_masks, 0, sizeof m_masks);
    std::memset(m_channels, 0, sizeof m_channels);
}

LPCSTR cBitFields::Read(const DWORD* pMasks, WORD nBitCount)
{
    if (nBitCount != 16 && nBitCount != 32)
        return kNotSixteenOrThirtyTwo;
    m_nBitCount = nBitCount;
    for (int i = 0; i < 3; ++i)
        if (LPCSTR pszWhy = ReadChannel(pMasks[i], m_channels[i]))
            return pszWhy;
    if ((pMasks[0] & pMasks[1]) != 0 || (pMasks[0] & pMasks[2]) != 0 || (pMasks[1] & pMasks[2]) != 0)
        return kMasksOverlap;
    std::memcpy(m_masks, pMasks, sizeof m_masks);
    return nullptr;
}

LPCSTR cBitFields::ReadChannel(DWORD dwMask, Channel& channel) const
{
    if (dwMask == 0)
        return kEmptyMask;
    if (m_nBitCount < 32 && (dwMask >> m_nBitCount) != 0)
        return kMaskBeyondPixel;
    DWORD dwShift = 0;
    while ((dwMask & 1) == 0) {
        dwMask >>= 1;
        ++dwShift;
    }
    if ((dwMask & (dwMask + 1)) != 0)
        return kMaskNotOneRun;
    if (dwMask > 0xFF)
        return kMaskTooWide;
    int nWidth = 0;
    while ((dwMask >> nWidth) != 0)
        ++nWidth;
    channel.dwShift = dwShift;
    channel.dwMask = dwMask;
    for (DWORD v = 0; v <= dwMask; ++v)
        channel.levels[v] = WidenLevel(v, nWidth);
    return nullptr;
}

BOOL cBitFields::IsPlain() const
{
    static const DWORD masks16[3] = {0x7C00, 0x03E0, 0x001F};
    static const DWORD masks32[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    return std::memcmp(m_masks, m_nBitCount == 16 ? masks16 : masks32, sizeof m_masks) == 0;
}

inline BYTE cBitFields::Level(DWORD dwPixel, int nChannel) const
{
    const Channel& c = m_channels[nChannel];
    return c.levels[(dwPixel >> c.dwShift) & c.dwMask];
}

void cBitFields::WidenRow(const BYTE* pSource, LONG nWidth, BYTE* pOut) const
{
    const int nBytes = m_nBitCount / 8;
    for (LONG x = 0; x < nWidth; ++x, pSource += nBytes, pOut += 3) {
        DWORD dwPixel = 0;
        for (int i = nBytes - 1; i >= 0; --i)
            dwPixel = dwPixel << 8 | pSource[i];
        pOut[0] = Level(dwPixel, 2);
        pOut[1] = Level(dwPixel, 1);
        pOut[2] = Level(dwPixel, 0);
    }
}
