// "Batch Convert": every file of the project into a GIF file of its own
// beside it; a movie whole, or one file per frame when expanded.
#pragma once

#include "ExportProgress.h"
#include "ExportSettings.h"

#include <windows.h>

class cBatchPlan;
class cDrawDib;
class cTestNode;

// Converts the node and its subtree, a node's own frames before its
// children's. *pnPosition counts the frame indices visited one by one (it
// decides the "first image" rule). A failure in one file is reported and
// the walk goes on; a GIF the plan does not let it write is left out and
// reported; a cancelled export stops after the current frame. TRUE when no
// file failed and the export was not stopped.
BOOL BatchConvertNode(cTestNode* pNode, const cExportSettings& settings, cBatchPlan& plan, LONG* pnPosition,
                      cExportProgress* pProgress);

// One frame to a one-frame GIF named after the source, dithered and made
// smaller as settings say; the frame stays the caller's. TRUE unless a
// failure was reported.
BOOL WriteImageGif(LPCSTR pszSourceName, cDrawDib* pFrame, BOOL bTransparent, const cExportSettings& settings,
                   cBatchPlan& plan, cExportProgress* pProgress);

// Every frame of an open movie node to one animated GIF named after it, at
// the movie's own rate. A movie that is itself a .gif is left out, and so
// is one that gives no image: it replaces nothing. TRUE unless a failure was
// reported or the export was stopped. Dithering, frame differencing and the
// size choices as settings say.
BOOL WriteMovieGif(cTestNode* pMovie, BOOL bTransparent, const cExportSettings& settings, cBatchPlan& plan,
                   cExportProgress* pProgress);

// The command's work after the dialog, with the expand choice and the
// transparency of settings: the plan, the question about GIFs that exist
// already (AskReplace), the removal of orphaned temporary files in the
// folders written into, the progress display over the project's frames
// and the walk from pRoot. pszProject, when given, is never replaced. TRUE
// when no file failed.
BOOL ExportBatch(cTestNode* pRoot, const cExportSettings& settings, cExportProgress* pProgress,
                 LPCSTR pszProject = nullptr);
