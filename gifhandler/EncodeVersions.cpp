// The versions of an image's data, and the shortest kept.
//
// Why these versions. Making still pixels transparent makes long runs where
// the picture stays, but where still pixels sit scattered among changed ones
// it breaks the picture's own patterns; the choice encoder lets each still
// pixel take whichever continues the string, so it is rarely longer than
// either. Rarely is not never: where enough pixels stay for it to matter the
// exact version is encoded too and the shorter kept, the workers paying for
// it; where almost none stay the exact version alone is made. With lossy
// compression the lossy version, which has every freedom of the others, is
// the one made. Every version is decided by the image alone, so the bytes do
// not depend on which worker encodes it or when.
#include "EncodeVersions.h"

#include <algorithm>

#include "DibGeometry.h"
#include "HeapArray.h"
#include "LzwChoiceEncoder.h"
#include "LzwEncoder.h"
#include "TableTrim.h"

namespace {

// Fewer still pixels than this part of the image are not worth a second
// encoding: they cannot make the runs much longer.
const DWORD kStillShare = 64;

// Bytes of a local table of count entries as the writer writes it (0: none).
DWORD TableBytes(DWORD count)
{
    DWORD entries = 2;
    while (entries < count)
        entries *= 2;
    return count == 0 ? 0 : 3 * entries;
}

bool EncodeExact(MemorySink& sink, const ImageVersionsIn& in, const BYTE* pixels, DWORD codeSize)
{
    DibGeometry rows;
    rows.width = in.width;
    rows.height = in.height;
    rows.stride = in.width;
    rows.topDown = true;
    return LzwEncodeImageData(sink, rows, pixels, codeSize, true);
}

// The file's table is the source's in its own order (every index its own).
bool IsIdentity(const GlobalPalette& global)
{
    if (global.count != 256)
        return false;
    for (int i = 0; i < 256; ++i)
        if (global.fileIndex[i] != i)
            return false;
    return true;
}

// The versions on the table the image is given: its own when it has one or
// uses a colour the file's global table lacks (count 0), else the global one;
// bOwnTable gives it its own table in any case.
bool EncodeOnTable(const ImageVersionsIn& in, bool bOwnTable, ImageVersionOut& out);

} // namespace

void GlobalPalette::SetIdentity(const RGBQUAD* source)
{
    ::CopyMemory(colours, source, sizeof colours);
    for (int i = 0; i < 256; ++i)
        fileIndex[i] = static_cast<short>(i);
    count = 256;
}

bool EncodeShortestVersion(const ImageVersionsIn& in, ImageVersionOut& out)
{
    if (!EncodeOnTable(in, false, out))
        return false;
    if (out.count != 0)
        return true;
    // An image of few colours that sit far into the global table (a cursor,
    // a sprite) takes long codes there; a table of its own, cut to them, may
    // cost fewer bytes than the bits it saves. Tried only where its codes
    // would be shorter.
    bool used[256] = {};
    const SIZE_T n = static_cast<SIZE_T>(in.width) * in.height;
    for (SIZE_T i = 0; i < n; ++i)
        used[in.pixels[i]] = true;
    DWORD nUsed = out.transparent ? 1 : 0;
    for (DWORD i = 0; i < 256; ++i)
        nUsed += used[i] ? 1 : 0;
    if (CodeSizeFor(nUsed) >= out.data.Data()[0])
        return true;
    ImageVersionOut own;
    if (!EncodeOnTable(in, true, own))
        return false;
    out.nVersions += own.nVersions;
    if (own.data.Size() + TableBytes(own.count) >= out.data.Size())
        return true;
    out.data.Clear();
    if (!out.data.Write(own.data.Data(), own.data.Size()))
        return false;
    ::CopyMemory(out.table, own.table, sizeof out.table);
    out.count = own.count;
    out.transparent = own.transparent;
    out.transparentIndex = own.transparentIndex;
    return true;
}

