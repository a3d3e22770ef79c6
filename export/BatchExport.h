// "Batch Convert": every file of the project into a GIF file of its own
// beside it; a movie whole, or one file per frame when expanded.
#pragma once

#include "ExportProgress.h"
#include "TransparencyOptions.h"

#include <windows.h>

class cDrawDib;
class cTestNode;

// Converts the node and its subtree, a node's own frames before its
// children's. *pnPosition counts the frame indices visited one by one (it
// decides the "first image" rule). A failure in one file is reported and
// the walk goes on. TRUE when no file failed.
BOOL BatchConvertNode(cTestNode* pNode, BOOL bExpand, const TransparencyOptions* pOptions, LONG* pnPosition,
                      cExportProgress* pProgress);

// One 8-bit frame to a one-frame GIF named after the source; the frame
// stays the caller's. TRUE unless a failure was reported.
BOOL WriteImageGif(LPCSTR pszSourceName, cDrawDib* pFrame, BOOL bTransparent, cExportProgress* pProgress);

// Every frame of an open movie node to one animated GIF named after it, at
// the movie's own rate. A movie that is itself a .gif is skipped without a
// word; a file that ends up without any image is removed. TRUE unless a
// failure was reported.
BOOL WriteMovieGif(cTestNode* pMovie, BOOL bTransparent, cExportProgress* pProgress);

// The command's work after the dialog: the progress display over the
// project's frames and the walk from pRoot. TRUE when no file failed.
BOOL ExportBatch(cTestNode* pRoot, BOOL bExpand, int nTransparency, cExportProgress* pProgress);
