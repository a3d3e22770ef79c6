// Damaged and hostile project files, generated here: each is refused with the
// archive error of its kind, leaving no node alive, an empty root and the
// settings as they were.
#include "ProjectFiles.h"

#include <gtest/gtest.h>

using namespace projects;

namespace {

const Bytes kHeader = {0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0};
const Bytes kRootTail = {0, 0, 0, 0, 0, 0, 0, 0, 0};
const Bytes kSettings = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0};

Bytes NewClass(const std::string& name, WORD wSchema = 0)
{
    const WORD wLength = static_cast<WORD>(name.size());
    return Concat({{0xFF, 0xFF, LOBYTE(wSchema), HIBYTE(wSchema), LOBYTE(wLength), HIBYTE(wLength)}, Text(name)});
}

// A group record after its tag, holding the given already-encoded children.
Bytes GroupRecord(WORD nChildren, const Bytes& children, const std::string& name = "g")
{
    return Concat({{LOBYTE(nChildren), HIBYTE(nChildren)}, children, {0, 0, 0, 0}, Str(name), {0, 0, 0, 0}});
}

// A whole project whose root holds the given encoded children.
Bytes Project(WORD nChildren, const Bytes& children)
{
    return Concat({kHeader, {LOBYTE(nChildren), HIBYTE(nChildren)}, children, kRootTail, kSettings});
}

Bytes WorkedExample()
{
    cImageList root;
    cGifOptions options;
    BuildWorkedExample(root);
    return Save(root, options);
}

// Loads bytes into a root that starts with one child and into non-initial
// settings; checks that a refusal leaves nothing behind. Returns the cause.
int LoadRefused(const Bytes& bytes, const std::string& what)
{
    const int nLive = cTestNode::GetLiveCount();
    cImageList root;
    root.SetName("root name");
    cGifOptions options;
    options.m_strOutput = "before.gif";
    options.m_nFrameRate = 9;
    const int cause = Load(bytes, root, options);
    if (cause != -1) {
        EXPECT_EQ(0, root.GetSize()) << what;
        EXPECT_STREQ("root name", root.GetName()) << what;
        EXPECT_EQ(nLive + 1, cTestNode::GetLiveCount()) << what;     // the root alone
        EXPECT_STREQ("before.gif", static_cast<LPCSTR>(options.m_strOutput)) << what;
        EXPECT_EQ(9, options.m_nFrameRate) << what;
    }
    return cause;
}

} // namespace

TEST(ProjectFileDamage, EveryTruncationOfTheWorkedExample)
{
    const Bytes whole = WorkedExample();
    ASSERT_EQ(150u, whole.size());
    for (size_t n = 0; n < whole.size(); ++n)
        ASSERT_EQ(CArchiveException::endOfFile, LoadRefused(Bytes(whole.begin(), whole.begin() + n), "cut at " + std::to_string(n)));
}

