// The handler as AVIFile clients meet it: formats it cannot write refused
// with their frames, no index outside its table, a screen too large for
// memory, the output into the client's own stream, one failure rule with
// and without workers, the guards of the image path (the shorter encoding,
// images in their order); and, run under a file size limit, a file cut back
// to its last whole image.
#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include <cstring>

#include "ClientHarness.h"

using namespace handlertest;

namespace {

typedef AviFileTest ClientTest;

/////////////////////////////////////////////////////////////////////////////
// Honest answers

// A block `bytes` long of a format of another kind than MakeFormat's.
std::vector<BYTE> FormatOf(WORD bits, DWORD compression, size_t bytes, LONG width = 8, LONG height = 8)
{
    std::vector<BYTE> format = MakeFormat(width, height, bits);
    reinterpret_cast<BITMAPINFOHEADER*>(format.data())->biCompression = compression;
    format.resize(bytes);
    return format;
}

// Refused first or later (those larger than the screen only later), with
// every frame until a format the handler can write comes; a refused first
// format leaves the file empty, not a trailer that is no GIF.
TEST_F(ClientTest, FormatsItCannotWriteAreRefusedWithTheirFrames)
{
    std::vector<BYTE> overlapping = FormatOf(16, BI_BITFIELDS, 52);
    const DWORD masks[3] = { 0x0FF0, 0x00FF, 0xF000 };
    std::memcpy(overlapping.data() + sizeof(BITMAPINFOHEADER), masks, sizeof masks);
    const struct { const char* what; std::vector<BYTE> format; HRESULT hr; bool laterOnly; } refusals[] = {
        { "masks that overlap", overlapping, AVIERR_COMPRESSOR, false },
        { "masks missing", FormatOf(16, BI_BITFIELDS, 40), AVIERR_BADFORMAT, false },
        { "compressed", FormatOf(24, mmioFOURCC('c', 'v', 'i', 'd'), 40), AVIERR_COMPRESSOR, false },
        { "8-bit run lengths", FormatOf(8, BI_RLE8, 1064), AVIERR_BADFORMAT, false },
        { "wider than the screen", FormatOf(8, BI_RGB, 1064, 9, 8), AVIERR_BADFORMAT, true },
        { "taller than the screen", FormatOf(8, BI_RGB, 1064, 8, -9), AVIERR_BADFORMAT, true },
    };
    for (const auto& r : refusals)
        for (bool first : { true, false }) {
            if (first && r.laterOnly)
                continue;
            SCOPED_TRACE(std::string(r.what) + (first ? ", first" : ", later"));
            const std::string path = FreshPath("refused.gif");
            {
                ClientGif gif(path);
                ASSERT_TRUE(gif.Ready());
                if (!first) {
                    ASSERT_EQ(S_OK, gif.Format(MakeFormat(8, 8)));
                    ASSERT_EQ(S_OK, gif.Frame(FlatRows(8, 8, 1)));
                }
                EXPECT_EQ(r.hr, gif.Format(r.format));
                EXPECT_EQ(AVIERR_BADFORMAT, gif.Frame(FlatRows(32, 32, 1)));
                EXPECT_EQ(AVIERR_BADFORMAT, gif.Frame(FlatRows(32, 32, 2)));
                if (!first) {
                    EXPECT_EQ(S_OK, gif.Format(MakeFormat(8, 8)));
                    EXPECT_EQ(S_OK, gif.Frame(FlatRows(8, 8, 3)));
                }
            }
            const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
            const GifLayout layout = ReadGifLayout(bytes);
            EXPECT_EQ(first, bytes.empty());
            EXPECT_EQ(!first, layout.valid);
            EXPECT_EQ(first ? 0u : 2u, layout.images.size()) << "the refused format's frames are not written";
        }
}

// An 8-bit frame whose pixels index past its table (2 entries, pixels up to
// 10) gets a table that holds them, black past its own colours.
TEST_F(ClientTest, IndicesPastTheTableShowBlack)
{
    std::vector<uint8_t> pixels(6 * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>((2 * (i % 6) + i / 6) % 11);
    std::vector<BYTE> two = MakeFormat(6, 4, 8, 99);
    reinterpret_cast<BITMAPINFOHEADER*>(two.data())->biClrUsed = 2;
    two.resize(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
    for (BOOL differencing : { FALSE, TRUE }) {
        const std::string path = FreshPath("pasttable.gif");
        {
            ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(differencing));
            ASSERT_EQ(S_OK, gif.Format(MakeFormat(6, 4)));
            ASSERT_EQ(S_OK, gif.Frame(FlatRows(6, 4, 3)));
            ASSERT_EQ(S_OK, gif.Format(two));
            ASSERT_EQ(S_OK, gif.Frame(MakeRows(pixels, 6, 4)));
        }
        const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
        const GifLayout layout = ReadGifLayout(bytes);
        ASSERT_EQ(2u, layout.images.size());
        const GifImage& image = layout.images[1];
        ASSERT_NE(0u, image.localTable) << "a table of its own";
        EXPECT_EQ(two[40 + 2], bytes[image.localTable]) << "its own colours first";
        if (differencing) {
            // The differenced layout cuts the table to the colours used: its
            // two, and black for every index past them.
            EXPECT_GE(2u << (image.descriptorPacked & 7), 3u);
            EXPECT_EQ(std::vector<BYTE>(3, 0),
                      std::vector<BYTE>(bytes.begin() + image.localTable + 6, bytes.begin() + image.localTable + 9));
            continue;
        }
        EXPECT_GE(2u << (image.descriptorPacked & 7), 12u) << "holds index 10 (and 11, a transparent one)";
        EXPECT_EQ(std::vector<BYTE>(27, 0),
                  std::vector<BYTE>(bytes.begin() + image.localTable + 6, bytes.begin() + image.localTable + 33));
    }
}

// Differencing keeps what the screen shows; a screen of 32768 x 32769
// would need 4 GB: AVIERR_MEMORY for that image and every later call.
TEST_F(ClientTest, ScreenTooLargeForMemoryIsAnsweredAndKept)
{
    ClientGif gif(FreshPath("hugescreen.gif"));
    ASSERT_TRUE(gif.Ready());
    EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(TRUE));
    ASSERT_EQ(S_OK, gif.Format(MakeFormat(32768, 32769)));
    ASSERT_EQ(S_OK, gif.Format(MakeFormat(2, 2)));
    EXPECT_EQ(AVIERR_MEMORY, gif.Frame(FlatRows(2, 2, 1)));
    EXPECT_EQ(AVIERR_MEMORY, gif.Frame(FlatRows(2, 2, 1)));
    DWORD nImages = 99;
    EXPECT_EQ(AVIERR_MEMORY, gif.Finish(&nImages));
    EXPECT_EQ(0u, nImages);
}

// Differencing offers the image with its still pixels transparent beside
// the plain one, and keeps the shorter: the transparent one for still noise
// with two changed corners; the plain one for a flat frame over two-colour
// noise, half of which stays.
TEST_F(ClientTest, TheShorterOfTwoEncodingsIsKept)
{
    const LONG kSide = 64;
    std::vector<uint8_t> noise = synth::Make(synth::Content::Noise, kSide, kSide, 5);
    for (uint8_t& p : noise)
        p &= 0x7F;      // an index is left for the transparent colour
    std::vector<uint8_t> corners = noise, twoColours = noise, flat(noise.size(), 1);
    corners.front() = corners.back() = static_cast<uint8_t>(noise.front() + 1);
    for (uint8_t& p : twoColours)
        p = p & 1 ? 1 : 2;
    flat.front() = flat.back() = 3;
    const struct { const std::vector<uint8_t>& before; const std::vector<uint8_t>& after; bool transparent; } cases[] = {
        { noise, corners, true }, { twoColours, flat, false },
    };
    for (const auto& c : cases) {
        const std::string path = FreshPath("shorter.gif");
        {
            ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(TRUE));
            ASSERT_EQ(S_OK, gif.Format(MakeFormat(kSide, kSide)));
            ASSERT_EQ(S_OK, gif.Frame(MakeRows(c.before, kSide, kSide)));
            ASSERT_EQ(S_OK, gif.Frame(MakeRows(c.after, kSide, kSide)));
        }
        const GifLayout layout = ReadGifLayout(testsupport::ReadFileBytes(path));
        ASSERT_EQ(2u, layout.images.size());
        EXPECT_EQ(kSide, layout.images[1].width) << "the change spans the screen";
        EXPECT_EQ(c.transparent, (layout.images[1].controlPacked & 1) != 0);
    }
}

