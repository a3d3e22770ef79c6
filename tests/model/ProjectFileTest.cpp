// The project file written byte for byte, and read back into the same tree
// and settings.
#include "AVIFile.h"
#include "ProjectFiles.h"

#include <gtest/gtest.h>

using namespace projects;

namespace {

// The project whose root holds C:\A.BMP and then group B holding C:\B1.BMP,
// with the initial settings.
const BYTE kWorkedExample[150] = {
    0xED, 0xFE, 0xCE, 0xFA,                         //   0 magic
    0x01, 0x00, 0x00, 0x00,                         //   4 document version 1
    0x02, 0x00,                                     //   8 root: 2 children
    0xFF, 0xFF, 0x00, 0x00, 0x0A, 0x00,             //  10 new class, schema 0, name length 10
    'c', 'I', 'm', 'a', 'g', 'e', 'F', 'i', 'l', 'e',   //  16 class 1; the object is 2
    0x00, 0x00,                                     //  26 0 children
    0x00, 0x00, 0x00, 0x00,                         //  28 node version
    0x08, 'C', ':', '\\', 'A', '.', 'B', 'M', 'P',  //  32 name
    0x00, 0x00, 0x00, 0x00,                         //  41 list version
    0x00, 0x00, 0x00, 0x00,                         //  45 file version
    0x08, 'C', ':', '\\', 'A', '.', 'B', 'M', 'P',  //  49 path
    0xFF, 0xFF, 0x00, 0x00, 0x0A, 0x00,             //  58 new class, schema 0, name length 10
    'c', 'I', 'm', 'a', 'g', 'e', 'L', 'i', 's', 't',   //  64 class 3; the object is 4
    0x01, 0x00,                                     //  74 1 child
    0x01, 0x80,                                     //  76 class 1; the object is 5
    0x00, 0x00,                                     //  78 0 children
    0x00, 0x00, 0x00, 0x00,                         //  80 node version
    0x09, 'C', ':', '\\', 'B', '1', '.', 'B', 'M', 'P', //  84 name
    0x00, 0x00, 0x00, 0x00,                         //  94 list version
    0x00, 0x00, 0x00, 0x00,                         //  98 file version
    0x09, 'C', ':', '\\', 'B', '1', '.', 'B', 'M', 'P', // 102 path
    0x00, 0x00, 0x00, 0x00,                         // 112 group: node version
    0x01, 'B',                                      // 116 group: name
    0x00, 0x00, 0x00, 0x00,                         // 118 group: list version
    0x00, 0x00, 0x00, 0x00,                         // 122 root: node version
    0x00,                                           // 126 root: empty name
    0x00, 0x00, 0x00, 0x00,                         // 127 root: list version
    0x00, 0x00, 0x00, 0x00,                         // 131 settings version
    0x00,                                           // 135 output name empty
    0x01, 0x00, 0x00, 0x00,                         // 136 transparency 1
    0x00, 0x00, 0x00, 0x00,                         // 140 expand 0
    0x05, 0x00,                                     // 144 frame rate 5
    0x00, 0x00,                                     // 146 loop count 0
    0x00, 0x00,                                     // 148 reserved
};

// The settings record with initial values: 19 bytes.
const Bytes kInitialSettings = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0, 0, 0};

// An image record after its class tag: no children, versions 0, name and path.
Bytes ImageRecord(const std::string& path)
{
    return Concat({{0, 0, 0, 0, 0, 0}, Str(path), {0, 0, 0, 0, 0, 0, 0, 0}, Str(path)});
}

const Bytes kImageClass = Concat({{0xFF, 0xFF, 0, 0, 10, 0}, Text("cImageFile")});
const Bytes kRootTail = {0, 0, 0, 0, 0, 0, 0, 0, 0};   // node version, empty name, list version

} // namespace

TEST(ProjectFile, WorkedExampleByteForByte)
{
    const int nLive = cTestNode::GetLiveCount();
    {
        cImageList root;
        cGifOptions options;
        BuildWorkedExample(root);
        EXPECT_EQ(Bytes(kWorkedExample, kWorkedExample + sizeof(kWorkedExample)), Save(root, options));
    }
    EXPECT_EQ(nLive, cTestNode::GetLiveCount());
}

TEST(ProjectFile, EmptyProjectIs38Bytes)
{
    cImageList root;
    cGifOptions options;
    const Bytes expected = Concat({{0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0}, {0, 0}, kRootTail, kInitialSettings});
    ASSERT_EQ(38u, expected.size());
    EXPECT_EQ(expected, Save(root, options));
}

