// GIF LZW compression with a minimum code size of 8.
//
// Design. The output bytes are fixed by the GIF format and by the rules this
// encoder has always followed: Clear first; codes 9 to 12 bits wide; the
// width grows right after the code equal to 2^width has been assigned; the
// first miss after code 4096 would be assigned writes its prefix and then a
// Clear, both at 12 bits; a sub-block is cut before adding a code once 254
// whole bytes are pending. Nothing in the bytes depends on how the string
// table is searched, only on which strings are in it, so the table is built
// for speed:
//
//  * The string table is a direct-indexed array of 16-bit codes, one row of
//    4096 prefixes per pixel value: child[pixel * row + prefix]. A lookup is
//    one load with no hashing or probing, so noise, where nearly every pixel
//    is a miss, meets no unpredictable branches. Rows are pixel-major because
//    codes made close together in time are looked up together and then share
//    cache lines; each row is padded by one cache line so that the rows do
//    not all start in the same cache sets.
//  * Nothing is ever zeroed in it. Each code records, in made[code], the
//    pixel and prefix it was made for, stamped with the number of the table
//    period (the stretch between two Clears). An entry counts only if the
//    code it holds has the record of the string being looked up, stamped
//    with the current period; a Clear just starts a new period. Only after
//    4095 periods are the records (16 KiB) cleared.
//  * In front of it, each code remembers the child it last led to (pixel tag
//    and code in one 32-bit word, 16 KiB, which stays in the first-level
//    cache). Slowly changing areas extend the same strings again and again,
//    so most of their pixels are answered by that one load.
//  * Runs of one pixel value, the bulk of flat and banded pictures, are
//    jumped over: for each value the table lists the codes of that value
//    repeated 1 to 255 times. After a miss the encoder measures the run
//    ahead, four pixels at a time, and moves to the longest listed string
//    that fits, instead of walking it one pixel and one load at a time.
//  * Codes are not written while the pixels are read. The records in made[]
//    are exactly the codes written until the next Clear (each new code
//    writes its prefix), at widths that follow from the code numbers. When
//    the table fills or the image ends, the period is written in one tight
//    loop that keeps the bit accumulator in registers; the pixel loop, with
//    no packing in it, leaves i686's few registers to its own state.
//  * Codes are packed into a 32-bit accumulator and stored four bytes at a
//    time; whole bytes advance the output pointer. Sub-blocks are assembled
//    in place in one output buffer with room left for each length byte, and
//    the buffer goes to WriteFile only when it is nearly full: one write per
//    124 KiB instead of one per sub-block (a noise frame of 640x480 takes
//    four).
//
// The workspace (2.3 MiB) is kept between images: allocating it afresh would
// cost a page fault per touched page on every image. Its stale entries are
// harmless to the next image, which starts a new period. Images encoded at
// the same time (by the stream's workers) each get a workspace, and up to
// six spare ones are kept.
#include "LzwEncoder.h"
#include "DibGeometry.h"
#include "FileWrite.h"

#include <string.h>

namespace {

const DWORD kMinCodeSize = 8;
const DWORD kClearCode = 256;
const DWORD kEndCode = 257;
const DWORD kFirstFreeCode = 258;
const DWORD kMaxCodeLimit = 4096;           // codes stay below this

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

// The code width while `nextCode` is the next code to assign: it grows right
// after 512, 1024 and 2048 are assigned.
inline DWORD WidthBefore(DWORD nextCode)
{
    return nextCode <= 512 ? 9 : nextCode <= 1024 ? 10 : nextCode <= 2048 ? 11 : 12;
}

// Spare workspaces kept between images: one for each thread that may be
// encoding at once (the stream's own and its parallel workers), so that
// none of them maps and faults in 2 MiB afresh for every image.
const int kSpareWorkspaces = 6;
Workspace* g_spare[kSpareWorkspaces];

Workspace* TakeWorkspace()
{
    for (int i = 0; i < kSpareWorkspaces; ++i) {
        void* work = ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_spare[i]), nullptr);
        if (work != nullptr)
            return static_cast<Workspace*>(work);
    }
    return static_cast<Workspace*>(
        ::VirtualAlloc(nullptr, sizeof(Workspace), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void GiveBackWorkspace(Workspace* work)
{
    for (int i = 0; i < kSpareWorkspaces; ++i)
        if (::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_spare[i]), work, nullptr)
            == nullptr)
            return;
    ::VirtualFree(work, 0, MEM_RELEASE);
}

