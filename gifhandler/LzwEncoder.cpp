// GIF LZW compression with a minimum code size of 2 to 8 (8 for the exported
// writers and every image whose indices may reach 255).
//
// Design. The output bytes are fixed by the GIF format and by the rules this
// encoder has always followed: Clear first; codes from one bit wider than the
// minimum code size up to 12 bits wide; the
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
#include "LzwWorkspace.h"

#include <string.h>

namespace {

using namespace lzw;


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

bool LzwEncodeImageData(ByteSink& sink, const DibGeometry& g, const BYTE* pixels, DWORD minCodeSize,
                        bool bDeferClear)
{
    if (minCodeSize < 2 || minCodeSize > 8)
        return false;
    const CodeSet codes(minCodeSize);
    Workspace* const work = TakeWorkspace();
    if (work == nullptr)
        return false;
    SubBlockPacker packer(sink, work->output, minCodeSize);
    ResetTable(work);
    packer.Put(codes.clear, minCodeSize + 1);

    // The top row goes first: the last row in memory for bottom-up DIBs.
    const BYTE* row = pixels;
    ptrdiff_t step = static_cast<ptrdiff_t>(g.stride);
    if (!g.topDown) {
        row += static_cast<ptrdiff_t>(g.height - 1) * g.stride;
        step = -step;
    }

    DWORD nextCode = codes.firstFree;
    DWORD prefix = row[0];
    const BYTE* p = row + 1;
    ClearTimer timer;
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
            } else if (!bDeferClear) {
                EndPeriod(packer, work, codes, prefix);
                nextCode = codes.firstFree;
            } else {
                // Full: the table is kept until it packs worse than it did.
                const ULONGLONG pos = static_cast<ULONGLONG>(y) * g.width + static_cast<DWORD>(p - row) - 1;
                if (PutWithFullTable(packer, work, codes, timer, prefix, pos))
                    nextCode = codes.firstFree;
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
        if (!timer.Frozen())
            PutPeriod(packer, work, codes, nextCode);
        packer.Put(prefix, WidthBefore(nextCode, minCodeSize));
        packer.Put(codes.end, WidthBefore(nextCode, minCodeSize));
        ok = packer.Finish();
    }
    GiveBackWorkspace(work);
    return ok;
}
