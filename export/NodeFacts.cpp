// The facts of a node: its first picture, its frames' place in the
// animation, and the text that tells them.
#include "NodeFacts.h"

#include "DrawDib.h"
#include "ExportScopes.h"
#include "FrameCursor.h"
#include "FrameWalk.h"
#include "TestNode.h"

#include <algorithm>
#include <vector>

namespace {

// The handler's clock: hundredths at which image n ends, rounded half up.
ULONGLONG HundredthsAt(ULONGLONG n, DWORD dwRate)
{
    return n / dwRate * 100 + (n % dwRate * 200 + dwRate) / (2 * static_cast<ULONGLONG>(dwRate));
}

// The frames before pNode's own in export order, and all of them.
void PlaceNode(cTestNode* pRoot, cTestNode* pNode, int& nBefore, int& nTotal)
{
    nBefore = nTotal = 0;
    BOOL bFound = FALSE;
    cFrameCursor walk(pRoot);
    for (cTestNode* p = walk.NextNode(); p != nullptr; p = walk.NextNode()) {
        bFound = bFound || p == pNode;
        cNodeOpen open(p);
        const int nFrames = p->GetFrameCount();
        nTotal += nFrames;
        if (!bFound)
            nBefore += nFrames;
    }
}

} // namespace

CString NodeShownName(cTestNode* pNode)
{
    const CString strName(pNode->GetName(-1));
    if (pNode->m_nType == cTestNode::typeSequence)
        return strName;
    const int nSlash = strName.ReverseFind('\\');
    return nSlash >= 0 ? strName.Mid(nSlash + 1) : strName;
}

CString FormatSeconds(DWORD dwHundredths)
{
    char sz[32];
    ::wsprintfA(sz, "%lu.%02lu s", static_cast<unsigned long>(dwHundredths / 100),
                static_cast<unsigned long>(dwHundredths % 100));
    return CString(sz);
}