namespace {

bool EncodeOnTable(const ImageVersionsIn& in, bool bOwnTable, ImageVersionOut& out)
{
    const SIZE_T n = static_cast<SIZE_T>(in.width) * in.height;
    bool used[256] = {};
    DWORD nStill = 0;
    if (in.still != nullptr) {
        for (SIZE_T i = 0; i < n; ++i) {
            used[in.pixels[i]] = true;
            nStill += in.still[i] != 0 ? 1 : 0;
        }
    } else {
        for (SIZE_T i = 0; i < n; ++i)
            used[in.pixels[i]] = true;
    }

    // An image on the global table that uses a colour the file's global
    // table lacks has its own table instead: the source's, cut.
    const GlobalPalette& global = *in.global;
    DWORD count = in.count != 0 ? in.count : bOwnTable ? 256 : 0;
    if (count == 0) {
        bool bLacking = in.keyIndex >= 0 && global.fileIndex[in.keyIndex] < 0;
        for (DWORD i = 0; i < 256 && !bLacking; ++i)
            bLacking = used[i] && global.fileIndex[i] < 0;
        count = bLacking ? 256 : 0;
    }

    // The indices as they are written, and the table. A transparent entry
    // only the still version uses is added after the colours, so that the
    // exact version's table and code size leave it out.
    // On a global table in the source's own order the indices are written
    // as they are: no copy to make.
    const bool bAsGiven = count == 0 && IsIdentity(global);
    CHeapArray<BYTE> remapped;
    if (!bAsGiven && !remapped.Reserve(n))
        return false;
    const BYTE* const pixels = bAsGiven ? in.pixels : remapped.Get();
    int transparentIndex = -1;
    DWORD exactCount = 0, exactCodeSize = 8, choiceCount = 0, choiceCodeSize = 8;
    if (count != 0) {
        TrimmedTable cut;
        TrimTable(used, in.table, count, in.keyIndex, nStill != 0, cut);
        for (SIZE_T i = 0; i < n; ++i)
            remapped.Get()[i] = cut.remap[in.pixels[i]];
        ::CopyMemory(out.table, cut.colours, sizeof out.table);
        transparentIndex = cut.transparentIndex;
        choiceCount = cut.count;
        exactCount = in.keyIndex < 0 && transparentIndex >= 0 ? cut.count - 1 : cut.count;
        exactCount = exactCount == 0 ? 1 : exactCount;
        choiceCodeSize = cut.codeSize;
        exactCodeSize = CodeSizeFor(exactCount);
    } else {
        // In the file's order; the smallest index the image leaves free
        // within the table stands for transparency, and the code size
        // covers the highest index in use.
        bool usedInFile[256] = {};
        if (bAsGiven) {
            ::CopyMemory(usedInFile, used, sizeof usedInFile);
        } else {
            for (SIZE_T i = 0; i < n; ++i) {
                const BYTE index = static_cast<BYTE>(global.fileIndex[in.pixels[i]]);
                remapped.Get()[i] = index;
                usedInFile[index] = true;
            }
        }
        transparentIndex = in.keyIndex >= 0 ? global.fileIndex[in.keyIndex] : -1;
        DWORD highest = transparentIndex >= 0 ? static_cast<DWORD>(transparentIndex) : 0;
        for (DWORD i = 0; i < 256; ++i)
            if (usedInFile[i] && i > highest)
                highest = i;
        exactCodeSize = CodeSizeFor(highest + 1);
        DWORD entries = 2;
        while (entries < global.count)
            entries *= 2;
        if (transparentIndex < 0 && nStill != 0)
            for (DWORD i = 0; i < entries && transparentIndex < 0; ++i)
                if (!usedInFile[i])
                    transparentIndex = static_cast<int>(i);
        choiceCodeSize = CodeSizeFor((transparentIndex > static_cast<int>(highest) ? transparentIndex : highest) + 1);
    }

    LzwChoices choices;
    choices.still = nStill != 0 ? in.still : nullptr;
    choices.stillIndex = nStill != 0 ? transparentIndex : -1;
    choices.keyIndex = in.keyIndex >= 0 ? transparentIndex : -1;
    choices.lossiness = in.lossiness;
    choices.colours = count != 0 ? out.table : global.colours;
    // Lossy pixels may take any colour of the table the codes can name: on
    // the global table only the entries below the code size chosen for the
    // indices in use, or the file would hold codes its decoder cannot read.
    choices.count = count != 0 ? choiceCount : std::min<DWORD>(global.count, 1UL << choiceCodeSize);
    choices.deferClear = true;

    out.data.Clear();
    out.nVersions = 0;
    const bool bStillVersion = choices.stillIndex >= 0 && nStill * kStillShare >= n;
    bool bChoices = false;
    if (in.lossiness != 0 || bStillVersion) {
        if (!LzwEncodeChoices(out.data, in.width, in.height, pixels, choiceCodeSize, choices))
            return false;
        ++out.nVersions;
        bChoices = true;
    }
    if (in.lossiness == 0) {
        MemorySink exact;
        MemorySink& target = bChoices ? exact : out.data;
        if (!EncodeExact(target, in, pixels, exactCodeSize))
            return false;
        ++out.nVersions;
        const DWORD choiceTable = count != 0 ? TableBytes(choiceCount) : 0;
        const DWORD exactTable = count != 0 ? TableBytes(exactCount) : 0;
        if (bChoices && exact.Size() + exactTable <= out.data.Size() + choiceTable) {
            out.data.Clear();
            if (!out.data.Write(exact.Data(), exact.Size()))
                return false;
            bChoices = false;
        }
    }
    out.count = count == 0 ? 0 : bChoices ? choiceCount : exactCount;
    // Transparency is carried when the image has a key colour, or when the
    // version kept may show the screen through still pixels.
    out.transparent = in.keyIndex >= 0 || (bChoices && choices.stillIndex >= 0);
    out.transparentIndex = static_cast<BYTE>(out.transparent ? transparentIndex : 0);
    return true;
}

} // namespace
