// The order of nodes: moves within and between groups and the moves that
// are refused, Sort by Number's comparison and sort, and the frame cursor
// walking frames in export order with one node open at a time.
#include "AVIFile.h"
#include "FrameCursor.h"
#include "ImageFile.h"
#include "NodeOrder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "a(b c) d": the names of a group's children, a group's own in brackets.
std::string Shape(cTestNode* pNode)
{
    std::string text;
    for (int i = 0; i < pNode->GetChildCount(); ++i) {
        cTestNode* pChild = pNode->GetChild(i);
        if (!text.empty())
            text += ' ';
        text += pChild->GetName(-1);
        if (pChild->m_nType == cTestNode::typeSequence)
            text += "(" + Shape(pChild) + ")";
    }
    return text;
}

cImageList* Group(const char* pszName, std::initializer_list<const char*> images)
{
    cImageList* pList = new cImageList;
    pList->SetName(pszName);
    for (const char* pszImage : images)
        pList->Add(new cImageFile(pszImage));
    return pList;
}

// root: a  s(b c d)  t(e)  f
struct Project
{
    cImageList root;
    cImageList* s;
    cImageList* t;
    Project()
    {
        root.Add(new cImageFile("a"));
        root.Add(s = Group("s", {"b", "c", "d"}));
        root.Add(t = Group("t", {"e"}));
        root.Add(new cImageFile("f"));
    }
    cTestNode* Child(cTestNode* p, int i) { return p->GetChild(i); }
};

} // namespace

TEST(NodeOrder, MovesWithinAndBetweenGroups)
{
    struct Case
    {
        const char* what;
        int from;           // 0 root, 1 s, 2 t
        int index;          // of the node moved in its group
        int to;
        int at;
        const char* shape;
    };
    const Case cases[] = {
        {"up by one", 1, 1, 1, 0, "a s(c b d) t(e) f"},
        {"down by one", 1, 1, 1, 2, "a s(b d c) t(e) f"},
        {"to the same place", 1, 1, 1, 1, "a s(b c d) t(e) f"},
        {"past the end is the end", 0, 0, 0, 99, "s(b c d) t(e) f a"},
        {"into another sequence", 1, 0, 2, 1, "a s(c d) t(e b) f"},
        {"out to the top level", 2, 0, 0, 0, "e a s(b c d) t() f"},
        {"a sequence into another", 0, 2, 1, 3, "a s(b c d t(e)) f"},
    };
    for (const Case& c : cases) {
        Project p;
        cTestNode* groups[] = {&p.root, p.s, p.t};
        cTestNode* pNode = groups[c.from]->GetChild(c.index);
        EXPECT_TRUE(MoveNode(pNode, groups[c.from], groups[c.to], c.at)) << c.what;
        EXPECT_EQ(c.shape, Shape(&p.root)) << c.what;
    }
}

TEST(NodeOrder, RefusedMovesChangeNothing)
{
    Project p;
    const std::string before = Shape(&p.root);
    cTestNode* pImage = p.s->GetChild(0);
    struct Case { const char* what; cTestNode* node; cTestNode* from; cTestNode* to; };
    const Case cases[] = {
        {"not a child of from", pImage, &p.root, p.t},
        {"into itself", p.s, &p.root, p.s},
        {"into an image", p.root.GetChild(0), &p.root, p.root.GetChild(3)},
        {"a group into its own child", p.t, &p.root, p.t->GetChild(0)},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(MoveNode(c.node, c.from, c.to, 0)) << c.what;
        EXPECT_EQ(before, Shape(&p.root)) << c.what;
    }
    // A sequence moved into a sequence inside it.
    cImageList* pInner = Group("inner", {"x"});
    p.s->Add(pInner);
    EXPECT_FALSE(MoveNode(p.s, &p.root, pInner, 0));
    EXPECT_TRUE(IsInSubtree(pInner, p.s));
    EXPECT_FALSE(IsInSubtree(p.s, pInner));
}