namespace {

// The bits of one pixel of a row of 1, 4, 8 or 16 bits, as a number.
DWORD PixelAt(const BYTE* pRow, LONG x, WORD nBitCount)
{
    switch (nBitCount) {
    case 1:  return (pRow[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:  return (pRow[x >> 1] >> ((x & 1) != 0 ? 0 : 4)) & 15;
    case 8:  return pRow[x];
    default: return pRow[2 * x] | (pRow[2 * x + 1] << 8);
    }
}

} // namespace

DWORD AnimationTime(int nFrame, int nRate)
{
    if (nFrame <= 0 || nRate <= 0)
        return 0;
    const DWORD dwRate = static_cast<DWORD>(nRate);
    // Up to 50 a second every delay is two hundredths or more: the clock itself.
    if (dwRate <= 50)
        return static_cast<DWORD>(HundredthsAt(static_cast<ULONGLONG>(nFrame), dwRate));
    ULONGLONG dwTime = 0;
    for (ULONGLONG n = 0; n < static_cast<ULONGLONG>(nFrame); ++n) {
        const ULONGLONG dwDelay = HundredthsAt(n + 1, dwRate) - HundredthsAt(n, dwRate);
        dwTime += dwDelay < 2 ? 2 : dwDelay;
    }
    return static_cast<DWORD>(dwTime);
}

DWORD CountColours(cDib& picture)
{
    const BYTE* pBits = static_cast<const BYTE*>(picture.LockBits());
    if (pBits == nullptr)
        return 0;
    const WORD nBitCount = picture.GetBitCount();
    const LONG nWidth = picture.GetWidth(), nHeight = picture.GetHeight();
    // One bit a colour (or a palette index): 2 MB for the 16 million of true colour.
    const DWORD nSlots = nBitCount <= 8 ? 256 : nBitCount == 16 ? 32768 : 1u << 24;
    std::vector<DWORD> seen(nSlots / 32, 0);
    DWORD nSeen = 0;
    for (LONG y = 0; y < nHeight; ++y) {
        const BYTE* pRow = pBits + static_cast<size_t>(picture.GetStride()) * y;
        for (LONG x = 0; x < nWidth; ++x) {
            DWORD c;
            if (nBitCount <= 16) {
                c = PixelAt(pRow, x, nBitCount) & (nSlots - 1);
            } else {
                const BYTE* p = pRow + static_cast<size_t>(x) * (nBitCount / 8);
                c = p[0] | (p[1] << 8) | (p[2] << 16);
            }
            DWORD& word = seen[c >> 5];
            const DWORD bit = 1u << (c & 31);
            nSeen += (word & bit) == 0;
            word |= bit;
        }
    }
    picture.UnlockBits();
    if (nBitCount > 8)
        return nSeen;
    // Distinct colours, not indices: a table may hold a colour twice, and
    // an index beyond the table shows black.
    std::vector<DWORD> colours;
    const RGBQUAD* pTable = picture.GetColorTable();
    for (DWORD i = 0; i < 256; ++i) {
        if ((seen[i >> 5] & (1u << (i & 31))) == 0)
            continue;
        colours.push_back(i < picture.GetColorCount()
                              ? pTable[i].rgbRed | (pTable[i].rgbGreen << 8) | (pTable[i].rgbBlue << 16)
                              : 0);
    }
    std::sort(colours.begin(), colours.end());
    return static_cast<DWORD>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

cDrawDib* GetNodeFacts(cTestNode* pRoot, cTestNode* pNode, const cExportSettings& settings, cNodeFacts& facts)
{
    facts = cNodeFacts();
    facts.strName = pNode == pRoot ? CString("The whole project") : NodeShownName(pNode);
    facts.nType = pNode->m_nType;
    facts.nFrames = CountFrames(pNode);
    PlaceNode(pRoot, pNode, facts.nFirstFrame, facts.nProjectFrames);
    facts.dwStart = AnimationTime(facts.nFirstFrame, settings.nFrameRate);
    facts.dwEnd = AnimationTime(facts.nFirstFrame + facts.nFrames, settings.nFrameRate);

    cFrameCursor frames(pNode);
    cTestNode* pFrameNode = nullptr;
    int nFrame = 0;
    if (!frames.NextFrame(pFrameNode, nFrame))
        return nullptr;
    FramePtr pPicture(pFrameNode->GetFrame(nFrame));
    if (pPicture == nullptr || pPicture->GetInfo() == nullptr)
        return nullptr;
    facts.bPicture = TRUE;
    facts.nWidth = pPicture->GetWidth();
    facts.nHeight = pPicture->GetHeight();
    facts.nBitCount = pPicture->GetBitCount();
    facts.nColours = CountColours(*pPicture);
    return pPicture.release();
}

CString cNodeFacts::Describe() const
{
    char sz[160];
    CString strText = strName;
    strText += "\r\n";
    if (bPicture) {
        ::wsprintfA(sz, "%s%ld x %ld, %u-bit, %lu colour%s", nType == cTestNode::typeImage ? "" : "First frame ",
                    static_cast<long>(nWidth), static_cast<long>(nHeight), nBitCount,
                    static_cast<unsigned long>(nColours), nColours == 1 ? "" : "s");
        strText += sz;
    } else {
        strText += nFrames > 0 ? "The picture cannot be read" : "No picture";
    }
    strText += "\r\n";
    if (nFrames == 1) {
        ::wsprintfA(sz, "Frame %d of %d, at ", nFirstFrame + 1, nProjectFrames);
        strText += CString(sz) + FormatSeconds(dwStart);
    } else if (nFrames > 1) {
        ::wsprintfA(sz, "%d frames: %d to %d of %d, ", nFrames, nFirstFrame + 1, nFirstFrame + nFrames,
                    nProjectFrames);
        strText += CString(sz) + FormatSeconds(dwStart) + " to " + FormatSeconds(dwEnd);
    } else {
        strText += "No frames";
    }
    return strText;
}
