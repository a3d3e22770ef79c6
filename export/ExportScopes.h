// Scopes the export walks hold, so that an early return or a framework
// exception still undoes them:
//   cNodeOpen   a node's Open ... Close, whatever Open answered
//   cWait       the progress's wait cursor
//   cShown      the progress display up
//   FramePtr    a frame handed out by a node, deleted after use
//   cNodeSkips  why a node's file was left out, told once for the node
// and WritableFrame, a node's frame when the GIF handler can write it.
#pragma once

#include "DrawDib.h"
#include "ExportProgress.h"
#include "FrameRecord.h"
#include "TestNode.h"

#include <memory>

typedef std::unique_ptr<cDrawDib> FramePtr;

class cNodeOpen
{
public:
    explicit cNodeOpen(cTestNode* pNode) : m_pNode(pNode) { m_pNode->Open(); }
    ~cNodeOpen() { m_pNode->Close(); }
    cNodeOpen(const cNodeOpen&) = delete;
    cNodeOpen& operator=(const cNodeOpen&) = delete;

private:
    cTestNode* m_pNode;
};

class cWait
{
public:
    explicit cWait(cExportProgress* pProgress) : m_pProgress(pProgress) { m_pProgress->BeginWait(); }
    ~cWait() { m_pProgress->EndWait(); }
    cWait(const cWait&) = delete;
    cWait& operator=(const cWait&) = delete;

private:
    cExportProgress* m_pProgress;
};

class cShown
{
public:
    explicit cShown(cExportProgress* pProgress) : m_pProgress(pProgress) { m_pProgress->Show(); }
    ~cShown() { m_pProgress->Hide(); }
    cShown(const cShown&) = delete;
    cShown& operator=(const cShown&) = delete;

private:
    cExportProgress* m_pProgress;
};

class cNodeSkips
{
public:
    cNodeSkips() : m_pszReason(nullptr) {}

    // Keeps the first reason: the one the user can act on first.
    void Note(LPCSTR pszReason)
    {
        if (m_pszReason == nullptr)
            m_pszReason = pszReason;
    }
    // Tells the progress about a file node left out, wholly or in part.
    void Tell(cTestNode* pNode, cExportProgress* pProgress) const
    {
        if (m_pszReason != nullptr)
            pProgress->FileSkipped(pNode->GetName(-1), m_pszReason);
    }

private:
    LPCSTR m_pszReason;
};

// Frame nFrame of the node when the GIF handler writes such frames; null
// otherwise, with the reason noted. A frame the handler would take and drop
// is not sent at all: it would count as an image written and lend the
// "first image" its transparent colour. *pbMissing, when given, tells a
// frame that did not come at all from one that came unusable.
inline FramePtr WritableFrame(cTestNode* pNode, int nFrame, cNodeSkips& skips, bool* pbMissing = nullptr)
{
    FramePtr pFrame(pNode->GetFrame(nFrame));
    if (pbMissing != nullptr)
        *pbMissing = pFrame == nullptr;
    if (pFrame == nullptr) {
        const LPCSTR pszWhy = pNode->GetFrameRefusal();
        skips.Note(pszWhy != nullptr ? pszWhy : kSkipUnreadable);
    } else if (!IsWritableFrame(*pFrame)) {
        skips.Note(kSkipNotWritable);
        pFrame.reset();
    }
    return pFrame;
}
