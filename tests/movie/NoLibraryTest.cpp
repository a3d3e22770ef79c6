// Run from a folder whose "AVIFIL32.DLL" lacks one of the names we bind: the
// movie that opens elsewhere cannot be opened here.
#include "AVIFile.h"
#include "AVIReader.h"
#include "MemoryException.h"
#include "MovieFiles.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(MovieWithoutLibrary, TheStandInIsTheLibraryLoaded)
{
    HMODULE hModule = ::LoadLibraryA("AVIFIL32.DLL");
    ASSERT_NE(nullptr, hModule);
    EXPECT_NE(nullptr, ::GetProcAddress(hModule, "AVIFileOpenA"));
    EXPECT_EQ(nullptr, ::GetProcAddress(hModule, "AVIStreamGetFrameClose"));
    ::FreeLibrary(hModule);
}

TEST(MovieWithoutLibrary, NoMovieOpens)
{
    bool bOpened = true;
    try {
        cAVIReader reader(moviefiles::Path("raw_topdown.avi").c_str());
    } catch (CMemoryException* e) {
        e->Delete();
        bOpened = false;
    }
    EXPECT_FALSE(bOpened);
    EXPECT_EQ(nullptr, ::GetModuleHandleA("AVIFIL32.DLL"));

    cAVIFile node(moviefiles::Path("raw_topdown.avi").c_str());
    EXPECT_FALSE(node.Open());
    EXPECT_EQ(0, node.GetFrameCount());
    EXPECT_EQ(nullptr, node.GetFrame(0));
    node.Close();
    EXPECT_EQ(nullptr, ::GetModuleHandleA("AVIFIL32.DLL"));
}

} // namespace
