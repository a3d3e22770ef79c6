// Frame counting over the project tree.
#include "FrameWalk.h"
#include "TestNode.h"

int CountFrames(cTestNode* pNode)
{
    if (pNode == nullptr)
        return 0;
    pNode->Open();      // every Open has its Close, whatever it answered
    int nFrames = pNode->GetFrameCount();
    pNode->Close();
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        nFrames += CountFrames(pNode->GetChild(i));
    return nFrames;
}
