// Run from a folder whose "AVIFIL32.DLL" lacks one of the 50 names: the
// movie that opens elsewhere cannot be opened here.
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
    EXPECT_EQ(nullptr, ::GetProcAddress(hModule, "EditStreamSetInfoA"));
    ::FreeLibrary(hModule);
}

TEST(MovieWithoutLibrary, ReaderCannotOpen)
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
}

} // namespace
