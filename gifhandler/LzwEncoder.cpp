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
//    one load with no hashing, probing or key compare, so noise, where nearly
//    every pixel is a miss, costs no unpredictable branches. Rows are
//    pixel-major because codes made close together in time are looked up
//    together, and those then share cache lines; the row is padded past
//    4096 entries so that the rows do not all fall into the same cache sets.
//  * Emptying it after a Clear would be a 2 MiB fill, so each code remembers
//    where it was stored and a Clear zeroes just those entries: one store per
//    code, about one per pixel for noise and far fewer for anything else.
//  * In front of it, each code remembers the child it last led to (pixel tag
//    and code in one 32-bit word, 16 KiB, which stays in the first-level
//    cache). Flat and slowly changing areas extend the same strings again and
//    again, so most pixels are answered by that one load.
//  * Codes are packed into a 32-bit accumulator and stored four bytes at a
//    time; whole bytes advance the output pointer.
//  * Sub-blocks are assembled in place in one output buffer with room left
//    for each length byte, and the buffer goes to WriteFile only when it is
//    nearly full: one write per 28 KiB instead of one per sub-block.
//
// The workspace (2.1 MiB) is kept between images: allocating it afresh would
// cost a page fault per touched page on every image. It is left with an
// empty table after each image and handed to the next one; two images
// encoded at the same time each get their own, and the spare one is freed.
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

const DWORD kBlockBytes = 254;              // cut a sub-block once this many are pending
const DWORD kOutputSize = 28 * 1024;
const DWORD kOutputSlack = 512;             // one sub-block, its length byte, 4-byte stores

struct Workspace
{
    WORD child[256 * kChildRow];        // child[pixel * kChildRow + prefix]: the code, 0 = none
    DWORD keyOf[kMaxCodeLimit];         // where each assigned code sits in child[]
    DWORD front[kMaxCodeLimit];         // last child: code << 16 | 0x100 | pixel; 0 = none
    BYTE output[kOutputSize + kOutputSlack];
};

// Puts child[] back to all zero: only the entries of the codes assigned since
// the last Clear can be set.
inline void ForgetCodes(Workspace* work, DWORD nextCode)
{
    WORD* const child = work->child;
    const DWORD* const keyOf = work->keyOf;
    for (DWORD code = kFirstFreeCode; code < nextCode; ++code)
        child[keyOf[code]] = 0;
}

Workspace* g_cached = nullptr;           // the spare workspace, with an empty table

Workspace* TakeWorkspace()
{
    Workspace* work = static_cast<Workspace*>(
        ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_cached), nullptr));
    if (work != nullptr)
        return work;
    return static_cast<Workspace*>(
        ::VirtualAlloc(nullptr, sizeof(Workspace), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void GiveBackWorkspace(Workspace* work)
{
    if (::InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&g_cached), work,
                                            nullptr) != nullptr)
        ::VirtualFree(work, 0, MEM_RELEASE);
}

// Packs codes into sub-blocks inside the workspace's output buffer.
class SubBlockPacker
{
public:
    SubBlockPacker(HANDLE hFile, BYTE* buffer)
        : m_out(buffer), m_blockEnd(nullptr), m_acc(0), m_bits(0), m_length(nullptr),
          m_buffer(buffer), m_hFile(hFile), m_failed(false)
    {
        *m_out++ = static_cast<BYTE>(kMinCodeSize);
        StartBlock();
    }

    bool Failed() const { return m_failed; }

    void Put(DWORD code, DWORD width)
    {
        if (m_out >= m_blockEnd)
            CutBlock();
        DWORD acc = m_acc | (code << m_bits);
        DWORD bits = m_bits + width;
        ::memcpy(m_out, &acc, 4);           // bytes past the whole ones are rewritten later
        m_out += bits >> 3;
        m_acc = acc >> (bits & ~7u);
        m_bits = bits & 7;
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
            m_failed = !WriteAll(m_hFile, m_buffer, static_cast<DWORD>(m_out - m_buffer));
        m_out = m_buffer;
    }

    BYTE* m_out;        // next byte to store
    BYTE* m_blockEnd;   // a code put at or past this starts a new sub-block first
    DWORD m_acc;        // bits not yet stored as a whole byte
    DWORD m_bits;       // how many, 0..7 between codes
    BYTE* m_length;     // length byte of the sub-block being filled
    BYTE* m_buffer;
    HANDLE m_hFile;
    bool m_failed;
};

} // namespace

void LzwReleaseWorkspace()
{
    void* spare = ::InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_cached), nullptr);
    if (spare != nullptr)
        ::VirtualFree(spare, 0, MEM_RELEASE);
}

bool LzwWriteImageData(HANDLE hFile, const DibGeometry& g, const BYTE* pixels)
{
    Workspace* const work = TakeWorkspace();
    if (work == nullptr)
        return false;
    SubBlockPacker packer(hFile, work->output);

    // The top row goes first: the last row in memory for bottom-up DIBs.
    const BYTE* row = pixels;
    ptrdiff_t step = static_cast<ptrdiff_t>(g.stride);
    if (!g.topDown) {
        row += static_cast<ptrdiff_t>(g.height - 1) * g.stride;
        step = -step;
    }

    DWORD nextCode = kFirstFreeCode;
    DWORD width = 9;
    DWORD limit = 1u << width;
    ::memset(work->front, 0, sizeof work->front);
    packer.Put(kClearCode, width);

    DWORD prefix = row[0];
    const BYTE* p = row + 1;
    for (DWORD y = 0; y < g.height && !packer.Failed(); ++y, row += step, p = row) {
        const BYTE* const end = row + g.width;
        while (p != end) {
            const DWORD pixel = *p++;
            const DWORD recent = work->front[prefix];
            if ((recent & 0xFFFF) == (pixel | 0x100)) {
                prefix = recent >> 16;
                continue;
            }
            const DWORD key = pixel * kChildRow + prefix;
            const DWORD found = work->child[key];
            if (found != 0) {
                work->front[prefix] = (found << 16) | 0x100 | pixel;
                prefix = found;
                continue;
            }

            packer.Put(prefix, width);
            if (nextCode != limit || limit != kMaxCodeLimit) {
                work->child[key] = static_cast<WORD>(nextCode);
                work->keyOf[nextCode] = key;
                work->front[prefix] = (nextCode << 16) | 0x100 | pixel;
                if (nextCode++ == limit) {
                    ++width;
                    limit <<= 1;
                }
            } else {
                packer.Put(kClearCode, width);
                ForgetCodes(work, nextCode);
                ::memset(work->front, 0, sizeof work->front);
                nextCode = kFirstFreeCode;
                width = 9;
                limit = 1u << width;
            }
            prefix = pixel;
        }
    }

    bool ok = false;
    if (!packer.Failed()) {
        packer.Put(prefix, width);
        packer.Put(kEndCode, width);
        ok = packer.Finish();
    }
    ForgetCodes(work, nextCode);
    GiveBackWorkspace(work);
    return ok;
}