// Packs codes into sub-blocks inside the workspace's output buffer.
class SubBlockPacker
{
public:
    SubBlockPacker(ByteSink& sink, BYTE* buffer)
        : m_out(buffer), m_blockEnd(nullptr), m_acc(0), m_bits(0), m_length(nullptr),
          m_buffer(buffer), m_sink(sink), m_failed(false)
    {
        *m_out++ = static_cast<BYTE>(kMinCodeSize);
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
void PutPeriod(SubBlockPacker& packer, const Workspace* work, DWORD nextCode)
{
    DWORD code = kFirstFreeCode;
    for (DWORD width = 9, limit = 512; code < nextCode; ++width, limit <<= 1) {
        const DWORD stop = nextCode <= limit ? nextCode : limit + 1;
        packer.PutPrefixes(work->made + code, stop - code, width);
        code = stop;
    }
}

// Empties the string table by starting a new period: an entry of child[]
// is valid only while the code it holds was made in the current period for
// the same pixel and prefix, so old entries need no zeroing. After 4095
// periods the count starts again, and then every record is cleared.
void ResetTable(Workspace* work)
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
__attribute__((noinline)) void EndPeriod(SubBlockPacker& packer, Workspace* work, DWORD prefix)
{
    PutPeriod(packer, work, kMaxCodeLimit);
    packer.Put(prefix, 12);
    packer.Put(kClearCode, 12);
    ResetTable(work);
}

// `code`, just made, extends the longest run string of `pixel` by one.
__attribute__((noinline)) void GrowRun(Workspace* work, DWORD pixel, DWORD code)
{
    const DWORD run = work->runMax[pixel];
    if (run < kRunCap) {
        work->runCode[pixel][run + 1] = static_cast<WORD>(code);
        work->runMax[pixel] = run + 1;
        work->runTop[pixel] = code;
    }
}

// The current string is `pixel` repeated `length` times, a run string shorter
// than the longest one known, and the pixel at `p` repeats it once more:
// moves `prefix` and `length` to the longest known run string that the
// pixels ahead match, and returns the first pixel after it.
inline const BYTE* JumpAlongRun(const Workspace* work, DWORD pixel, const BYTE* p,
                                const BYTE* end, DWORD& prefix, DWORD& length)
{
    const DWORD further = work->runMax[pixel] - length;
    const DWORD left = static_cast<DWORD>(end - p);
    const BYTE* const stop = p + (further < left ? further : left);
    const BYTE* q = p + 1;
    // Four pixels at a time while there are four to look at; x86 keeps the
    // first of them in the lowest byte.
    const DWORD pattern = pixel * 0x01010101u;
    for (;;) {
        if (stop - q < 4) {
            while (q != stop && *q == pixel)
                ++q;
            break;
        }
        DWORD four;
        ::memcpy(&four, q, 4);
        four ^= pattern;
        if (four != 0) {
            q += __builtin_ctz(four) >> 3;
            break;
        }
        q += 4;
    }
    length += static_cast<DWORD>(q - p);
    prefix = work->runCode[pixel][length];
    return q;
}

// Where a walk along the front entries stopped: the first pixel not taken
// and the string so far.
struct Walked
{
    const BYTE* p;
    DWORD prefix;
};

// Follows the front entries from `prefix` while the pixels at `p` match
// them. A function of its own so that this loop, where slowly changing
// pictures spend their pixels that runs do not cover, gets registers of its
// own instead of sharing i686's few with the miss handling around it.
__attribute__((noinline)) Walked Follow(const DWORD* front, const BYTE* p, const BYTE* end,
                                        DWORD prefix)
{
    while (p != end) {
        const DWORD recent = front[prefix];
        if ((recent & 0xFFFF) != (*p | 0x100u))
            break;
        prefix = recent >> 16;
        ++p;
    }
    return Walked{ p, prefix };
}

} // namespace

void LzwReleaseWorkspace()
{
    for (int i = 0; i < kSpareWorkspaces; ++i) {
        void* spare = ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_spare[i]), nullptr);
        if (spare != nullptr)
            ::VirtualFree(spare, 0, MEM_RELEASE);
    }
}

