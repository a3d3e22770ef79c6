// "Create animation": the whole project, frame after frame in tree order,
// into one file written through AVIFile (the GIF handler for a .gif name).
#pragma once

#include "ExportProgress.h"
#include "ExportSettings.h"

#include <windows.h>

class cDrawDib;
class cGifFileWriter;
class cGifStreamWriter;
class cTestNode;

// The node's own frames (not its children's) added to the canvas as
// ScanFrames adds them.
void ScanNodeFrames(cTestNode* pNode, cDrawDib& canvas);

// Walks the subtree asking only for frame formats and builds the output
// canvas (header and colour table, no pixels): the largest width and height
// of all frames the handler writes; 8-bit with the colour table of the first
// such frame when that one is 8-bit, else 24-bit without a table. TRUE when
// the canvas has a header afterwards.
BOOL ScanFrames(cTestNode* pNode, cDrawDib& canvas);

// Writes the subtree's frames through the writer (its transparency set), a
// node's own frames before its children's. FALSE after the first failed
// write, which has been reported, or when the user stopped the export;
// nothing more is visited.
BOOL WriteNodeFrames(cTestNode* pNode, cGifStreamWriter& writer, cExportProgress* pProgress);

// The options every animation is written with (loop count, dithering,
// differencing, parallel encoding, transparency, the size choices), set
// before the first format as the GIF handler needs, then the canvas as that
// format: what SetFormat answered, or the error of a size choice the
// handler does not take (*pbSizeRefused, when given, then says so).
HRESULT StartAnimation(cGifStreamWriter& writer, const cExportSettings& settings, const cDrawDib& canvas,
                       bool* pbSizeRefused = nullptr);
// Opens the file (its clock from settings, its screen the canvas), sets the
// stream's choices from settings and writes the subtree's frames. TRUE when
// the file holds what the walk sent; failures are reported.
BOOL WriteAnimationFile(cTestNode* pRoot, const cExportSettings& settings, const cDrawDib& canvas,
                        cGifFileWriter& file, cExportProgress* pProgress);

// What the export says when no frame of the project can be written; the
// files it looked at follow as files left out.
extern const char kNoValidImages[];

// Writes the project under pRoot to settings.strOutput with its frame rate,
// loop count and transparency: the scan, the file, the walk and the
// clean-up. Every failure is reported through pProgress, which also keeps
// the report. With a largest size, the choices with the least loss that
// fit are searched for (FitExport.h). TRUE when the file was written. An
// output that is not a .gif name (or has no name before it), or is a still
// image or movie of the project or pszProject (the project's own file, when
// it has one), is refused before anything is done. Temporary files that
// killed exports left in the output's folder are removed.
BOOL ExportAnimation(cTestNode* pRoot, const cExportSettings& settings, cExportProgress* pProgress,
                     LPCSTR pszProject = nullptr);
