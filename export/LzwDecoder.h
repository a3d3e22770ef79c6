// cLzwDecoder: the variable-length LZW decoding of one GIF image's data
// into colour indices.
#pragma once

#include <windows.h>

#include <cstddef>

class cLzwDecoder
{
public:
// Construction
    // nMinCodeSize is the byte before the image's data (1 to 8 are taken).
    explicit cLzwDecoder(int nMinCodeSize);

// Attributes
    static BOOL IsValidMinCodeSize(int nMinCodeSize) { return nMinCodeSize >= 1 && nMinCodeSize <= 8; }

// Operations
    // Decodes the data (the image's sub-blocks joined, without their length
    // bytes) into at most nPixels indices at pOut. The number of indices
    // written, which is short of nPixels when the data ends early; -1 for a
    // code that no table could hold (the data is damaged).
    long Decode(const BYTE* pData, size_t cbData, BYTE* pOut, size_t nPixels);

// Implementation
private:
    enum { kMaxCodes = 4096 };

    void ResetTable();

    int m_nMinCodeSize;
    int m_nClear;
    int m_nEnd;
    int m_nNext;            // the code the next entry gets
    int m_nCodeSize;        // bits of the next code
    WORD m_prefix[kMaxCodes];
    BYTE m_suffix[kMaxCodes];
    BYTE m_first[kMaxCodes];        // the first index of each code's string
    WORD m_length[kMaxCodes];       // the length of each code's string
};