bool LzwEncodeImageData(ByteSink& sink, const DibGeometry& g, const BYTE* pixels)
{
    Workspace* const work = TakeWorkspace();
    if (work == nullptr)
        return false;
    SubBlockPacker packer(sink, work->output);
    ResetTable(work);
    packer.Put(kClearCode, 9);

    // The top row goes first: the last row in memory for bottom-up DIBs.
    const BYTE* row = pixels;
    ptrdiff_t step = static_cast<ptrdiff_t>(g.stride);
    if (!g.topDown) {
        row += static_cast<ptrdiff_t>(g.height - 1) * g.stride;
        step = -step;
    }

    DWORD nextCode = kFirstFreeCode;
    DWORD prefix = row[0];
    const BYTE* p = row + 1;
    // A run jump that reached the end of a row goes on in the next one.
    DWORD carriedPixel = 0x100;             // none
    DWORD carriedLength = 0;
    for (DWORD y = 0; y < g.height && !packer.Failed(); ++y, row += step, p = row) {
        const BYTE* const end = row + g.width;
        if (p != end && *p == carriedPixel && carriedLength < work->runMax[carriedPixel]) {
            p = JumpAlongRun(work, carriedPixel, p, end, prefix, carriedLength);
            if (p != end)
                carriedPixel = 0x100;
        } else {
            carriedPixel = 0x100;
        }
        while (p != end) {
            const DWORD pixel = *p++;
            const DWORD recent = work->front[prefix];
            if ((recent & 0xFFFF) == (pixel | 0x100)) {
                const Walked walked = Follow(work->front, p, end, recent >> 16);
                p = walked.p;
                prefix = walked.prefix;
                continue;
            }
            const DWORD index = pixel * kChildRow + prefix;
            const DWORD record = work->period | (pixel << 12) | prefix;
            const DWORD found = work->child[index];
            if (work->made[found] == record) {
                work->front[prefix] = (found << 16) | 0x100 | pixel;
                prefix = found;
                continue;
            }

            // A miss: the string gets a code; its prefix is written when the
            // period ends.
            if (nextCode != kMaxCodeLimit) {
                work->child[index] = static_cast<WORD>(nextCode);
                work->made[nextCode] = record;
                work->front[prefix] = (nextCode << 16) | 0x100 | pixel;
                if (prefix == work->runTop[pixel])
                    GrowRun(work, pixel, nextCode);
                ++nextCode;
            } else {
                EndPeriod(packer, work, prefix);
                nextCode = kFirstFreeCode;
            }
            prefix = pixel;

            // A run of this pixel: jump along the run strings already known.
            if (p != end && *p == pixel && work->runMax[pixel] > 1) {
                DWORD length = 1;
                p = JumpAlongRun(work, pixel, p, end, prefix, length);
                if (p == end) {
                    carriedPixel = pixel;
                    carriedLength = length;
                }
            }
        }
    }

    bool ok = false;
    if (!packer.Failed()) {
        PutPeriod(packer, work, nextCode);
        packer.Put(prefix, WidthBefore(nextCode));
        packer.Put(kEndCode, WidthBefore(nextCode));
        ok = packer.Finish();
    }
    GiveBackWorkspace(work);
    return ok;
}
