// CColourLookup: which entry of a colour table shows a colour: the entry of
// that exact colour, and the nearest entry. The one lookup of the colour
// stage: fitting a table, mapping and dithering all use it.
#pragma once

#include <windows.h>

#include "HeapArray.h"

class CColourLookup
{
public:
// Construction
    CColourLookup();
    CColourLookup(const CColourLookup&) = delete;
    CColourLookup& operator=(const CColourLookup&) = delete;

// Operations
    // Takes a table of count (1..256) colours, 0x00RRGGBB: the entries
    // pixels may be mapped onto (a table's entries for the key colour and
    // for pixels that stay come after them, and are never an answer).
    // Coarse cells cost less to fill and more to search: for few searches
    // (fitting a table) rather than many (mapping a frame). False when the
    // memory cannot be had (on the first call only).
    bool Build(const DWORD* colours, DWORD count, bool coarse = false);

    // The entry nearest to colour (squared distance; of equally near ones,
    // the lowest). Not const: it learns the table as it is asked, so each
    // thread that maps pixels has a lookup of its own.
    BYTE Nearest(DWORD colour);
    // The same answer, given an entry that is likely it (the answer for a
    // similar colour): taken at once when the colour lies closer to it than
    // half the way to its nearest neighbour.
    BYTE NearestFrom(DWORD colour, BYTE hint);
    // Nearest, remembered for the colour: for the pixels of a frame, which
    // repeat their colours.
    BYTE NearestKnown(DWORD colour);
    // The entry nearest to the middle of colour's cell of 4 levels a
    // channel: for a dithered pixel, whose error makes up for the
    // difference on its neighbours. Each cell is searched once a table.
    BYTE NearCell(DWORD colour);
    // The entry of exactly this colour (the first, when it is there twice),
    // or -1.
    int Exact(DWORD colour) const;

// Attributes
    DWORD Count() const { return m_nCount; }
    DWORD Colour(BYTE index) const { return m_colours[index]; }

// Implementation
private:
    static const int kFineBits = 4;                     // cells of 16 levels a channel
    static const int kCoarseBits = 3;                   // of 32
    static const DWORD kCells = 1u << (3 * kFineBits);
    static const DWORD kSmallCells = 1u << 18;          // of 4 levels, for NearCell
    static const DWORD kExactBits = 10;                 // at most a quarter full
    static const DWORD kKnownBits = 14;                 // colours NearestKnown remembers

    static const DWORD kPool = 1u << 18;                // candidates of all cells
    static const DWORD kUnknown = 0;
    static const DWORD kOverflow = 1;                   // no room: searched whole

    // A candidate entry of a cell: its index, and its squared distance to
    // the cell (no colour of the cell is nearer), at most 65535.
    struct Candidate
    {
        WORD distance;
        BYTE index;
    };

    DWORD FillCell(DWORD cell);
    BYTE Search(DWORD colour) const;
    void FindGaps();

    DWORD m_colours[256];
    DWORD m_nCount;
    int m_nCellBits;
    int m_channel[256][3];      // red, green, blue of each entry
    BYTE m_eligible[256];       // the entries that are not a repeat of an earlier colour, in order
    DWORD m_nEligible;
    // For each axis and cell position, each entry's squared distance along
    // that axis to the nearest and to the farthest level of the cell.
    int m_axisNear[3][1 << kFineBits][256];
    int m_axisFar[3][1 << kFineBits][256];
    // A quarter of the squared distance from each eligible entry to the
    // nearest other one (rounded up): a colour nearer to the entry than that
    // has it as its nearest. Found when first needed.
    int m_quarterGap[256];
    bool m_bGaps;
    // For each cell: kUnknown until first asked for, kOverflow, or where its
    // candidates start in m_pPool (low 20 bits) and how many there are:
    // the entries that may be the nearest to some colour of the cell, the
    // nearest to the cell first.
    CHeapArray<DWORD> m_pCells;
    CHeapArray<Candidate> m_pPool;
    DWORD m_nPool;              // used
    // NearCell's answers, and a bit for each cell that has one, cleared
    // when first needed.
    CHeapArray<BYTE> m_pSmallCells;
    CHeapArray<BYTE> m_pSmallKnown;
    bool m_bSmallClear;
    // NearestKnown's colours (| 0x01000000, 0 when empty) and answers; the
    // colours are cleared when first needed.
    CHeapArray<DWORD> m_pKnownColours;
    CHeapArray<BYTE> m_pKnownAnswers;
    bool m_bKnownClear;
    DWORD m_exactKeys[1u << kExactBits];    // colour | 0x01000000, 0 when empty
    BYTE m_exactIndex[1u << kExactBits];
};