TEST(ProjectFile, FiveImagesShareOneClassDescription)
{
    cImageList root;
    cGifOptions options;
    for (int i = 0; i < 5; ++i)
        root.SetAtGrow(i, new cImageFile(("C:\\" + std::to_string(i) + ".BMP").c_str()));
    Bytes expected = Concat({{0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0}, {5, 0}, kImageClass, ImageRecord("C:\\0.BMP")});
    for (int i = 1; i < 5; ++i)
        expected = Concat({expected, {0x01, 0x80}, ImageRecord("C:\\" + std::to_string(i) + ".BMP")});
    expected = Concat({expected, kRootTail, kInitialSettings});
    EXPECT_EQ(expected, Save(root, options));
}

TEST(ProjectFile, LongNameUsesTheWordLength)
{
    cImageList root;
    cGifOptions options;
    const std::string name(300, 'n');
    root.SetAtGrow(0, Group(name.c_str(), {}));
    const Bytes expected = Concat({{0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0}, {1, 0},
                                   {0xFF, 0xFF, 0, 0, 10, 0}, Text("cImageList"),
                                   {0, 0, 0, 0, 0, 0}, {0xFF, 0x2C, 0x01}, Text(name), {0, 0, 0, 0},
                                   kRootTail, kInitialSettings});
    EXPECT_EQ(expected, Save(root, options));
}

TEST(ProjectFile, SettingsAreStoredInOrder)
{
    cImageList root;
    cGifOptions options;
    options.m_strOutput = "D:\\out.gif";
    options.m_nTransparency = 2;
    options.m_bExpand = TRUE;
    options.m_nFrameRate = 0x1234;
    options.m_nLoopCount = 0xBEEF;
    options.m_wReserved = 0x0102;
    const Bytes expected = Concat({{0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0}, {0, 0}, kRootTail,
                                   {0, 0, 0, 0}, Str("D:\\out.gif"), {2, 0, 0, 0, 1, 0, 0, 0},
                                   {0x34, 0x12, 0xEF, 0xBE, 0x02, 0x01}});
    const Bytes bytes = Save(root, options);
    EXPECT_EQ(expected, bytes);

    cImageList loadedRoot;
    cGifOptions loaded;
    ASSERT_EQ(-1, Load(bytes, loadedRoot, loaded));
    EXPECT_STREQ("D:\\out.gif", static_cast<LPCSTR>(loaded.m_strOutput));
    EXPECT_EQ(2, loaded.m_nTransparency);
    EXPECT_EQ(TRUE, loaded.m_bExpand);
    EXPECT_EQ(0x1234, loaded.m_nFrameRate);
    EXPECT_EQ(0xBEEF, loaded.m_nLoopCount);
    EXPECT_EQ(0x0102, loaded.m_wReserved);
}

TEST(ProjectFile, TreesRoundTrip)
{
    const int nLive = cTestNode::GetLiveCount();
    Bytes saved;
    std::string described;
    {
        cImageList root;
        cGifOptions options;
        root.SetAtGrow(0, Group("walk", {new cImageFile("C:\\walk1.bmp"), new cImageFile("C:\\walk2.bmp")}));
        root.SetAtGrow(1, new cAVIFile("C:\\clips\\clip.avi"));
        root.SetAtGrow(2, Group("outer", {Group("inner", {Group("", {}), new cImageFile("x.bmp")}),
                                          new cAVIFile("m.avi")}));
        root.SetAtGrow(3, new cImageFile(""));
        saved = Save(root, options);
        described = Describe(&root);
    }
    EXPECT_EQ(nLive, cTestNode::GetLiveCount());

    cImageList loaded;
    cGifOptions options;
    ASSERT_EQ(-1, Load(saved, loaded, options));
    EXPECT_EQ(described, Describe(&loaded));
    EXPECT_EQ(saved, Save(loaded, options));       // saving again gives the same bytes
    cTestNode* movie = loaded.GetChild(1);
    ASSERT_TRUE(movie->IsKindOf(RUNTIME_CLASS(cAVIFile)));
    EXPECT_EQ(cTestNode::typeMovie, movie->m_nType);
    EXPECT_STREQ("C:\\clips\\clip.avi", static_cast<LPCSTR>(static_cast<cAVIFile*>(movie)->m_strPath));
    loaded.DeleteAll();
    EXPECT_EQ(nLive + 1, cTestNode::GetLiveCount());   // the root alone
}

