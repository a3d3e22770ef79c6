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
//  * One open-addressed table of 8192 32-bit entries (32 KiB, which stays in
//    the first-level cache). An entry packs the 20-bit key (prefix code << 8 |
//    pixel) above the 12-bit code; 0 is an empty slot, since no code below
//    258 is ever stored. At most 3838 strings live in it between two Clears,
//    so it is never more than half full and linear probing stays short.
//  * In front of it, each code remembers the child it last led to (pixel and
//    code in one 32-bit word). Flat and slowly changing areas extend the same
//    strings again and again, so most pixels are answered by that one load,
//    without hashing or probing.
//  * Emptying both after a Clear is one 48 KiB fill.
//  * Codes are packed into a 32-bit accumulator and stored four bytes at a
//    time; whole bytes advance the output pointer.
//  * Sub-blocks are assembled in place in one output buffer with room left
//    for each length byte, and the buffer goes to WriteFile only when it is
//    nearly full: one write per 28 KiB instead of one per sub-block.
//
// The table and the output buffer are one block from the global heap,
// allocated once per image; nothing is allocated per pixel.
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

const DWORD kTableBits = 13;
const DWORD kTableSize = 1u << kTableBits;
const DWORD kTableMask = kTableSize - 1;

const DWORD kBlockBytes = 254;              // cut a sub-block once this many are pending
// Small enough that the whole workspace stays below the size at which the
// heap hands out fresh pages from the system: page faults on a new block cost
// more per image than a few more WriteFile calls.
const DWORD kOutputSize = 28 * 1024;
const DWORD kOutputSlack = 512;             // one sub-block, its length byte, 4-byte stores

struct Workspace
{
    DWORD lastChild[kMaxCodeLimit];     // (0x100 | pixel) << 12 | child code; 0 = none
    DWORD table[kTableSize];
    BYTE output[kOutputSize + kOutputSlack];
};

inline DWORD Slot(DWORD key)
{
    return (key * 0x9E3779B1u) >> (32 - kTableBits);
}

// Packs codes into sub-blocks inside the workspace's output buffer.
class SubBlockPacker
{
public:
    SubBlockPacker(HANDLE hFile, BYTE* buffer)
        : m_hFile(hFile), m_buffer(buffer), m_out(buffer), m_length(nullptr),
          m_acc(0), m_bits(0), m_failed(false)
    {
        *m_out++ = static_cast<BYTE>(kMinCodeSize);
        StartBlock();
    }

    bool Failed() const { return m_failed; }

    void Put(DWORD code, DWORD width)
    {
        if (static_cast<DWORD>(m_out - m_length - 1) >= kBlockBytes)
            CutBlock();
        m_acc |= code << m_bits;
        m_bits += width;
        ::memcpy(m_out, &m_acc, 4);         // bytes past the whole ones are rewritten later
        m_out += m_bits >> 3;
        m_acc >>= m_bits & ~7u;
        m_bits &= 7;
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
    void StartBlock() { m_length = m_out++; }

    void CutBlock()
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

    HANDLE m_hFile;
    BYTE* m_buffer;
    BYTE* m_out;        // next byte to store
    BYTE* m_length;     // length byte of the sub-block being filled
    DWORD m_acc;        // bits not yet stored as a whole byte
    DWORD m_bits;       // how many, 0..7 between codes
    bool m_failed;
};

} // namespace

bool LzwWriteImageData(HANDLE hFile, const DibGeometry& g, const BYTE* pixels)
{
    HGLOBAL hWork = ::GlobalAlloc(GMEM_FIXED, sizeof(Workspace));
    if (hWork == nullptr)
        return false;
    Workspace* work = static_cast<Workspace*>(hWork);
    DWORD* const table = work->table;
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
    DWORD* const lastChild = work->lastChild;
    ::memset(table, 0, sizeof work->table);
    ::memset(lastChild, 0, sizeof work->lastChild);
    packer.Put(kClearCode, width);

    DWORD prefix = row[0];
    DWORD column = 1;                       // the first pixel only starts the string
    for (DWORD y = 0; y < g.height && !packer.Failed(); ++y, row += step, column = 0) {
        for (DWORD x = column; x < g.width; ++x) {
            const DWORD pixel = row[x];
            const DWORD recent = lastChild[prefix];
            if ((recent >> 12) == (pixel | 0x100)) {
                prefix = recent & 0xFFF;
                continue;
            }
            const DWORD key = (prefix << 8) | pixel;
            DWORD slot = Slot(key);
            DWORD entry;
            while ((entry = table[slot]) != 0) {
                if ((entry >> 12) == key)
                    break;
                slot = (slot + 1) & kTableMask;
            }
            if (entry != 0) {
                lastChild[prefix] = ((pixel | 0x100) << 12) | (entry & 0xFFF);
                prefix = entry & 0xFFF;     // the string goes on
                continue;
            }

            packer.Put(prefix, width);
            const DWORD code = nextCode++;
            if (code < kMaxCodeLimit) {
                table[slot] = (key << 12) | code;
                lastChild[prefix] = ((pixel | 0x100) << 12) | code;
            }
            if (code == limit) {
                if (limit < kMaxCodeLimit) {
                    ++width;
                    limit <<= 1;
                } else {
                    packer.Put(kClearCode, width);
                    ::memset(table, 0, sizeof work->table);
                    ::memset(lastChild, 0, sizeof work->lastChild);
                    nextCode = kFirstFreeCode;
                    width = 9;
                    limit = 1u << width;
                }
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
    ::GlobalFree(hWork);
    return ok;
}
