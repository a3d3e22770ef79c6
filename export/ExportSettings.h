// cExportSettings: what one export is asked to do, in the terms the
// dialogs and the console use. The document turns its stored record into
// these and back (CTestDoc::GetExportSettings), so that the window and the
// console cannot read the record two ways.
#pragma once

#include "AfxString.h"

#include <windows.h>

struct cExportSettings
{
    enum Kind
    {
        animation,      // "Create animation": the project into one file
        batch           // "Batch Convert": a file beside each source
    };

    Kind nKind = animation;
    CString strOutput;          // animation: the file to write
    int nFrameRate = 5;         // animation: frames a second, 1 to 100
    int nLoopCount = 0;         // animation: -1 to 32000, 0 for ever
    int nTransparency = 0;      // 0 none, 1 from the first image, 2 from each image
    BOOL bExpand = FALSE;       // batch: a file for each frame of a movie
    BOOL bDither = TRUE;        // dither frames reduced to 256 colours (not stored)
    BOOL bDifferencing = TRUE;  // images cropped to what changes (not stored)
    // Size choices, both kinds (the largest file: animation only).
    int nOutputWidth = 0;       // the GIF's screen, 0 for a side not asked for
    int nOutputHeight = 0;      // (one side alone keeps the aspect ratio)
    int nColours = 256;         // at most this many colours a table, 2 to 256
    int nLossiness = 0;         // lossy LZW, 0 (off) to 200
    DWORD dwMaxSize = 0;        // animation: bytes the file may take, 0 for any

    // Whether the GIF handler is asked for anything beyond the plain choices.
    bool HasSizeChoices() const
    {
        return nOutputWidth != 0 || nOutputHeight != 0 || nColours != 256 || nLossiness != 0;
    }
};
