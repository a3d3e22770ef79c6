// The LZW encoders' shared parts: the code numbers of a minimum code size,
// the workspace that holds a string table (see LzwEncoder.cpp for its
// design), the packer of codes into sub-blocks, and the table periods.
// Internal to the encoders.
#pragma once

#include <windows.h>

#include <string.h>

#include "FileWrite.h"

namespace lzw {

const DWORD kMaxCodeLimit = 4096;           // codes stay below this

// The codes of a minimum code size: Clear, End, and the first one strings get.
struct CodeSet
{
    explicit CodeSet(DWORD minCodeSize)
        : minimum(minCodeSize), clear(1u << minCodeSize), end(clear + 1), firstFree(clear + 2)
    {
    }
    DWORD minimum, clear, end, firstFree;
};

// Entries per pixel value in the string table: all 4096 prefixes, then one
// cache line of padding, so that row starts step through the cache sets.
const DWORD kChildRow = kMaxCodeLimit + 32;

// Longest run string (one pixel value repeated) that runs jump to directly;
// longer ones go on one pixel at a time through the table.
const DWORD kRunCap = 255;

const DWORD kBlockBytes = 254;              // cut a sub-block once this many are pending
const DWORD kOutputSize = 124 * 1024;
const DWORD kOutputSlack = 512;             // one sub-block, its length byte, 4-byte stores

struct Workspace
{
    WORD child[256 * kChildRow];        // child[pixel * kChildRow + prefix]: the code, 0 = none
    DWORD made[kMaxCodeLimit];          // made[code] = period | pixel << 12 | prefix
    DWORD period;                       // the current table period, in bits 20 to 31; never 0
    DWORD front[kMaxCodeLimit];         // last child: code << 16 | 0x100 | pixel; 0 = none
    WORD runCode[256][kRunCap + 1];     // runCode[c][n]: the code of c repeated n times
    DWORD runMax[256];                  // the longest n that runCode[c] holds, 1..kRunCap
    DWORD runTop[256];                  // runCode[c][runMax[c]]
    BYTE output[kOutputSize + kOutputSlack];
};

// The code width while `nextCode` is the next code to assign: one bit more
// than the minimum code size at first, growing right after each power of
// two (512, 1024 and 2048 for size 8) is assigned.
inline DWORD WidthBefore(DWORD nextCode, DWORD minCodeSize)
{
    DWORD width = minCodeSize + 1;
    while (width < 12 && nextCode > (1u << width))
        ++width;
    return width;
}

// Packs codes into sub-blocks inside the workspace's output buffer.
class SubBlockPacker
{
public:
    SubBlockPacker(ByteSink& sink, BYTE* buffer, DWORD minCodeSize)
        : m_out(buffer), m_blockEnd(nullptr), m_acc(0), m_bits(0), m_length(nullptr),
          m_buffer(buffer), m_sink(sink), m_failed(false)
    {
        *m_out++ = static_cast<BYTE>(minCodeSize);
        StartBlock();
    }

    bool Failed() const { return m_failed; }

    void Put(DWORD code, DWORD width) { PutPrefixes(&code, 1, width); }

    // Puts the low 12 bits of each of `count` words, all of one width. The
    // state stays in registers for the whole loop.
    void PutPrefixes(const DWORD* made, DWORD count, DWORD width)
    {
        BYTE* out = m_out;
        DWORD acc = m_acc;
        DWORD bits = m_bits;
        for (const DWORD* const stop = made + count; made != stop; ++made) {
            if (out >= m_blockEnd) {
                m_out = out;
                CutBlock();
                out = m_out;
            }
            acc |= (*made & 0xFFF) << bits;
            bits += width;
            ::memcpy(out, &acc, 4);         // bytes past the whole ones are rewritten later
            out += bits >> 3;
            acc >>= bits & ~7u;
            bits &= 7;
        }
        m_out = out;
        m_acc = acc;
        m_bits = bits;
    }

    // Ends the data: the last bits, a last sub-block of at most 255 bytes
    // (256 pending bytes go out as 255 and 1), the terminator, one final write.
    bool Finish()
    {
        if (m_bits > 0)
            *m_out++ = static_cast<BYTE>(m_acc);
        DWORD pending = static_cast<DWORD>(m_out - m_length - 1);
        if (pending == 256) {
            *m_length = 255;
            const BYTE last = m_out[-1];
            m_out[-1] = 1;
            *m_out++ = last;
        } else if (pending > 0) {
            *m_length = static_cast<BYTE>(pending);
        } else {
            m_out = m_length;
        }
        *m_out++ = 0x00;
        Flush();
        return !m_failed;
    }

private:
    void StartBlock()
    {
        m_length = m_out++;
        m_blockEnd = m_out + kBlockBytes;
    }

    __attribute__((noinline)) void CutBlock()
    {
        *m_length = static_cast<BYTE>(m_out - m_length - 1);
        if (m_out - m_buffer > static_cast<ptrdiff_t>(kOutputSize))
            Flush();
        StartBlock();
    }

    void Flush()
    {
        if (!m_failed && m_out > m_buffer)
            m_failed = !m_sink.Write(m_buffer, static_cast<DWORD>(m_out - m_buffer));
        m_out = m_buffer;
    }