TEST(ProjectFile, LoadingReplacesTheRootsChildren)
{
    const int nLive = cTestNode::GetLiveCount();
    cImageList root;
    cGifOptions options;
    root.SetAtGrow(0, new cImageFile("old.bmp"));
    ASSERT_EQ(-1, Load(Bytes(kWorkedExample, kWorkedExample + 150), root, options));
    EXPECT_EQ(2, root.GetChildCount());
    EXPECT_STREQ("C:\\A.BMP", root.GetChild(0)->GetName());
    EXPECT_EQ(nLive + 1 + 3, cTestNode::GetLiveCount());   // the root and the three loaded nodes
}

TEST(ProjectFile, VersionZeroKeepsTheSettings)
{
    Bytes bytes(kWorkedExample, kWorkedExample + 131);      // up to the settings
    bytes[4] = 0;
    cImageList root;
    cGifOptions options;
    options.m_strOutput = "kept.gif";
    options.m_nFrameRate = 25;
    options.m_nTransparency = 0;
    ASSERT_EQ(-1, Load(bytes, root, options));
    EXPECT_EQ(2, root.GetChildCount());
    EXPECT_STREQ("kept.gif", static_cast<LPCSTR>(options.m_strOutput));
    EXPECT_EQ(25, options.m_nFrameRate);
    EXPECT_EQ(0, options.m_nTransparency);
}

TEST(ProjectFile, OtherRecordVersions)
{
    // Node and list versions other than 0 are read past.
    Bytes bytes(kWorkedExample, kWorkedExample + 150);
    bytes[28] = 7;      // node version of the first image
    bytes[41] = 9;      // its list version
    bytes[118] = 3;     // the group's list version
    cImageList root;
    cGifOptions options;
    ASSERT_EQ(-1, Load(bytes, root, options));
    EXPECT_STREQ("B", root.GetChild(1)->GetName());

    // A settings record of another version ends after it and changes nothing.
    Bytes settings = Concat({Bytes(kWorkedExample, kWorkedExample + 131), {1, 0, 0, 0}});
    options.m_nFrameRate = 12;
    ASSERT_EQ(-1, Load(settings, root, options));
    EXPECT_EQ(12, options.m_nFrameRate);

    // An image record of file version 1 has no path: what follows belongs to the root.
    const Bytes noPath = Concat({{0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0}, {1, 0}, kImageClass,
                                 {0, 0, 0, 0, 0, 0}, Str("name"), {0, 0, 0, 0}, {1, 0, 0, 0},
                                 kRootTail, kInitialSettings});
    ASSERT_EQ(-1, Load(noPath, root, options));
    cImageFile* image = static_cast<cImageFile*>(root.GetChild(0));
    EXPECT_TRUE(image->m_strPath.IsEmpty());
    EXPECT_STREQ("name", image->GetName());
}

TEST(ProjectFile, LeafWithElementsKeepsThemHidden)
{
    const int nLive = cTestNode::GetLiveCount();
    // An image whose record holds one group element.
    const Bytes bytes = Concat({{0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0}, {1, 0}, kImageClass,
                                {1, 0}, {0xFF, 0xFF, 0, 0, 10, 0}, Text("cImageList"),
                                {0, 0, 0, 0, 0, 0}, Str("hidden"), {0, 0, 0, 0},
                                {0, 0, 0, 0}, Str("a.bmp"), {0, 0, 0, 0}, {0, 0, 0, 0}, Str("a.bmp"),
                                kRootTail, kInitialSettings});
    {
        cImageList root;
        cGifOptions options;
        ASSERT_EQ(-1, Load(bytes, root, options));
        cTestNode* image = root.GetChild(0);
        EXPECT_EQ(0, image->GetChildCount());
        EXPECT_EQ(nullptr, image->GetChild(0));
        EXPECT_EQ(1, image->GetSize());
        EXPECT_EQ(bytes, Save(root, options));     // written back as it came
    }
    EXPECT_EQ(nLive, cTestNode::GetLiveCount());   // and deleted with the node
}

TEST(ProjectFile, ProjectMark)
{
    EXPECT_TRUE(cProjectFile::HasProjectMark(kWorkedExample, 4));
    EXPECT_FALSE(cProjectFile::HasProjectMark(kWorkedExample, 3));
    EXPECT_FALSE(cProjectFile::HasProjectMark("BM\x36\x04", 4));
    EXPECT_FALSE(cProjectFile::HasProjectMark(nullptr, 4));
}
