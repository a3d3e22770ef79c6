// Run beside a scripted "AVIFIL32.DLL": the reader refuses a stream format it
// cannot read or that is not a whole bitmap header, and releases, on every
// path, exactly what it acquired.
#include "AVIFile.h"
#include "AVIReader.h"
#include "DrawDib.h"
#include "MemoryException.h"
#include "MovieFiles.h"

#include <gtest/gtest.h>
#include <string>

namespace {

enum { scriptNoSize, scriptShort, scriptReadFails, scriptHuge, scriptGood };
enum { countInit, countExit, countOpen, countFileRelease, countStream, countStreamRelease,
       countFrameOpen, countFrameClose, countTotal };

typedef void (__stdcall* SetScriptProc)(int);
typedef void (__stdcall* GetCountsProc)(LONG*);

// Holds the stand-in loaded, so that its script and counts outlive each
// reader's own load and unload.
class ScriptedLibrary : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_hModule = ::LoadLibraryA("AVIFIL32.DLL");
        ASSERT_NE(nullptr, m_hModule);
        m_pfnSetScript = reinterpret_cast<SetScriptProc>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_hModule, "FakeSetScript")));
        m_pfnGetCounts = reinterpret_cast<GetCountsProc>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_hModule, "FakeGetCounts")));
        ASSERT_NE(nullptr, m_pfnSetScript) << "Wine loaded its own AVIFile, not the stand-in";
        ASSERT_NE(nullptr, m_pfnGetCounts);
    }
    void TearDown() override
    {
        if (m_hModule != nullptr)
            ::FreeLibrary(m_hModule);
    }

    void Counts(LONG* pCounts) { m_pfnGetCounts(pCounts); }

    // Everything acquired was released, once.
    void ExpectBalanced(const LONG* pBefore)
    {
        LONG after[countTotal];
        Counts(after);
        EXPECT_EQ(after[countInit] - pBefore[countInit], after[countExit] - pBefore[countExit]);
        EXPECT_EQ(after[countOpen] - pBefore[countOpen], after[countFileRelease] - pBefore[countFileRelease]);
        EXPECT_EQ(after[countStream] - pBefore[countStream], after[countStreamRelease] - pBefore[countStreamRelease]);
        EXPECT_EQ(after[countFrameOpen] - pBefore[countFrameOpen], after[countFrameClose] - pBefore[countFrameClose]);
    }

    HMODULE m_hModule = nullptr;
    SetScriptProc m_pfnSetScript = nullptr;
    GetCountsProc m_pfnGetCounts = nullptr;
};

TEST_F(ScriptedLibrary, FormatsThatCannotBeReadKeepTheMovieClosed)
{
    const std::string strPath = moviefiles::Path("notmovie.avi");     // any file that exists
    for (int nScript : {scriptNoSize, scriptShort, scriptReadFails, scriptHuge}) {
        SCOPED_TRACE(nScript);
        m_pfnSetScript(nScript);
        LONG before[countTotal], after[countTotal];
        Counts(before);
        bool bOpened = true;
        try {
            cAVIReader reader(strPath.c_str());
        } catch (CMemoryException* e) {
            e->Delete();
            bOpened = false;
        }
        EXPECT_FALSE(bOpened);
        Counts(after);
        EXPECT_EQ(1, after[countOpen] - before[countOpen]);
        EXPECT_EQ(1, after[countStream] - before[countStream]);
        EXPECT_EQ(0, after[countFrameOpen] - before[countFrameOpen]) << "decoder opened without a format";
        ExpectBalanced(before);

        cAVIFile node(strPath.c_str());
        EXPECT_FALSE(node.Open());
        EXPECT_EQ(nullptr, node.GetFrameFormat(0));
        node.Close();
        ExpectBalanced(before);
    }
}

TEST_F(ScriptedLibrary, AReadableFormatOpensAndEverythingIsReleased)
{
    m_pfnSetScript(scriptGood);
    LONG before[countTotal], open[countTotal];
    Counts(before);
    {
        cAVIFile node(moviefiles::Path("notmovie.avi").c_str());
        ASSERT_TRUE(node.Open());
        Counts(open);
        EXPECT_EQ(1, open[countInit] - before[countInit]);
        EXPECT_EQ(1, open[countFrameOpen] - before[countFrameOpen]);
        EXPECT_EQ(0, open[countFrameClose] - before[countFrameClose]);
        cDrawDib* pFormat = node.GetFrameFormat(0);
        ASSERT_NE(nullptr, pFormat);
        EXPECT_EQ(24, pFormat->GetBitCount());
        EXPECT_EQ(0, pFormat->GetColorCount());
        delete pFormat;
        EXPECT_EQ(nullptr, node.GetFrame(0));       // the stand-in decodes nothing
        node.Close();
    }
    ExpectBalanced(before);
}

} // namespace