/////////////////////////////////////////////////////////////////////////////
// The output: the client's stream, failures

struct Way
{
    const char* what;
    BOOL differencing, parallel;
    bool trueColour;
};

const Way kWays[] = {
    { "plain", FALSE, FALSE, false },
    { "differenced", TRUE, FALSE, false },
    { "differenced in parallel", TRUE, TRUE, false },
    { "true colour in parallel", FALSE, TRUE, true },
};

// Frames of noise (every third the one before), or of true colour; after a
// failed write every call answers it, and the tests look at when.
void WriteFrames(ClientGif& gif, const Way& way, int nFrames, LONG side)
{
    EXPECT_EQ(S_OK, gif.Options()->SetFrameDifferencing(way.differencing));
    EXPECT_EQ(S_OK, gif.Options()->SetParallelEncoding(way.parallel));
    bool bFailed = false;
    auto check = [&bFailed](HRESULT hr, int n) {
        EXPECT_TRUE(hr == S_OK ? !bFailed : hr == AVIERR_FILEWRITE) << "frame " << n << ": " << std::hex << hr;
        bFailed = bFailed || hr != S_OK;
    };
    for (int n = 0; n < nFrames; ++n) {
        std::vector<BYTE> format = MakeFormat(side, side), rows = NoiseRows(side, side, n % 3 == 2 ? n - 1 : n);
        if (way.trueColour) {
            format.resize(sizeof(BITMAPINFOHEADER));
            reinterpret_cast<BITMAPINFOHEADER*>(format.data())->biBitCount = 24;
            rows.assign(3 * side * side, 0);
            for (size_t i = 0; i < rows.size(); ++i)
                rows[i] = static_cast<BYTE>(i % 3 == 0 ? i / 3 % side * 4 + n : i % 3 == 1 ? i / 3 / side * 4 : i / 7);
        }
        check(gif.Format(format), n);
        check(gif.Frame(rows), n);
    }
}

