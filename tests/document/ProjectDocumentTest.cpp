// The project document's export settings across New and Open: they stay in
// force until a project that holds settings replaces them. The projects are
// read through CTestDoc alone; this file names none of the node classes, so
// the archive finds them only through RegisterProjectClasses.
#include "ProjectFiles.h"
#include "TestDoc.h"
#include "WinApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace projects;

namespace {

class CRecordingApp : public CWinApp
{
public:
    CRecordingApp() : CWinApp("ProjectDocumentTest") {}
    int DoMessageBox(LPCSTR lpszPrompt, UINT, UINT) override
    {
        m_messages.push_back(lpszPrompt);
        return IDOK;
    }
    std::vector<std::string> m_messages;
};

CRecordingApp theApp;

// A movie and a sequence of one image, as a version-0 program wrote them:
// no settings record after the tree.
const Bytes kVersionZeroProject = Concat({
    {0xED, 0xFE, 0xCE, 0xFA},                       // mark
    {0x00, 0x00, 0x00, 0x00},                       // document version 0
    {0x02, 0x00},                                   // root: 2 children
    {0xFF, 0xFF, 0x00, 0x00, 0x08, 0x00}, Text("cAVIFile"),     // class 1; object 2
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, Str("C:\\M.AVI"),     // no children, node version, name
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, Str("C:\\M.AVI"),   // list and file versions, path
    {0xFF, 0xFF, 0x00, 0x00, 0x0A, 0x00}, Text("cImageList"),   // class 3; object 4
    {0x01, 0x00},                                               // 1 child
    {0xFF, 0xFF, 0x00, 0x00, 0x0A, 0x00}, Text("cImageFile"),   // class 5; object 6
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, Str("C:\\A.BMP"),
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, Str("C:\\A.BMP"),
    {0x00, 0x00, 0x00, 0x00}, Str("walk"), {0x00, 0x00, 0x00, 0x00},   // sequence: versions, name
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},             // root: versions, empty name
});

// The same project from a version-1 program, with its settings record.
Bytes VersionOneProject()
{
    Bytes bytes = kVersionZeroProject;
    bytes[4] = 0x01;
    return Concat({bytes,
                   {0x00, 0x00, 0x00, 0x00}, Str("stored.gif"),         // settings version, output
                   {0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00},    // transparency 2, expand
                   {0x0A, 0x00, 0x03, 0x00, 0x00, 0x00}});              // rate 10, loop 3, reserved
}

void SetSessionSettings(cGifOptions& options)
{
    options.m_strOutput = "C:\\session.gif";
    options.m_nFrameRate = 25;
    options.m_nLoopCount = 7;
    options.m_nTransparency = cGifOptions::transparencyNone;
    options.m_bExpand = FALSE;
}

void ExpectSessionSettings(const cGifOptions& options, const char* pszWhen)
{
    EXPECT_STREQ("C:\\session.gif", static_cast<LPCSTR>(options.m_strOutput)) << pszWhen;
    EXPECT_EQ(25, options.m_nFrameRate) << pszWhen;
    EXPECT_EQ(7, options.m_nLoopCount) << pszWhen;
    EXPECT_EQ(cGifOptions::transparencyNone, options.m_nTransparency) << pszWhen;
    EXPECT_FALSE(options.m_bExpand) << pszWhen;
}

std::string WriteProject(const char* pszName, const Bytes& bytes)
{
    const std::string path = testsupport::WorkPath(pszName);
    EXPECT_TRUE(testsupport::WriteFileBytes(path, bytes.data(), bytes.size()));
    return path;
}

} // namespace

TEST(ProjectDocument, NewAndAVersionZeroProjectKeepTheSettingsInForce)
{
    theApp.m_messages.clear();
    CTestDoc doc;
    SetSessionSettings(doc.m_options);
    doc.AddFile("C:\\x.bmp");

    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(0, doc.GetTopLevelCount());
    ExpectSessionSettings(doc.m_options, "after New");

    const std::string path = WriteProject("version0.seq", kVersionZeroProject);
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str())) << (theApp.m_messages.empty() ? "" : theApp.m_messages[0]);
    ASSERT_EQ(2, doc.GetTopLevelCount());
    EXPECT_EQ(cTestNode::typeMovie, doc.m_root.GetChild(0)->m_nType);
    cTestNode* pSequence = doc.m_root.GetChild(1);
    EXPECT_STREQ("walk", pSequence->GetName(-1));
    ASSERT_EQ(1, pSequence->GetChildCount());
    EXPECT_EQ(cTestNode::typeImage, pSequence->GetChild(0)->m_nType);
    ExpectSessionSettings(doc.m_options, "after opening a version-0 project");
    EXPECT_TRUE(theApp.m_messages.empty());
    ::DeleteFileA(path.c_str());
}

TEST(ProjectDocument, AProjectWithSettingsReplacesThem)
{
    CTestDoc doc;
    SetSessionSettings(doc.m_options);
    const std::string path = WriteProject("version1.seq", VersionOneProject());
    ASSERT_TRUE(doc.OnOpenDocument(path.c_str()));
    EXPECT_EQ(2, doc.GetTopLevelCount());
    EXPECT_STREQ("stored.gif", static_cast<LPCSTR>(doc.m_options.m_strOutput));
    EXPECT_EQ(10, doc.m_options.m_nFrameRate);
    EXPECT_EQ(3, doc.m_options.m_nLoopCount);
    EXPECT_EQ(cGifOptions::transparencyEachImage, doc.m_options.m_nTransparency);
    EXPECT_TRUE(doc.m_options.m_bExpand);

    // New after it keeps what the project brought.
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(10, doc.m_options.m_nFrameRate);
    ::DeleteFileA(path.c_str());
}
