// The handler writing into the client's own stream (SetOutputStream of
// IGifStreamOptions4), through AVIFile: the bytes the file would have got,
// only before the first format, a failed write ending the output as for a
// file, the null device as the AVIFile name; and the options of
// IGifStreamOptions4 not built yet saying so.
#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include "ClientHarness.h"

using namespace handlertest;

namespace {

typedef AviFileTest StreamTest;

struct Way
{
    const char* what;
    BOOL differencing, parallel;
    bool trueColour;
};

// A 24-bit frame of smooth colour, moving with n.
void TrueColourFrame(LONG width, LONG height, int n, std::vector<BYTE>& format, std::vector<BYTE>& rows)
{
    format = MakeFormat(width, height, 24);
    format.resize(sizeof(BITMAPINFOHEADER));
    const size_t stride = (3 * static_cast<size_t>(width) + 3) & ~size_t(3);
    rows.assign(stride * height, 0);
    for (LONG y = 0; y < height; ++y)
        for (LONG x = 0; x < width; ++x) {
            BYTE* p = &rows[y * stride + 3 * x];
            p[0] = static_cast<BYTE>(x * 6 + n * 5), p[1] = static_cast<BYTE>(y * 9), p[2] = static_cast<BYTE>((x ^ y) * 4);
        }
}

// Writes the animation the way asks for: frames of noise, 8-bit or true colour.
void WriteFrames(ClientGif& gif, const Way& way, int nFrames, LONG width = 40, LONG height = 30)
{
    EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(way.differencing));
    EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(way.parallel));
    // After a failed write every call answers it; the tests look at when.
    bool bFailed = false;
    auto check = [&bFailed](HRESULT hr, int n) {
        EXPECT_TRUE(hr == S_OK ? !bFailed : hr == AVIERR_FILEWRITE) << "frame " << n << ": " << std::hex << hr;
        bFailed = bFailed || hr != S_OK;
    };
    for (int n = 0; n < nFrames; ++n) {
        std::vector<BYTE> format = MakeFormat(width, height), rows = PictureRows(width, height, n);
        if (way.trueColour)
            TrueColourFrame(width, height, n, format, rows);
        check(gif.Format(format), n);
        check(gif.Frame(rows), n);
    }
}

const Way kWays[] = {
    { "plain", FALSE, FALSE, false },
    { "differenced", TRUE, FALSE, false },
    { "differenced in parallel", TRUE, TRUE, false },
    { "true colour in parallel", FALSE, TRUE, true },
};

TEST_F(StreamTest, TheStreamGetsTheBytesTheFileWouldGet)
{
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.what);
        const std::string filePath = FreshPath("tofile.gif"), streamPath = FreshPath("tostream.gif");
        MemoryStream stream;
        {
            ClientGif gif(filePath);
            ASSERT_TRUE(gif.Ready());
            WriteFrames(gif, way, 6);
        }
        {
            ClientGif gif(streamPath);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&stream));
            WriteFrames(gif, way, 6);
        }
        const std::vector<BYTE> bytes = testsupport::ReadFileBytes(filePath);
        EXPECT_EQ(6u, ReadGifLayout(bytes).images.size());
        EXPECT_TRUE(stream.bytes == bytes);
        EXPECT_TRUE(testsupport::ReadFileBytes(streamPath).empty()) << "the file AVIFile opened stays empty";
        EXPECT_EQ(1, stream.Count()) << "released with the handler";
    }
}

TEST_F(StreamTest, TheStreamIsTakenOnlyBeforeTheFirstFormat)
{
    const std::string path = FreshPath("latestream.gif");
    MemoryStream early, late;
    {
        ClientGif gif(path);
        ASSERT_TRUE(gif.Ready());
        EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&early));
        EXPECT_EQ(2, early.Count()) << "held";
        EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(nullptr));
        EXPECT_EQ(1, early.Count()) << "given back: the file again";
        ASSERT_EQ(S_OK, gif.Format(MakeFormat(4, 4)));
        EXPECT_EQ(E_UNEXPECTED, gif.Options()->SetOutputStream(&late));
        EXPECT_EQ(1, late.Count());
        ASSERT_EQ(S_OK, gif.Frame(PictureRows(4, 4, 1)));
    }
    EXPECT_TRUE(early.bytes.empty() && late.bytes.empty());
    const GifLayout layout = ReadGifLayout(testsupport::ReadFileBytes(path));
    EXPECT_TRUE(layout.valid);
    EXPECT_EQ(1u, layout.images.size());
}

