// cPlayEncoder: the export of "Create animation" taken one step at a time,
// writing into memory instead of a file: the same canvas scan, the same
// stream options, the same frames (those the GIF handler can write, with
// their own formats) through the same handler, so that the bytes are those
// of the file the export would write. Each step is short, so that the
// window that drives it stays responsive between steps; everything runs
// on the thread that made it (the handler lives in the main apartment) and
// the handler's own workers do the encoding.
#pragma once

#include "DrawDib.h"
#include "ExportSettings.h"
#include "FrameCursor.h"
#include "GifAviStream.h"

#include <windows.h>
#include <objidl.h>

class cTestNode;

class cPlayEncoder
{
public:
    enum Result
    {
        wrote,          // one image went to the handler
        skipped,        // a frame the export would leave out too
        ended,          // no frames remain
        failed          // GetError says why; nothing more is written
    };

// Construction
    cPlayEncoder(cTestNode* pRoot, const cExportSettings& settings);
    // A later pass over the same project starts from the first pass's scan.
    cPlayEncoder(cTestNode* pRoot, const cExportSettings& settings, const cDrawDib& canvas);
    // Releases the handler's objects.
    ~cPlayEncoder();
    cPlayEncoder(const cPlayEncoder&) = delete;
    cPlayEncoder& operator=(const cPlayEncoder&) = delete;

// Attributes
    BOOL IsScanned() const { return m_bScanned; }
    const cDrawDib& GetCanvas() const { return m_canvas; }
    LPCSTR GetError() const { return m_pszError; }

// Operations
    // Adds one more node's frames to the canvas; FALSE once every node has
    // been scanned (IsScanned).
    BOOL ScanStep();
    // Opens the handler with the animation's options and the canvas, its
    // bytes going to pSink. FALSE (GetError) when there is nothing to write
    // or the handler cannot write into memory.
    BOOL Start(ISequentialStream* pSink);
    // Sends the next frame; pNode and nFrame name it when it was written.
    Result WriteNext(cTestNode*& pNode, int& nFrame);
    // Waits for every image, then releases the stream and the file, which
    // makes the handler write the trailer. FALSE (GetError) when an image
    // could not be written.
    BOOL Finish();

// Implementation
private:
    BOOL Fail(LPCSTR pszError);

    cExportSettings m_settings;
    cFrameCursor m_scan;
    cFrameCursor m_frames;
    cDrawDib m_canvas;
    BOOL m_bScanned;
    cGifAviStream m_stream;
    LPCSTR m_pszError;
};
