// "Create animation" under a size: the animation is written into memory
// with the user's choices, then with more loss as cFitSearch says, each try
// stopped as soon as it passes the size; only the file of the try with the
// least loss that fit is written, and the user is told its choices. When
// nothing fits, nothing is written and the user is told so.
#pragma once

#include "ExportProgress.h"
#include "ExportSettings.h"

#include <windows.h>

class cDrawDib;
class cTestNode;

// The search and the file, for an output already checked and a canvas
// already scanned. TRUE when the file was written.
BOOL ExportAnimationUnderSize(cTestNode* pRoot, const cExportSettings& settings, const cDrawDib& canvas,
                              cExportProgress* pProgress);

// "lossy 80, 64 colours, 320 x 240": a try's choices as the user reads them.
CString DescribeFitChoices(const cExportSettings& settings, LONG nScreenWidth, LONG nScreenHeight);
