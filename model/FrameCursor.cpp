// cFrameCursor: pre-order over the nodes, and over each node's frames.
#include "FrameCursor.h"

#include "TestNode.h"

cFrameCursor::cFrameCursor(cTestNode* pRoot)
    : m_pRoot(pRoot), m_bStarted(FALSE), m_pOpen(nullptr), m_nFrame(0), m_nFrames(0)
{
}

cFrameCursor::~cFrameCursor()
{
    CloseOpenNode();
}

void cFrameCursor::CloseOpenNode()
{
    if (m_pOpen != nullptr)
        m_pOpen->Close();
    m_pOpen = nullptr;
    m_nFrame = m_nFrames = 0;
}

cTestNode* cFrameCursor::NextNode()
{
    if (!m_bStarted) {
        m_bStarted = TRUE;
        if (m_pRoot != nullptr)
            m_stack.push_back({m_pRoot, 0});
        return m_pRoot;
    }
    while (!m_stack.empty()) {
        std::pair<cTestNode*, int>& top = m_stack.back();
        if (top.second < top.first->GetChildCount()) {
            cTestNode* pChild = top.first->GetChild(top.second++);
            if (pChild == nullptr)
                continue;
            m_stack.push_back({pChild, 0});
            return pChild;
        }
        m_stack.pop_back();
    }
    return nullptr;
}

BOOL cFrameCursor::NextFrame(cTestNode*& pNode, int& nFrame)
{
    while (m_pOpen == nullptr || m_nFrame >= m_nFrames) {
        CloseOpenNode();
        cTestNode* pNext = NextNode();
        if (pNext == nullptr)
            return FALSE;
        // Every Open is matched by a Close, whatever it answered.
        pNext->Open();
        m_pOpen = pNext;
        m_nFrames = pNext->GetFrameCount();
    }
    pNode = m_pOpen;
    nFrame = m_nFrame++;
    return TRUE;
}