    BYTE* m_out;        // next byte to store
    BYTE* m_blockEnd;   // a code put at or past this starts a new sub-block first
    DWORD m_acc;        // bits not yet stored as a whole byte
    DWORD m_bits;       // how many, 0..7 between codes
    BYTE* m_length;     // length byte of the sub-block being filled
    BYTE* m_buffer;
    ByteSink& m_sink;
    bool m_failed;
};

// Writes the codes of the period since the last Clear, in the order they
// were made: each new code wrote its prefix at the width of that moment.
inline void PutPeriod(SubBlockPacker& packer, const Workspace* work, const CodeSet& codes, DWORD nextCode)
{
    DWORD code = codes.firstFree;
    DWORD width = codes.minimum + 1;
    for (DWORD limit = 1u << width; code < nextCode; ++width, limit <<= 1) {
        const DWORD stop = nextCode <= limit ? nextCode : limit + 1;
        packer.PutPrefixes(work->made + code, stop - code, width);
        code = stop;
    }
}

// Empties the string table by starting a new period: an entry of child[]
// is valid only while the code it holds was made in the current period for
// the same pixel and prefix, so old entries need no zeroing. After 4095
// periods the count starts again, and then every record is cleared.
inline void ResetTable(Workspace* work)
{
    work->period += 1u << 20;
    if (work->period == 0) {
        ::memset(work->made, 0, sizeof work->made);
        work->period = 1u << 20;
    }
    ::memset(work->front, 0, sizeof work->front);
    for (DWORD c = 0; c < 256; ++c) {
        work->runCode[c][1] = static_cast<WORD>(c);
        work->runMax[c] = 1;
        work->runTop[c] = c;
    }
}

// The table is full: writes its period, the string that did not fit and a
// Clear, all at 12 bits, and empties the table.
__attribute__((noinline)) inline void EndPeriod(SubBlockPacker& packer, Workspace* work, const CodeSet& codes,
                                         DWORD prefix)
{
    PutPeriod(packer, work, codes, kMaxCodeLimit);
    packer.Put(prefix, 12);
    packer.Put(codes.clear, 12);
    ResetTable(work);
}
// The deferred Clear: when the table fills, the encoders may go on with it
// as it is, writing 12-bit codes and making no new strings, for as long as
// that packs the pixels at least as tightly as the period that built the
// table did (from its Clear to its last code); once a stretch of codes does
// worse, the table is cleared. Pictures that keep their patterns keep a
// table full of long strings instead of starting again from single pixels.
// Decoders stop adding strings at 4096, as the format says.
class ClearTimer
{
public:
    ClearTimer() : m_start(0), m_frozen(false), m_periodPixels(0), m_periodBits(0), m_windowStart(0), m_windowCodes(0)
    {
    }
    bool Frozen() const { return m_frozen; }
    // A period starts with the pixel at pos.
    void Started(ULONGLONG pos)
    {
        m_start = pos;
        m_frozen = false;
    }
    // The table filled at pos.
    void Froze(ULONGLONG pos, const CodeSet& codes)
    {
        m_frozen = true;
        m_periodPixels = pos > m_start ? pos - m_start : 1;
        m_periodBits = 0;
        for (DWORD c = codes.firstFree; c < kMaxCodeLimit; ++c)
            m_periodBits += WidthBefore(c, codes.minimum);
        m_windowStart = pos;
        m_windowCodes = 0;
    }

    // A 12-bit code was written with the frozen table, its string ending
    // before pos; true when the table is to be cleared now.
    bool Written(ULONGLONG pos)
    {
        if (++m_windowCodes < kWindow)
            return false;
        const ULONGLONG pixels = pos - m_windowStart;
        m_windowStart = pos;
        m_windowCodes = 0;
        return 12ull * kWindow * m_periodPixels > m_periodBits * pixels;
    }

private:
    static const DWORD kWindow = 192;   // codes a comparison takes (chosen by the sizes of full-motion, sprite and screen clips)
    ULONGLONG m_start;
    bool m_frozen;
    ULONGLONG m_periodPixels;
    ULONGLONG m_periodBits;
    ULONGLONG m_windowStart;
    DWORD m_windowCodes;
};

// With the deferred Clear, a string's code when the table is full: the
// period's codes go first when the table has just filled; after the code,
// the table is cleared when it no longer packs well. True when it was (the
// next code to make is then codes.firstFree again).
inline bool PutWithFullTable(SubBlockPacker& packer, Workspace* work, const CodeSet& codes, ClearTimer& timer,
                             DWORD prefix, ULONGLONG pos)
{
    if (!timer.Frozen()) {
        PutPeriod(packer, work, codes, kMaxCodeLimit);
        timer.Froze(pos, codes);
    }
    packer.Put(prefix, 12);
    if (!timer.Written(pos))
        return false;
    packer.Put(codes.clear, 12);
    ResetTable(work);
    timer.Started(pos);
    return true;
}

// A workspace from the spares, or a new one; null when memory ran out.
Workspace* TakeWorkspace();
// Keeps the workspace as a spare, or frees it when enough are kept.
void GiveBackWorkspace(Workspace* work);

} // namespace lzw