TEST(NodeOrder, CompareByNumberUsesTheLastNumberInTheFileName)
{
    struct Case { const char* a; const char* b; int sign; };
    const Case cases[] = {
        {"C:\\shots\\shot0270.bmp", "C:\\shots\\shot0487.bmp", -1},
        {"shot9.bmp", "shot10.bmp", -1},                        // numbers, not text
        {"shot010.bmp", "shot10.bmp", -1},                      // equal numbers: then the name
        {"take2_0005.bmp", "take1_0007.bmp", -1},               // the last number counts
        {"C:\\b9\\x1.bmp", "C:\\a1\\x2.bmp", -1},               // not the folder's
        {"frame.bmp", "frame1.bmp", 1},                         // no number goes last
        {"Walk3.bmp", "walk3.bmp", 0},                          // case is not looked at
        {"n123456789012345678901234567890.bmp", "n123456789012345678901234567891.bmp", -1},
        {"n000.bmp", "n1.bmp", -1},
        {"x7.bmp", "x7.bmp", 0},
    };
    for (const Case& c : cases) {
        const int n = CompareByNumber(c.a, c.b);
        EXPECT_EQ(c.sign, (n > 0) - (n < 0)) << c.a << " vs " << c.b;
        const int m = CompareByNumber(c.b, c.a);
        EXPECT_EQ(-c.sign, (m > 0) - (m < 0)) << c.b << " vs " << c.a;
    }
}

TEST(NodeOrder, SortByNumberIsStableAndSaysWhetherAnythingMoved)
{
    cImageList* pList = Group("shot", {"C:\\s\\shot0487.bmp", "C:\\s\\shot0270.bmp", "C:\\s\\cover.bmp",
                                       "C:\\s\\shot0009.bmp", "C:\\t\\shot0270.bmp", "C:\\s\\back.bmp"});
    cImageList root;
    root.Add(pList);
    EXPECT_TRUE(SortByNumber(pList));
    EXPECT_EQ("C:\\s\\shot0009.bmp C:\\s\\shot0270.bmp C:\\t\\shot0270.bmp C:\\s\\shot0487.bmp "
              "C:\\s\\back.bmp C:\\s\\cover.bmp",
              Shape(pList));
    EXPECT_FALSE(SortByNumber(pList));
    EXPECT_FALSE(SortByNumber(pList->GetChild(0)));     // an image holds nothing to sort
}

namespace {

// A movie node that reports frames without a file, counting its opens.
class cCountedMovie : public cAVIFile
{
public:
    cCountedMovie(const char* pszName, int nFrames) : m_nFrames(nFrames) { SetName(pszName); }
    BOOL Open() override { ++m_nOpen; return TRUE; }
    void Close() override { --m_nOpen; }
    int GetFrameCount() override { return m_nOpen > 0 ? m_nFrames : 0; }
    int m_nOpen = 0;

private:
    int m_nFrames;
};

} // namespace

TEST(FrameCursor, VisitsFramesInExportOrderWithOneNodeOpen)
{
    cImageList root;
    cCountedMovie* pFirst = new cCountedMovie("m1", 2);
    cImageList* pList = Group("s", {"b"});
    cCountedMovie* pInner = new cCountedMovie("m2", 3);
    pList->Add(pInner);
    cCountedMovie* pEmpty = new cCountedMovie("m0", 0);
    root.Add(pFirst);
    root.Add(pEmpty);
    root.Add(pList);
    std::string visited;
    {
        cFrameCursor cursor(&root);
        cTestNode* pNode = nullptr;
        int nFrame = 0;
        while (cursor.NextFrame(pNode, nFrame)) {
            visited += std::string(pNode->GetName(-1)) + ":" + std::to_string(nFrame) + " ";
            EXPECT_EQ(pNode == pFirst ? 1 : 0, pFirst->m_nOpen);
            EXPECT_EQ(pNode == pInner ? 1 : 0, pInner->m_nOpen);
        }
        EXPECT_FALSE(cursor.NextFrame(pNode, nFrame));
    }
    EXPECT_EQ("m1:0 m1:1 b:0 m2:0 m2:1 m2:2 ", visited);
    EXPECT_EQ(0, pFirst->m_nOpen);
    EXPECT_EQ(0, pEmpty->m_nOpen);
    EXPECT_EQ(0, pInner->m_nOpen);

    // Left half way, it closes the node it holds.
    {
        cFrameCursor cursor(&root);
        cTestNode* pNode = nullptr;
        int nFrame = 0;
        ASSERT_TRUE(cursor.NextFrame(pNode, nFrame));
        EXPECT_EQ(1, pFirst->m_nOpen);
    }
    EXPECT_EQ(0, pFirst->m_nOpen);

    std::string nodes;
    cFrameCursor walk(&root);
    for (cTestNode* p = walk.NextNode(); p != nullptr; p = walk.NextNode())
        nodes += std::string(p->GetName(-1)) + " ";
    EXPECT_EQ(" m1 m0 s b m2 ", nodes);
}