// Into the client's stream, each way gives the bytes the serial path writes
// into a file. More images than the workers hold jobs: images waiting for
// each other in the wrong order are ended by the watchdog within 30 s.
TEST_F(ClientTest, TheStreamGetsTheBytesTheSerialFileGets)
{
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.what);
        const std::string filePath = FreshPath("tofile.gif"), streamPath = FreshPath("tostream.gif");
        MemoryStream stream;
        {
            ClientGif gif(filePath);
            ASSERT_TRUE(gif.Ready());
            WriteFrames(gif, { way.what, way.differencing, FALSE, way.trueColour }, 24, 40);
        }
        {
            ClientGif gif(streamPath);
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&stream));
            WriteFrames(gif, way, 24, 40);
        }
        const std::vector<BYTE> bytes = testsupport::ReadFileBytes(filePath);
        EXPECT_EQ(24u, ReadGifLayout(bytes).images.size());
        EXPECT_TRUE(stream.bytes == bytes);
        EXPECT_TRUE(testsupport::ReadFileBytes(streamPath).empty()) << "the file AVIFile opened stays empty";
        EXPECT_EQ(1, stream.Count()) << "released with the handler";
    }
}

// A stream that fails in the middle of the second image and takes bytes
// again afterwards: nothing more is written (no trailer either), every
// later Write and FinishImages answers AVIERR_FILEWRITE, one image is whole;
// the same with or without workers.
TEST_F(ClientTest, AFailedWriteEndsTheOutput)
{
    for (const Way& way : kWays) {
        SCOPED_TRACE(way.what);
        MemoryStream whole;
        {
            ClientGif gif(FreshPath("whole.gif"));
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&whole));
            WriteFrames(gif, way, 2, 64);
        }
        const GifLayout layout = ReadGifLayout(whole.bytes);
        ASSERT_EQ(2u, layout.images.size());
        MemoryStream failing(layout.images[0].end + 60);
        {
            ClientGif gif(FreshPath("failing.gif"));
            ASSERT_TRUE(gif.Ready());
            EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&failing));
            WriteFrames(gif, way, 6, 64);
            DWORD nImages = 0;
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Finish(&nImages));
            EXPECT_EQ(1u, nImages);
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Frame(NoiseRows(64, 64, 9)));
        }
        ASSERT_TRUE(failing.failed);
        EXPECT_EQ(failing.bytesAtFailure, failing.bytes.size()) << "written after the failure";
    }
}

