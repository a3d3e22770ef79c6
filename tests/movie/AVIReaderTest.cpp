// cAVIReader on real movies through Wine's AVIFile: formats, frame counts,
// decoding, refusals and 8.3 paths. (Wine's COM keeps AVIFile loaded once a
// file was opened, so unloading is checked where no file is opened: NoLibraryTest.)
#include "AVIReader.h"
#include "MemoryException.h"
#include "MovieFiles.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct MovieCase
{
    const char* pszFile;
    DWORD dwFrames, dwRate;
    LONG nWidth, nFormatHeight;     // the stored format's height: negative when top-down
    WORD nFormatBits, nFrameBits;   // stored format and decoder output
};

const MovieCase kMovies[] = {
    {"raw_topdown.avi",  5, 5,  30, -20, 8,  8},
    {"raw_bottomup.avi", 5, 5,  30, 20,  8,  8},
    {"cinepak.avi",      6, 10, 32, 24,  24, 24},
    {"msvideo1.avi",     6, 10, 32, 24,  16, 16},
    {"a folder with a long name\\a movie with a long name.avi", 5, 5, 30, -20, 8, 8},
};

// The reader, or null when its construction threw the memory exception.
std::unique_ptr<cAVIReader> OpenReader(const std::string& strPath)
{
    try {
        return std::unique_ptr<cAVIReader>(new cAVIReader(strPath.c_str()));
    } catch (CMemoryException* e) {
        e->Delete();
    } catch (...) {
        ADD_FAILURE() << "unexpected exception for " << strPath;
    }
    return nullptr;
}

TEST(AVIReader, ReadsEachMovie)
{
    for (const MovieCase& m : kMovies) {
        SCOPED_TRACE(m.pszFile);
        std::unique_ptr<cAVIReader> reader = OpenReader(moviefiles::Path(m.pszFile));
        ASSERT_NE(nullptr, reader);

        AVIFILEINFOA info;
        ASSERT_EQ(0, reader->GetFileInfo(&info));
        EXPECT_EQ(m.dwFrames, info.dwLength);
        EXPECT_EQ(m.dwRate, info.dwRate);
        EXPECT_EQ(static_cast<DWORD>(m.nWidth), info.dwWidth);
        EXPECT_EQ(static_cast<DWORD>(std::abs(m.nFormatHeight)), info.dwHeight);
        EXPECT_EQ(AVIERR_BADPARAM, reader->GetFileInfo(nullptr));

        const BITMAPINFOHEADER* pFormat = reader->GetFormat();
        ASSERT_NE(nullptr, pFormat);
        EXPECT_EQ(m.nWidth, pFormat->biWidth);
        EXPECT_EQ(m.nFormatHeight, pFormat->biHeight);
        EXPECT_EQ(m.nFormatBits, pFormat->biBitCount);
        EXPECT_EQ(m.nFormatBits == 8 ? 40 + 256 * 4 : 40, reader->GetFormatSize());

        for (LONG n = 0; n < static_cast<LONG>(m.dwFrames); ++n) {
            const BITMAPINFOHEADER* pFrame = reader->GetFrame(n);
            ASSERT_NE(nullptr, pFrame) << "frame " << n;
            EXPECT_EQ(m.nWidth, pFrame->biWidth);
            EXPECT_EQ(m.nFrameBits, pFrame->biBitCount);
        }
        EXPECT_EQ(nullptr, reader->GetFrame(static_cast<LONG>(m.dwFrames)));
        EXPECT_EQ(nullptr, reader->GetFrame(-1));
    }
}

TEST(AVIReader, RefusesWhatItCannotRead)
{
    const std::string strLong(300, 'x');
    const std::string cases[] = {
        moviefiles::Path("notmovie.avi"),       // AVIFile cannot open it
        moviefiles::Path("soundonly.avi"),      // opens, but has no video stream
        moviefiles::Path("shortformat.avi"),    // its format is not a whole bitmap header
        moviefiles::Path("missing.avi"),        // no directory entry
        moviefiles::Path("raw_*.avi"),          // a wildcard would find some other file
        moviefiles::Path("a folder with a long name"),      // a folder
        moviefiles::Path("a folder with a long name\\"),    // no file name
        moviefiles::Path(strLong + ".avi"),     // longer than a path can be
        "",
    };
    for (const std::string& strPath : cases)
        EXPECT_EQ(nullptr, OpenReader(strPath)) << strPath;
}

TEST(AVIReader, ReadersOfOneMovieAreIndependent)
{
    std::unique_ptr<cAVIReader> first = OpenReader(moviefiles::Path("raw_topdown.avi"));
    std::unique_ptr<cAVIReader> second = OpenReader(moviefiles::Path("raw_topdown.avi"));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    first.reset();
    ASSERT_NE(nullptr, second->GetFrame(4));
    AVIFILEINFOA info;
    EXPECT_EQ(0, second->GetFileInfo(&info));
    EXPECT_EQ(5u, info.dwLength);
}

TEST(AVIReader, BuildsTheShortPath)
{
    const std::string strLong = moviefiles::Path("a folder with a long name\\a movie with a long name.avi");
    char szShort[MAX_PATH];
    ASSERT_TRUE(cAVIReader::BuildShortPath(strLong.c_str(), szShort, MAX_PATH));
    char szExpected[MAX_PATH];
    ASSERT_NE(0u, ::GetShortPathNameA(strLong.c_str(), szExpected, MAX_PATH));
    EXPECT_STREQ(szExpected, szShort);
    EXPECT_EQ(nullptr, std::strchr(szShort, ' '));

    // A name that is already 8.3 is kept as it is.
    const std::string strPlain = moviefiles::Path("notmovie.avi");
    ASSERT_TRUE(cAVIReader::BuildShortPath(strPlain.c_str(), szShort, MAX_PATH));
    EXPECT_STREQ("notmovie.avi", std::strrchr(szShort, '\\') + 1);

    // Too small a buffer fails and leaves an empty string, never a cut path.
    const size_t nNeeded = std::strlen(szExpected) + 1;
    char szSmall[MAX_PATH];
    ::memset(szSmall, '#', sizeof(szSmall));
    EXPECT_FALSE(cAVIReader::BuildShortPath(strLong.c_str(), szSmall, static_cast<int>(nNeeded - 1)));
    EXPECT_EQ('\0', szSmall[0]);
    EXPECT_TRUE(cAVIReader::BuildShortPath(strLong.c_str(), szSmall, static_cast<int>(nNeeded)));
    EXPECT_FALSE(cAVIReader::BuildShortPath(nullptr, szSmall, MAX_PATH));
}

} // namespace
