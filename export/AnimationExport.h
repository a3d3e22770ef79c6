// "Create animation": the whole project, frame after frame in tree order,
// into one file written through AVIFile (the GIF handler for a .gif name).
#pragma once

#include "ExportProgress.h"
#include "TransparencyOptions.h"

#include <windows.h>
#include <vfw.h>

class cDrawDib;
class cGifOptions;
class cTestNode;

// Walks the subtree asking only for frame formats and builds the output
// canvas (header and colour table, no pixels): the largest width and height
// of all 8-bit frames with the colour table of the first. TRUE when the
// canvas has a header afterwards.
BOOL ScanFrames(cTestNode* pNode, cDrawDib& canvas);

// Writes the subtree's frames to the stream, a node's own frames before its
// children's; *pnSample is the position of the next write. FALSE after the
// first failed write, which has been reported; nothing more is visited.
BOOL WriteNodeFrames(cTestNode* pNode, PAVISTREAM pStream, const TransparencyOptions* pOptions,
                     LONG* pnSample, cExportProgress* pProgress);

// Writes the project under pRoot to options.m_strOutput with the frame rate,
// loop count and transparency of options: the scan, the file and stream, the
// walk and the clean-up. Every failure is reported through pProgress. TRUE
// when the file was finished with every frame the project gave. An output
// that names a still image or movie of the project, or pszProject (the
// project's own file, when it has one), is refused before anything is done.
BOOL ExportAnimation(cTestNode* pRoot, const cGifOptions& options, cExportProgress* pProgress,
                     LPCSTR pszProject = nullptr);
