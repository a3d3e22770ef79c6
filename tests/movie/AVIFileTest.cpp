// cAVIFile, the movie node: open counting, frames and formats of real movies
// compared with the pictures they were made from, movies that cannot be
// opened or come back, per-frame names and the node's project file record.
#include "AVIFile.h"
#include "DrawDib.h"
#include "MovieFiles.h"
#include "ProjectFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct NodeCase
{
    const char* pszFile;
    const char* pszSource;          // the .frames stem of an 8-bit movie, else null
    int nFrames;
    LONG nWidth, nHeight;
    WORD nFormatBits, nFrameBits;
};

const NodeCase kNodes[] = {
    {"raw_topdown.avi",  "raw", 5, 30, 20, 8,  8},
    {"raw_bottomup.avi", "raw", 5, 30, 20, 8,  8},
    {"cinepak.avi",      nullptr, 6, 32, 24, 24, 24},
    {"msvideo1.avi",     nullptr, 6, 32, 24, 16, 16},
};

void ExpectPaletteOf(const moviefiles::SourceFrames& source, const RGBQUAD* pColors, int nCount)
{
    ASSERT_EQ(256, nCount);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(source.palette[3 * i + 0], pColors[i].rgbRed) << "colour " << i;
        EXPECT_EQ(source.palette[3 * i + 1], pColors[i].rgbGreen) << "colour " << i;
        EXPECT_EQ(source.palette[3 * i + 2], pColors[i].rgbBlue) << "colour " << i;
    }
}

// Every pixel of the frame, rows kept bottom-up in the buffer, against the
// picture the movie was made from; stops at the first difference.
void ExpectPixelsOf(const moviefiles::SourceFrames& source, int nFrame, cDrawDib& dib)
{
    const uint8_t* pRows = static_cast<const uint8_t*>(dib.LockBits());
    ASSERT_NE(nullptr, pRows);
    const uint8_t* pExpected = source.Frame(nFrame);
    for (int y = 0; y < source.nHeight; ++y)
        for (int x = 0; x < source.nWidth; ++x) {
            const uint8_t got = moviefiles::BottomUpPixel(pRows, source.nWidth, source.nHeight, x, y);
            ASSERT_EQ(pExpected[y * source.nWidth + x], got) << "frame " << nFrame << " at " << x << "," << y;
        }
    dib.UnlockBits();
}

TEST(AVIFileNode, StartsClosed)
{
    cAVIFile node(moviefiles::Path("raw_topdown.avi").c_str());
    EXPECT_EQ(cTestNode::typeMovie, node.m_nType);
    EXPECT_EQ(node.m_strPath, node.m_strName);
    EXPECT_EQ(0, node.GetOpenCount());
    EXPECT_EQ(0, node.GetFrameCount());
    EXPECT_EQ(nullptr, node.GetFrame(0));
    EXPECT_EQ(nullptr, node.GetFrameFormat(0));
    AVIFILEINFOA info;
    info.dwRate = 12345;
    EXPECT_FALSE(node.GetFileInfo(&info));
    EXPECT_EQ(12345u, info.dwRate);
    EXPECT_EQ(0, node.GetChildCount());
    EXPECT_EQ(nullptr, node.GetChild(0));

    cAVIFile empty;
    EXPECT_EQ(cTestNode::typeMovie, empty.m_nType);
    EXPECT_TRUE(empty.m_strPath.IsEmpty());
    EXPECT_FALSE(empty.Open());
    empty.Close();
}

TEST(AVIFileNode, GivesEachMoviesFramesAndFormat)
{
    for (const NodeCase& c : kNodes) {
        SCOPED_TRACE(c.pszFile);
        moviefiles::SourceFrames source;
        if (c.pszSource != nullptr) {
            ASSERT_TRUE(moviefiles::LoadSourceFrames(c.pszSource, source));
        }

        cAVIFile node(moviefiles::Path(c.pszFile).c_str());
        ASSERT_TRUE(node.Open());
        EXPECT_EQ(c.nFrames, node.GetFrameCount());

        std::unique_ptr<cDrawDib> format(node.GetFrameFormat(3));
        ASSERT_NE(nullptr, format);
        EXPECT_EQ(c.nWidth, format->GetWidth());
        EXPECT_EQ(c.nHeight, format->GetHeight());     // kept bottom-up: always positive
        EXPECT_EQ(c.nFormatBits, format->GetBitCount());
        EXPECT_EQ(nullptr, format->LockBits());         // header and colours only
        if (c.pszSource != nullptr) {
            ExpectPaletteOf(source, format->GetColorTable(), format->GetColorCount());
        } else {
            EXPECT_EQ(0, format->GetColorCount());
        }

        for (int n = 0; n < c.nFrames; ++n) {
            std::unique_ptr<cDrawDib> frame(node.GetFrame(n));
            ASSERT_NE(nullptr, frame) << "frame " << n;
            EXPECT_EQ(c.nWidth, frame->GetWidth());
            EXPECT_EQ(c.nHeight, frame->GetHeight());
            EXPECT_EQ(c.nFrameBits, frame->GetBitCount());
            if (c.pszSource != nullptr) {
                ExpectPaletteOf(source, frame->GetColorTable(), frame->GetColorCount());
                ExpectPixelsOf(source, n, *frame);
            }
        }
        EXPECT_EQ(nullptr, node.GetFrame(c.nFrames));
        EXPECT_EQ(nullptr, node.GetFrame(-1));
        node.Close();
        EXPECT_EQ(0, node.GetFrameCount());
    }
}

