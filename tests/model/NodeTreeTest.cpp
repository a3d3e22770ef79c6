// The node tree: kinds, child access, removal and deletion, and the frame
// traversal order every walker follows.
#include "DrawDib.h"
#include "ImageFile.h"
#include "ProjectClasses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A node that contributes frames of its own, each a 1x1 buffer whose width
// carries the frame's identity, and logs the calls it gets.
class cFramesNode : public cImageList
{
public:
    cFramesNode(int nFirstId, int nFrames, std::string* pLog) : m_nFirstId(nFirstId), m_nFrames(nFrames), m_pLog(pLog) {}
    int GetFrameCount() override { return m_nOpen > 0 ? m_nFrames : 0; }
    cDrawDib* GetFrame(int nFrame) override
    {
        cDrawDib* pDib = new cDrawDib;
        pDib->Create(m_nFirstId + nFrame, 1, 8);
        return pDib;
    }
    BOOL Open() override
    {
        ++m_nOpen;
        *m_pLog += "(";
        return TRUE;
    }
    void Close() override
    {
        --m_nOpen;
        *m_pLog += ")";
    }
    int m_nOpen = 0;

private:
    int m_nFirstId;
    int m_nFrames;
    std::string* m_pLog;
};

// The frame walk every user of the tree performs: own frames, then children.
void Walk(cTestNode* pNode, std::vector<int>& frames)
{
    pNode->Open();
    const int nFrames = pNode->GetFrameCount();
    for (int i = 0; i < nFrames; ++i) {
        cDrawDib* pFrame = pNode->GetFrame(i);
        frames.push_back(pFrame != nullptr ? pFrame->GetWidth() : -1);
        delete pFrame;
    }
    pNode->Close();
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        Walk(pNode->GetChild(i), frames);
}

void Append(cTestNode* pParent, cTestNode* pChild)
{
    pParent->SetAtGrow(pParent->GetSize(), pChild);
}

} // namespace

TEST(NodeTree, KindsAndInitialState)
{
    cTestNode node;
    cImageList group;
    cImageFile image("C:\\x.bmp");
    cImageFile empty;
    EXPECT_EQ(cTestNode::typeNode, node.m_nType);
    EXPECT_EQ(cTestNode::typeSequence, group.m_nType);
    EXPECT_EQ(cTestNode::typeImage, image.m_nType);
    EXPECT_EQ(nullptr, group.m_hTreeItem);
    EXPECT_STREQ("", group.GetName());
    EXPECT_STREQ("C:\\x.bmp", image.GetName(-1));
    EXPECT_STREQ("C:\\x.bmp", static_cast<LPCSTR>(image.m_strPath));
    EXPECT_STREQ("", empty.GetName());
    EXPECT_EQ(std::string("Sequence : "), std::string("Sequence : ") + group.GetName(-1));

    group.SetName("walk");
    EXPECT_STREQ("walk", group.GetName(3));     // the frame number does not matter
    group.SetTreeItem(reinterpret_cast<HTREEITEM>(0x1234));
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(0x1234), group.m_hTreeItem);
    EXPECT_TRUE(group.Open());
    EXPECT_EQ(0, group.GetFrameCount());
    EXPECT_EQ(nullptr, group.GetFrame(0));
    EXPECT_EQ(nullptr, group.GetFrameFormat(0));
    group.Close();
}

TEST(NodeTree, ClassesAreFoundByName)
{
    // Registered before the first test; once more changes nothing.
    RegisterProjectClasses();
    for (const char* name : {"cTestNode", "cImageList", "cImageFile", "cAVIFile"}) {
        const CRuntimeClass* pClass = CRuntimeClass::FromName(name);
        ASSERT_NE(nullptr, pClass) << name;
        EXPECT_EQ(0u, pClass->m_wSchema) << name;
        CObject* pObject = pClass->CreateObject();
        EXPECT_TRUE(pObject->IsKindOf(RUNTIME_CLASS(cTestNode))) << name;
        delete pObject;
    }
    EXPECT_EQ(1u, CRuntimeClass::FromName("cMyObArray")->m_wSchema);
    EXPECT_EQ(nullptr, CRuntimeClass::FromName("cimagefile"));
}

