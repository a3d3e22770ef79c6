// cLibrary and cAVIFileLibrary: binding all its names or none, against Wine's
// AVIFile library and stand-ins that export all or all but one of them.
#include "AVIFileLibrary.h"
#include "AfxString.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The same library under another name.
class cNamedAVIFileLibrary : public cAVIFileLibrary
{
public:
    explicit cNamedAVIFileLibrary(const std::string& strName) : m_strName(strName) {}
    void GetLibraryName(CString& strName) const override { strName = m_strName.c_str(); }

private:
    std::string m_strName;
};

std::string StandIn(const char* pszName)
{
    return testsupport::EnvPath("FAKE_AVIFILE_DIR") + "\\" + pszName + ".dll";
}

void ExpectNothingBound(const cAVIFileLibrary& lib)
{
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(nullptr, lib.GetModule());
    for (int i = 0; i < cAVIFileLibrary::GetFunctionCount(); ++i)
        EXPECT_EQ(nullptr, lib.GetFunction(i)) << cAVIFileLibrary::GetFunctionName(i);
}

void ExpectAllBoundFrom(const cAVIFileLibrary& lib, HMODULE hModule)
{
    ASSERT_NE(nullptr, hModule);
    EXPECT_EQ(hModule, lib.GetModule());
    for (int i = 0; i < cAVIFileLibrary::GetFunctionCount(); ++i) {
        const char* pszName = cAVIFileLibrary::GetFunctionName(i);
        const FARPROC pfn = ::GetProcAddress(hModule, pszName);
        EXPECT_NE(nullptr, pfn) << pszName;
        EXPECT_EQ(pfn, lib.GetFunction(i)) << pszName;
    }
}

TEST(AVIFileLibrary, BindsAllItsNamesOfTheSystemLibrary)
{
    cAVIFileLibrary lib;
    ExpectNothingBound(lib);
    CString strName;
    lib.GetLibraryName(strName);
    EXPECT_STREQ("AVIFIL32.DLL", strName);
    EXPECT_EQ(15, cAVIFileLibrary::GetFunctionCount());
    EXPECT_STREQ("AVIFileInit", cAVIFileLibrary::GetFunctionName(0));
    EXPECT_STREQ("AVIStreamGetFrameClose", cAVIFileLibrary::GetFunctionName(13));
    EXPECT_STREQ("AVIStreamRead", cAVIFileLibrary::GetFunctionName(14));
    EXPECT_EQ(nullptr, cAVIFileLibrary::GetFunctionName(15));
    EXPECT_EQ(nullptr, cAVIFileLibrary::GetFunctionName(-1));

    ASSERT_TRUE(lib.Load());
    EXPECT_EQ(32u, lib.GetLoadError());
    ExpectAllBoundFrom(lib, ::GetModuleHandleA("AVIFIL32.DLL"));

    lib.Unload();
    ExpectNothingBound(lib);
    EXPECT_EQ(32u, lib.GetLoadError());
}

TEST(AVIFileLibrary, BindsByNameFromAStandIn)
{
    const std::string strPath = StandIn("fake_avifile_all");
    cNamedAVIFileLibrary lib(strPath);
    ASSERT_TRUE(lib.Load());
    ExpectAllBoundFrom(lib, ::GetModuleHandleA(strPath.c_str()));
    EXPECT_NE(lib.GetFunction(0), ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
}

TEST(AVIFileLibrary, ALibraryLackingOneNameBindsNone)
{
    for (const char* pszStandIn : {"fake_avifile_no_frameclose", "fake_avifile_no_init"}) {
        SCOPED_TRACE(pszStandIn);
        const std::string strPath = StandIn(pszStandIn);
        cNamedAVIFileLibrary lib(strPath);
        EXPECT_FALSE(lib.Load());
        ExpectNothingBound(lib);
        EXPECT_EQ(32u, lib.GetLoadError());     // it loaded; the names failed
        EXPECT_EQ(nullptr, ::GetModuleHandleA(strPath.c_str())) << "left loaded";
    }
}

TEST(AVIFileLibrary, AMissingLibraryFailsQuietly)
{
    cNamedAVIFileLibrary missing(testsupport::WorkPath("no_such_library.dll"));
    EXPECT_FALSE(missing.Load());
    EXPECT_LE(missing.GetLoadError(), 32u);
    ExpectNothingBound(missing);

    cNamedAVIFileLibrary unnamed("");
    EXPECT_FALSE(unnamed.Load());
    ExpectNothingBound(unnamed);
}

TEST(AVIFileLibrary, UnboundCallsAreNotMade)
{
    cAVIFileLibrary lib;
    lib.FileInit();
    lib.FileExit();
    PAVIFILE pFile = nullptr;
    PAVISTREAM pStream = nullptr;
    AVIFILEINFOA info;
    LONG cb = 0;
    EXPECT_EQ(AVIERR_ERROR, lib.FileOpen(&pFile, "x.avi", 0, nullptr));
    EXPECT_EQ(AVIERR_ERROR, lib.FileInfo(pFile, &info, sizeof(info)));
    EXPECT_EQ(AVIERR_ERROR, lib.FileGetStream(pFile, &pStream, streamtypeVIDEO, 0));
    EXPECT_EQ(AVIERR_ERROR, lib.FileRelease(pFile));
    EXPECT_EQ(AVIERR_ERROR, lib.StreamReadFormat(pStream, 0, nullptr, &cb));
    EXPECT_EQ(AVIERR_ERROR, lib.StreamRelease(pStream));
    EXPECT_EQ(nullptr, lib.StreamGetFrameOpen(pStream, nullptr));
    EXPECT_EQ(nullptr, lib.StreamGetFrame(nullptr, 0));
    EXPECT_EQ(AVIERR_ERROR, lib.StreamGetFrameClose(nullptr));
}

TEST(AVIFileLibrary, DestructionUnloads)
{
    const std::string strPath = StandIn("fake_avifile_all");
    {
        cNamedAVIFileLibrary lib(strPath);
        ASSERT_TRUE(lib.Load());
        ASSERT_TRUE(lib.Load());        // already loaded: no second reference
        EXPECT_NE(nullptr, ::GetModuleHandleA(strPath.c_str()));
    }
    EXPECT_EQ(nullptr, ::GetModuleHandleA(strPath.c_str()));
}

} // namespace