TEST(AVIFileNode, MoviesThatCannotOpenYieldNothing)
{
    for (const char* pszFile : {"notmovie.avi", "soundonly.avi", "shortformat.avi", "missing.avi", "raw_*.avi"}) {
        SCOPED_TRACE(pszFile);
        cAVIFile node(moviefiles::Path(pszFile).c_str());
        for (int nTry = 0; nTry < 2; ++nTry) {      // each Open tries again
            EXPECT_FALSE(node.Open());
            EXPECT_EQ(0, node.GetOpenCount());
            EXPECT_EQ(0, node.GetFrameCount());
            EXPECT_EQ(nullptr, node.GetFrame(0));
            EXPECT_EQ(nullptr, node.GetFrameFormat(0));
            node.Close();
            EXPECT_EQ(0, node.GetOpenCount());
        }
    }
}

TEST(AVIFileNode, NestedOpensShareOneReader)
{
    cAVIFile node(moviefiles::Path("raw_bottomup.avi").c_str());
    ASSERT_TRUE(node.Open());
    const cAVIReader* pReader = node.m_pReader;
    ASSERT_TRUE(node.Open());
    EXPECT_EQ(2, node.GetOpenCount());
    EXPECT_EQ(pReader, node.m_pReader);
    node.Close();
    EXPECT_EQ(1, node.GetOpenCount());
    EXPECT_EQ(5, node.GetFrameCount());
    std::unique_ptr<cDrawDib> frame(node.GetFrame(2));
    EXPECT_NE(nullptr, frame);
    node.Close();
    EXPECT_EQ(0, node.GetOpenCount());
    EXPECT_EQ(nullptr, node.m_pReader);
    EXPECT_EQ(0, node.GetFrameCount());
    node.Close();                                   // one Close too many changes nothing
    EXPECT_EQ(0, node.GetOpenCount());
}

TEST(AVIFileNode, OpensAgainWhenTheFileComesBack)
{
    ASSERT_TRUE(moviefiles::Copy("raw_topdown.avi", "comeback.avi"));
    const std::string strPath = moviefiles::Path("comeback.avi");
    cAVIFile node(strPath.c_str());
    ASSERT_TRUE(node.Open());
    node.Close();

    ASSERT_TRUE(::DeleteFileA(strPath.c_str()));
    EXPECT_FALSE(node.Open());
    EXPECT_EQ(0, node.GetFrameCount());
    node.Close();

    ASSERT_TRUE(moviefiles::Copy("raw_topdown.avi", "comeback.avi"));
    ASSERT_TRUE(node.Open());
    EXPECT_EQ(5, node.GetFrameCount());
    AVIFILEINFOA info;
    ASSERT_TRUE(node.GetFileInfo(&info));
    EXPECT_EQ(5u, info.dwRate);
    EXPECT_EQ(30u, info.dwWidth);
    node.Close();
    ::DeleteFileA(strPath.c_str());
}

TEST(AVIFileNode, NamesEachFrame)
{
    const struct { const char* pszName; int nFrame; const char* pszExpected; } cases[] = {
        {"C:\\clips\\walk.avi", 7,    "C:\\clips\\walk007.avi"},
        {"C:\\clips\\walk.avi", 1234, "C:\\clips\\walk1234.avi"},
        {"C:\\clips\\walk.avi", 0,    "C:\\clips\\walk000.avi"},
        {"C:\\clips\\walk.avi", -1,   "C:\\clips\\walk.avi"},
        {"D:\\m\\a.b.avi",      0,    "D:\\m\\a.b000.avi"},
        {"D:\\m.x\\walk",       3,    "D:\\m.x\\walk003"},     // the folder's dot is no extension
        {"walk.avi",            12,   "walk012.avi"},
        {"",                    5,    "005"},
    };
    for (const auto& c : cases) {
        cAVIFile node(c.pszName);
        EXPECT_STREQ(c.pszExpected, node.GetName(c.nFrame)) << c.pszName << " " << c.nFrame;
    }

    // One buffer serves every movie node: the next call replaces the text.
    cAVIFile first("C:\\a.avi"), second("C:\\b.avi");
    LPCSTR pszFirst = first.GetName(1);
    EXPECT_STREQ("C:\\a001.avi", pszFirst);
    LPCSTR pszSecond = second.GetName(2);
    EXPECT_EQ(pszFirst, pszSecond);
    EXPECT_STREQ("C:\\b002.avi", pszFirst);
}