TEST(NodeTree, ChildBounds)
{
    cImageList group;
    EXPECT_EQ(nullptr, group.GetChild(0));
    EXPECT_EQ(nullptr, group.GetChild(-1));
    cImageFile* a = new cImageFile("a");
    cImageFile* b = new cImageFile("b");
    Append(&group, a);
    Append(&group, b);
    EXPECT_EQ(2, group.GetChildCount());
    EXPECT_EQ(a, group.GetChild(0));
    EXPECT_EQ(b, group.GetChild(1));
    EXPECT_EQ(nullptr, group.GetChild(2));
    EXPECT_EQ(nullptr, group.GetChild(-1));

    // A leaf holding elements still reports none.
    Append(a, new cImageFile("hidden"));
    EXPECT_EQ(1, a->GetSize());
    EXPECT_EQ(0, a->GetChildCount());
    EXPECT_EQ(nullptr, a->GetChild(0));
}

TEST(NodeTree, RemoveChildKeepsOrderAndDeletesNothing)
{
    const int nLive = cTestNode::GetLiveCount();
    {
        cImageList group;
        cTestNode* nodes[4];
        for (int i = 0; i < 4; ++i)
            Append(&group, nodes[i] = new cImageFile(std::to_string(i).c_str()));
        EXPECT_TRUE(group.RemoveChild(nodes[1]));
        EXPECT_EQ(nLive + 5, cTestNode::GetLiveCount());    // removed, not deleted
        ASSERT_EQ(3, group.GetChildCount());
        EXPECT_EQ(nodes[0], group.GetChild(0));
        EXPECT_EQ(nodes[2], group.GetChild(1));
        EXPECT_EQ(nodes[3], group.GetChild(2));
        EXPECT_FALSE(group.RemoveChild(nodes[1]));
        EXPECT_FALSE(group.RemoveChild(nullptr));
        EXPECT_EQ(3, group.GetChildCount());
        delete nodes[1];
    }
    EXPECT_EQ(nLive, cTestNode::GetLiveCount());
}

TEST(NodeTree, DeletingASubtree)
{
    const int nLive = cTestNode::GetLiveCount();
    cImageList root;
    cImageList* outer = new cImageList;
    cImageList* inner = new cImageList;
    Append(inner, new cImageFile("x"));
    Append(inner, new cImageFile("y"));
    Append(outer, inner);
    Append(outer, new cImageFile("z"));
    Append(&root, outer);
    Append(&root, new cImageFile("w"));
    root.SetAtGrow(root.GetSize() + 1, nullptr);         // a null element is skipped
    EXPECT_EQ(nLive + 7, cTestNode::GetLiveCount());

    ASSERT_TRUE(root.RemoveChild(outer));
    delete outer;
    EXPECT_EQ(nLive + 2, cTestNode::GetLiveCount());
    EXPECT_STREQ("w", root.GetChild(0)->GetName());

    root.DeleteAll();
    EXPECT_EQ(0, root.GetSize());
    EXPECT_EQ(nLive + 1, cTestNode::GetLiveCount());     // the root itself
}

TEST(NodeTree, TraversalOrder)
{
    // Root holds A (a group holding B and C, which has frames of its own) and D.
    std::string log;
    cImageList root;
    cFramesNode* a = new cFramesNode(100, 1, &log);
    cFramesNode* b = new cFramesNode(10, 2, &log);
    cFramesNode* c = new cFramesNode(20, 3, &log);
    cFramesNode* d = new cFramesNode(30, 1, &log);
    cImageList* empty = new cImageList;
    Append(a, b);
    Append(a, c);
    Append(&root, a);
    Append(&root, empty);
    Append(&root, d);

    std::vector<int> frames;
    Walk(&root, frames);
    EXPECT_EQ((std::vector<int>{100, 10, 11, 20, 21, 22, 30}), frames);
    EXPECT_EQ("()()()()", log);                 // every Open closed before the next node
    for (cFramesNode* node : {a, b, c, d})
        EXPECT_EQ(0, node->m_nOpen);
}
