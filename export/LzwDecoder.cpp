// cLzwDecoder: GIF's LZW, read back.
//
// Codes come least significant bit first, starting one bit wider than the
// minimum code size; the clear code (1 << min) empties the table, the one
// after it ends the data. Each new code is the previous code's string plus
// the first index of the string that follows; when the table reaches 4096
// entries it stops growing until the next clear (a "deferred clear", which
// encoders are free to use). The code width grows when the next entry
// would not fit in it.
//
// Each entry keeps its prefix code, its last index, its first index and its
// length, so that a string is written straight into place from its end,
// walking the prefixes, with no stack. A code above the next free entry
// cannot be decoded by any table: the data is damaged, and decoding stops
// there rather than guess.
#include "LzwDecoder.h"

// A size out of range is kept as 0, which Decode refuses.
cLzwDecoder::cLzwDecoder(int nMinCodeSize)
    : m_nMinCodeSize(IsValidMinCodeSize(nMinCodeSize) ? nMinCodeSize : 0), m_nClear(1 << m_nMinCodeSize),
      m_nEnd(m_nClear + 1), m_nNext(0), m_nCodeSize(0)
{
    for (int i = 0; i < m_nClear; ++i) {
        m_prefix[i] = 0;
        m_suffix[i] = static_cast<BYTE>(i);
        m_first[i] = static_cast<BYTE>(i);
        m_length[i] = 1;
    }
    ResetTable();
}

void cLzwDecoder::ResetTable()
{
    m_nNext = m_nEnd + 1;
    m_nCodeSize = m_nMinCodeSize + 1;
}

long cLzwDecoder::Decode(const BYTE* pData, size_t cbData, BYTE* pOut, size_t nPixels)
{
    if (!IsValidMinCodeSize(m_nMinCodeSize))
        return -1;
    size_t nDone = 0;
    size_t nByte = 0;
    DWORD dwBits = 0;           // bits read ahead, lowest first
    int nBits = 0;
    int nPrevious = -1;         // no string yet since the last clear
    for (;;) {
        while (nBits < m_nCodeSize) {
            if (nByte >= cbData)
                return static_cast<long>(nDone);        // the data ended without its end code
            dwBits |= static_cast<DWORD>(pData[nByte++]) << nBits;
            nBits += 8;
        }
        const int nCode = static_cast<int>(dwBits & ((1u << m_nCodeSize) - 1));
        dwBits >>= m_nCodeSize;
        nBits -= m_nCodeSize;

        if (nCode == m_nClear) {
            ResetTable();
            nPrevious = -1;
            continue;
        }
        if (nCode == m_nEnd)
            return static_cast<long>(nDone);
        // Only the entry being defined may be named before it exists, and
        // only when there is a previous string to define it from.
        if (nCode > m_nNext || (nCode == m_nNext && nPrevious < 0))
            return -1;

        // A new entry: the previous string plus the first index of this one,
        // which for the code being defined right now is the previous string's own.
        if (nPrevious >= 0 && m_nNext < kMaxCodes) {
            const BYTE first = nCode < m_nNext ? m_first[nCode] : m_first[nPrevious];
            m_prefix[m_nNext] = static_cast<WORD>(nPrevious);
            m_suffix[m_nNext] = first;
            m_first[m_nNext] = m_first[nPrevious];
            m_length[m_nNext] = static_cast<WORD>(m_length[nPrevious] + 1);
            ++m_nNext;
            if (m_nNext == (1 << m_nCodeSize) && m_nCodeSize < 12)
                ++m_nCodeSize;
        }

        // The string, written from its end; a string running past the last
        // pixel is cut there.
        const size_t nLength = m_length[nCode];
        const size_t nRoom = nPixels - nDone;
        int nWalk = nCode;
        for (size_t i = nLength; i > 0; --i) {
            if (i <= nRoom)
                pOut[nDone + i - 1] = m_suffix[nWalk];
            nWalk = m_prefix[nWalk];
        }
        nDone += nLength < nRoom ? nLength : nRoom;
        nPrevious = nCode;
        if (nDone == nPixels)
            return static_cast<long>(nDone);
    }
}