std::vector<BYTE> Bytes(const std::string& text)
{
    return std::vector<BYTE>(text.begin(), text.end());
}

TEST(AVIFileNode, StoresItsRecordInTheProjectFile)
{
    const std::string strFile = testsupport::WorkPath("movie.seq");
    {
        cImageList root;
        cGifOptions options;
        root.Add(new cAVIFile("C:\\M.AVI"));
        CFile file;
        ASSERT_TRUE(file.Open(strFile.c_str(), CFile::modeCreate | CFile::modeWrite));
        CArchive ar(&file, CArchive::store);
        cProjectFile::Store(ar, root, options);
        ar.Close();
        file.Close();
    }
    const std::vector<BYTE> bytes = testsupport::ReadFileBytes(strFile);
    std::vector<BYTE> expected = {0xED, 0xFE, 0xCE, 0xFA, 1, 0, 0, 0,   // mark, version 1
                                  1, 0,                                 // root: one child
                                  0xFF, 0xFF, 0, 0, 8, 0};              // new class, schema 0, name length 8
    static const char kRecord[] =
        "cAVIFile"
        "\0\0"  // no children
        "\0\0\0\0"  // node version
        "\x08" "C:\\M.AVI"  // name
        "\0\0\0\0"  // list version
        "\0\0\0\0"  // file version
        "\x08" "C:\\M.AVI";  // path
    const std::string record(kRecord, sizeof(kRecord) - 1);
    const std::vector<BYTE> recordBytes = Bytes(record);
    expected.insert(expected.end(), recordBytes.begin(), recordBytes.end());
    ASSERT_GE(bytes.size(), expected.size());
    EXPECT_EQ(expected, std::vector<BYTE>(bytes.begin(), bytes.begin() + expected.size()));
    EXPECT_EQ(expected.size() + 9 + 19, bytes.size());  // root's own fields, settings

    cImageList root;
    cGifOptions options;
    CFile file;
    ASSERT_TRUE(file.Open(strFile.c_str(), CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    cProjectFile::Load(ar, root, options);
    ASSERT_EQ(1, root.GetSize());
    cAVIFile* pMovie = dynamic_cast<cAVIFile*>(root.GetAt(0));
    ASSERT_NE(nullptr, pMovie);
    EXPECT_EQ(cTestNode::typeMovie, pMovie->m_nType);
    EXPECT_STREQ("C:\\M.AVI", pMovie->m_strPath);
    EXPECT_STREQ("C:\\M.AVI", pMovie->GetName());
    EXPECT_EQ(0, pMovie->GetOpenCount());
    ::DeleteFileA(strFile.c_str());
}

} // namespace

// Uncompressed frames stored with bit fields come out as the same pictures
// as their plain twins (the platform's decoder would hand them back in
// another layout); masks that overlap are refused with that reason.
TEST(AVIFileNode, BitFieldMoviesReadLikeTheirPlainTwins)
{
    for (const char* kind : {"565", "555", "888", "bgr", "565_topdown", "888_topdown", "bgr_topdown"}) {
        cAVIFile fields(moviefiles::Path(std::string("fields") + kind + ".avi").c_str());
        cAVIFile plain(moviefiles::Path(std::string("plain") + kind + ".avi").c_str());
        ASSERT_TRUE(fields.Open() && plain.Open()) << kind;
        ASSERT_EQ(3, plain.GetFrameCount());
        ASSERT_EQ(3, fields.GetFrameCount());
        for (int i = 0; i < 3; ++i) {
            std::unique_ptr<cDrawDib> got(fields.GetFrame(i)), want(plain.GetFrame(i));
            ASSERT_TRUE(got != nullptr && want != nullptr) << kind << " frame " << i;
            EXPECT_EQ(want->GetBitCount(), got->GetBitCount()) << kind;
            ASSERT_EQ(want->GetBitsSize(), got->GetBitsSize()) << kind;
            EXPECT_EQ(0, memcmp(want->LockBits(), got->LockBits(), want->GetBitsSize())) << kind << " frame " << i;
        }
        fields.Close();
        plain.Close();
    }
    cAVIFile bad(moviefiles::Path("badmasks.avi").c_str());
    ASSERT_TRUE(bad.Open());
    EXPECT_EQ(nullptr, bad.GetFrame(0));
    EXPECT_STREQ("has bit-field masks that overlap", bad.GetFrameRefusal());
    bad.Close();
}
