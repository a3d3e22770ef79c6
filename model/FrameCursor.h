// cFrameCursor: a project's nodes and frames one at a time, in the order
// every export writes them (a node's own frames, then its children's, depth
// first), for walks that stop between frames and go on later. Only the
// node whose frames are being visited is open.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

class cTestNode;

class cFrameCursor
{
public:
// Construction
    explicit cFrameCursor(cTestNode* pRoot);
    // Closes the node it holds open.
    ~cFrameCursor();
    cFrameCursor(const cFrameCursor&) = delete;
    cFrameCursor& operator=(const cFrameCursor&) = delete;

// Operations
    // The next node in that order, the root first, without opening it;
    // null after the last. Not to be mixed with NextFrame.
    cTestNode* NextNode();
    // The next frame: its node, open until the cursor leaves it, and its
    // index there. FALSE after the last frame, with every node closed.
    BOOL NextFrame(cTestNode*& pNode, int& nFrame);

// Implementation
private:
    void CloseOpenNode();

    cTestNode* m_pRoot;
    BOOL m_bStarted;
    std::vector<std::pair<cTestNode*, int>> m_stack;   // a node and its next child's index
    cTestNode* m_pOpen;
    int m_nFrame;
    int m_nFrames;
};