TEST(ProjectFileDamage, HostileFiles)
{
    const Bytes image = Concat({NewClass("cImageFile"), {0, 0, 0, 0, 0, 0}, Str("a"), {0, 0, 0, 0, 0, 0, 0, 0}, Str("a")});
    const Bytes imageAgain = Concat({{0x01, 0x80}, {0, 0, 0, 0, 0, 0}, Str("b"), {0, 0, 0, 0, 0, 0, 0, 0}, Str("b")});
    struct Case { std::string what; Bytes bytes; int cause; };
    const Case cases[] = {
        {"wrong magic", Concat({{0xEE, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0}, {0, 0}, kRootTail, kSettings}), CArchiveException::generic},
        {"a bitmap file", Concat({Text("BM6\x04"), Bytes(60, 0)}), CArchiveException::generic},
        {"version 3", Concat({{0xED, 0xFE, 0xCE, 0xFA, 3, 0, 0, 0}, {0, 0}, kRootTail, kSettings}), CArchiveException::badSchema},
        {"version 2 without its size record", Concat({{0xED, 0xFE, 0xCE, 0xFA, 2, 0, 0, 0}, {0, 0}, kRootTail, kSettings}),
         CArchiveException::endOfFile},
        {"version 0xFFFFFFFF", Concat({{0xED, 0xFE, 0xCE, 0xFA, 0xFF, 0xFF, 0xFF, 0xFF}}), CArchiveException::badSchema},
        {"unknown class", Project(1, Concat({NewClass("cImageFilX"), Bytes(20, 0)})), CArchiveException::badClass},
        {"framework class", Project(1, Concat({NewClass("CObArray"), {0, 0}})), CArchiveException::badClass},
        {"array class", Project(1, Concat({NewClass("cMyObArray", 1), {0, 0}})), CArchiveException::badClass},
        {"class name in capitals", Project(1, Concat({NewClass("CIMAGEFILE"), Bytes(20, 0)})), CArchiveException::badClass},
        {"name length 0", Project(1, NewClass("")), CArchiveException::badClass},
        {"name length 64", Project(1, NewClass("cImageFile" + std::string(54, ' '))), CArchiveException::badClass},
        {"name length 65535", Project(1, Concat({{0xFF, 0xFF, 0, 0, 0xFF, 0xFF}, Bytes(100, 'c')})), CArchiveException::badClass},
        {"schema 1", Project(1, Concat({NewClass("cImageFile", 1), Bytes(20, 0)})), CArchiveException::badSchema},
        {"class index never given", Project(1, Concat({{0x01, 0x80}, Bytes(20, 0)})), CArchiveException::badIndex},
        {"class index naming an object", Project(2, Concat({image, {0x02, 0x80}, Bytes(20, 0)})), CArchiveException::badIndex},
        {"class index far away", Project(1, Concat({{0xFE, 0xFF}, Bytes(20, 0)})), CArchiveException::badIndex},
        {"null child", Project(2, Concat({image, {0x00, 0x00}})), CArchiveException::badIndex},
        {"shared child", Project(2, Concat({image, {0x02, 0x00}})), CArchiveException::badIndex},
        {"child refers to its parent",
         Project(1, Concat({NewClass("cImageList"), GroupRecord(1, {0x02, 0x00})})), CArchiveException::badIndex},
        {"string escape 0xFFFF",
         Project(1, Concat({NewClass("cImageList"), {0, 0, 0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 'a', 'b', 'c'}})),
         CArchiveException::generic},
        {"element count escape", Project(0xFFFF, {}), CArchiveException::generic},
        {"more children than the file holds", Concat({kHeader, {3, 0}, image, imageAgain}), CArchiveException::endOfFile},
        {"more children than the root holds", Project(3, Concat({image, imageAgain})), CArchiveException::badIndex},
        {"settings cut short", Concat({kHeader, {0, 0}, kRootTail, {0, 0, 0, 0}, Str("out.gif"), {1, 0}}), CArchiveException::endOfFile},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.cause, LoadRefused(c.bytes, c.what)) << c.what;
}

TEST(ProjectFileDamage, NestingDepth)
{
    // Groups nested inside each other; depth 1 is a child of the root.
    auto nested = [](int nDepth) {
        Bytes opening = Concat({NewClass("cImageList"), {1, 0}});
        Bytes body;
        body.reserve(static_cast<size_t>(nDepth) * 20);
        body = opening;
        for (int i = 1; i < nDepth; ++i)
            body.insert(body.end(), {0x01, 0x80, 1, 0});   // a group with one child...
        body.back() = 0;                                   // ...except the innermost
        body[body.size() - 2] = 0;
        for (int i = 0; i < nDepth; ++i)
            body.insert(body.end(), {0, 0, 0, 0, 0, 0, 0, 0, 0});   // versions and empty names
        return Project(1, body);
    };

    const int nLive = cTestNode::GetLiveCount();
    {
        cImageList root;
        cGifOptions options;
        ASSERT_EQ(-1, Load(nested(200), root, options));
        int nDepth = 0;
        for (cTestNode* node = root.GetChild(0); node != nullptr; node = node->GetChild(0))
            ++nDepth;
        EXPECT_EQ(200, nDepth);
        EXPECT_EQ(nested(200), Save(root, options));
    }
    EXPECT_EQ(nLive, cTestNode::GetLiveCount());

    EXPECT_EQ(CArchiveException::generic, LoadRefused(nested(CArchive::nMaxObjectDepth + 1), "just too deep"));
    EXPECT_EQ(CArchiveException::generic, LoadRefused(nested(100000), "100000 deep"));
}

TEST(ProjectFileDamage, WideTreesLoad)
{
    // Many children, each a group: the arrays grow without trouble.
    const int nChildren = 3000;
    Bytes children = Concat({NewClass("cImageList"), GroupRecord(0, {}, "0")});
    for (int i = 1; i < nChildren; ++i)
        children = Concat({children, {0x01, 0x80}, GroupRecord(0, {}, std::to_string(i))});
    const Bytes bytes = Project(nChildren, children);
    cImageList root;
    cGifOptions options;
    ASSERT_EQ(-1, Load(bytes, root, options));
    ASSERT_EQ(nChildren, root.GetChildCount());
    EXPECT_STREQ("2999", root.GetChild(2999)->GetName());
    EXPECT_EQ(bytes, Save(root, options));
}