// A stream that fails in the middle of the second image, and takes bytes
// again afterwards: nothing more is written (no trailer either), every
// later Write and FinishImages answers AVIERR_FILEWRITE, and one image is
// whole; the same with or without workers.
TEST_F(StreamTest, AFailedWriteEndsTheOutput)
{
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.what);
        MemoryStream whole;
        {
            ClientGif gif(FreshPath("whole.gif"));
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&whole));
            WriteFrames(gif, way, 2, 64, 64);
        }
        const GifLayout layout = ReadGifLayout(whole.bytes);
        ASSERT_EQ(2u, layout.images.size());
        MemoryStream failing(layout.images[1].data + 40);
        {
            ClientGif gif(FreshPath("failing.gif"));
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&failing));
            WriteFrames(gif, way, 6, 64, 64);
            DWORD nImages = 0;
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Finish(&nImages));
            EXPECT_EQ(1u, nImages);
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Frame(PictureRows(64, 64, 9)));
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Finish(nullptr));
        }
        ASSERT_TRUE(failing.failed);
        EXPECT_EQ(failing.bytesAtFailure, failing.bytes.size()) << "written after the failure";
    }
}

// A client writing into its own stream needs no file: the null device as
// the name, with the handler's class given, leaves nothing behind.
TEST_F(StreamTest, TheNullDeviceAsTheNameLeavesNoFile)
{
    char previous[MAX_PATH];
    ASSERT_NE(0u, ::GetCurrentDirectoryA(MAX_PATH, previous));
    ASSERT_TRUE(::SetCurrentDirectoryA(testsupport::WorkDir().c_str()));
    MemoryStream stream;
    {
        ClientGif gif("NUL", &CLSID_GifHandler);
        ASSERT_TRUE(gif.Ready());
        EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&stream));
        WriteFrames(gif, kWays[0], 2);
    }
    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(2u, ReadGifLayout(stream.bytes).images.size());
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(testsupport::WorkPath("*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFind);
    do {
        const std::string name = found.cFileName;
        EXPECT_FALSE(::lstrcmpiA(name.c_str(), "nul") == 0 || ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE,
                                                                            name.c_str(), 4, "nul.", 4) == CSTR_EQUAL)
            << name;
    } while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
}

// Size, colour limit and lossiness are checked for when and with what they
// come, and say they are not built rather than take a value without effect.
TEST_F(StreamTest, OptionsNotBuiltYetSaySo)
{
    typedef HRESULT (*Call)(IGifStreamOptions4*);
    const struct { const char* what; Call call; HRESULT before; } calls[] = {
        { "size 320 x auto", [](IGifStreamOptions4* o) { return o->SetOutputSize(320, 0); }, E_NOTIMPL },
        { "size 70000 wide", [](IGifStreamOptions4* o) { return o->SetOutputSize(70000, 10); }, E_INVALIDARG },
        { "64 colours", [](IGifStreamOptions4* o) { return o->SetColourLimit(64); }, E_NOTIMPL },
        { "1 colour", [](IGifStreamOptions4* o) { return o->SetColourLimit(1); }, E_INVALIDARG },
        { "257 colours", [](IGifStreamOptions4* o) { return o->SetColourLimit(257); }, E_INVALIDARG },
        { "lossiness 80", [](IGifStreamOptions4* o) { return o->SetLossiness(80); }, E_NOTIMPL },
        { "lossiness 201", [](IGifStreamOptions4* o) { return o->SetLossiness(201); }, E_INVALIDARG },
    };
    ClientGif gif(FreshPath("options4.gif"));
    ASSERT_TRUE(gif.Ready());
    for (const auto& c : calls)
        EXPECT_EQ(c.before, c.call(gif.Options())) << c.what;
    ASSERT_EQ(S_OK, gif.Format(MakeFormat(4, 4)));
    for (const auto& c : calls)
        EXPECT_EQ(E_UNEXPECTED, c.call(gif.Options())) << c.what << " after the first format";
}

} // namespace