// A client writing into its own stream needs no file: the null device as
// the name, with the handler's class given, leaves nothing behind.
TEST_F(ClientTest, TheNullDeviceAsTheNameLeavesNoFile)
{
    char previous[MAX_PATH];
    ASSERT_NE(0u, ::GetCurrentDirectoryA(MAX_PATH, previous));
    ASSERT_TRUE(::SetCurrentDirectoryA(testsupport::WorkDir().c_str()));
    MemoryStream stream;
    {
        ClientGif gif("NUL", &CLSID_GifHandler);
        EXPECT_TRUE(gif.Ready() && gif.Options()->SetOutputStream(&stream) == S_OK);
        if (gif.Ready())
            WriteFrames(gif, kWays[0], 2, 8);
    }
    ::SetCurrentDirectoryA(previous);
    EXPECT_EQ(2u, ReadGifLayout(stream.bytes).images.size());
    WIN32_FIND_DATAA found;
    HANDLE hFind = ::FindFirstFileA(testsupport::WorkPath("*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFind);
    do
        EXPECT_NE(0, ::lstrcmpiA(std::string(found.cFileName).substr(0, 3).c_str(), "nul")) << found.cFileName;
    while (::FindNextFileA(hFind, &found));
    ::FindClose(hFind);
}

// IGifStreamOptions4 takes its options only before the first format, each
// checking what it is given.
TEST_F(ClientTest, NewOptionsOnlyBeforeTheFirstFormat)
{
    typedef HRESULT (*Call)(IGifStreamOptions4*);
    const struct { const char* what; Call call; HRESULT before; } calls[] = {
        { "size 320 x auto", [](IGifStreamOptions4* o) { return o->SetOutputSize(320, 0); }, S_OK },
        { "size 70000 wide", [](IGifStreamOptions4* o) { return o->SetOutputSize(70000, 10); }, E_INVALIDARG },
        { "64 colours", [](IGifStreamOptions4* o) { return o->SetColourLimit(64); }, S_OK },
        { "1 colour", [](IGifStreamOptions4* o) { return o->SetColourLimit(1); }, E_INVALIDARG },
        { "257 colours", [](IGifStreamOptions4* o) { return o->SetColourLimit(257); }, E_INVALIDARG },
        { "lossiness 80", [](IGifStreamOptions4* o) { return o->SetLossiness(80); }, S_OK },
        { "lossiness 201", [](IGifStreamOptions4* o) { return o->SetLossiness(201); }, E_INVALIDARG },
    };
    const std::string path = FreshPath("options4.gif");
    MemoryStream early, late;
    {
        ClientGif gif(path);
        ASSERT_TRUE(gif.Ready());
        for (const auto& c : calls)
            EXPECT_EQ(c.before, c.call(gif.Options())) << c.what;
        EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(&early));
        EXPECT_EQ(2, early.Count()) << "held";
        EXPECT_EQ(S_OK, gif.Options()->SetOutputStream(nullptr));
        EXPECT_EQ(1, early.Count()) << "given back: the file again";
        ASSERT_EQ(S_OK, gif.Format(MakeFormat(4, 4)));
        for (const auto& c : calls)
            EXPECT_EQ(E_UNEXPECTED, c.call(gif.Options())) << c.what << " after the first format";
        EXPECT_EQ(E_UNEXPECTED, gif.Options()->SetOutputStream(&late));
        ASSERT_EQ(S_OK, gif.Frame(FlatRows(4, 4, 1)));
    }
    EXPECT_TRUE(early.bytes.empty() && late.bytes.empty() && late.Count() == 1);
    EXPECT_EQ(1u, ReadGifLayout(testsupport::ReadFileBytes(path)).images.size());
}

// A full disk: run only by gifhandler_file_limit_test, under which files
// fail past 64 KiB (run-with-file-limit.sh). Noise of about 50 KB an image:
// the second passes the limit, and the file ends where the first does.
TEST(FileSizeLimit, FileIsCutBackToItsLastWholeImage)
{
    const std::string probe = FreshPath("limit-probe.bin");
    const std::vector<BYTE> big(70000, 1);
    ASSERT_FALSE(testsupport::WriteFileBytes(probe, big.data(), big.size())) << "run under run-with-file-limit.sh";
    ::DeleteFileA(probe.c_str());
    ::AVIFileInit();
    for (const Way& way : { kWays[0], kWays[2] }) {
        SCOPED_TRACE(way.what);
        const std::string path = FreshPath("limited.gif");
        {
            ClientGif gif(path);
            ASSERT_TRUE(gif.Ready());
            WriteFrames(gif, way, 6, 200);
            DWORD nImages = 0;
            EXPECT_EQ(AVIERR_FILEWRITE, gif.Finish(&nImages));
            EXPECT_EQ(1u, nImages);
        }
        const std::vector<BYTE> bytes = testsupport::ReadFileBytes(path);
        const GifLayout layout = ReadGifLayout(bytes);
        ASSERT_EQ(1u, layout.images.size());
        EXPECT_EQ(layout.images[0].end, bytes.size()) << "no part of the second image, no trailer";
    }
    ::AVIFileExit();
}

} // namespace
