// What the preview pane says of a project node: its picture's size, depth
// and colours, how many frames it gives, and where they fall in the
// animation the project exports to.
//   cNodeFacts      the facts, and the lines of text that tell them
//   GetNodeFacts    gathers them and hands out the node's first picture
//   CountColours    the distinct colours of a picture
//   AnimationTime   when a frame of the animation shows
//   NodeShownName, FormatSeconds   how the pane writes a name and a time
#pragma once

#include "AfxString.h"
#include "ExportSettings.h"

#include <windows.h>

class cDib;
class cDrawDib;
class cTestNode;

struct cNodeFacts
{
    CString strName;            // the file name, or the sequence's name
    int nType = 0;              // the node's kind (cTestNode::typeImage ...)
    BOOL bPicture = FALSE;      // the picture below could be read
    LONG nWidth = 0;            // of the node's first picture
    LONG nHeight = 0;
    WORD nBitCount = 0;
    DWORD nColours = 0;         // distinct colours in it
    int nFrames = 0;            // the node's frames: a sequence's whole subtree
    int nFirstFrame = 0;        // the index in the animation of the first of them
    int nProjectFrames = 0;     // the animation's frames
    DWORD dwStart = 0;          // hundredths into the animation of the first
    DWORD dwEnd = 0;            // hundredths into the animation after the last

    // Three lines: the name; size, depth and colours; frames and times.
    CString Describe() const;
};

// The facts of pNode, a node of the project under pRoot, exported with
// settings; the first picture it gives (a sequence's first image) as a new
// buffer the caller deletes, or null when there is none.
cDrawDib* GetNodeFacts(cTestNode* pRoot, cTestNode* pNode, const cExportSettings& settings, cNodeFacts& facts);

// The distinct colours a picture shows: for a palette picture the distinct
// colours of the indices it uses. 0 without pixels.
DWORD CountColours(cDib& picture);

// When frame nFrame of an animation of nRate frames a second starts, in
// hundredths: the GIF handler's clock, image n ending at round(100 (n + 1)
// / rate), with delays of at least two hundredths.
DWORD AnimationTime(int nFrame, int nRate);

// The name a user knows a node by: a file's name without its folder, a
// sequence's own.
CString NodeShownName(cTestNode* pNode);

// Hundredths of a second as "12.34 s".
CString FormatSeconds(DWORD dwHundredths);
