// "Create animation": the canvas the scan builds, the calls the walk makes
// on a recording stream, and whole files written through the installed GIF
// handler, each with a .expect for the host-side check.
#include "AnimationExport.h"
#include "BatchExport.h"
#include "DrawDib.h"
#include "FrameWalk.h"
#include "GifStreamWriter.h"
#include "MemoryException.h"
#include "OutputFile.h"
#include "OutputGuard.h"

#include "ExportHarness.h"
#include "FakeStream.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace exporttest;

namespace {

struct ScanCase
{
    const char* title;
    std::vector<Source> sources;
    bool bCanvas;
    LONG width, height;
    WORD bitCount;          // 8 with the first frame's table, 24 without one
    DWORD sizeImage;        // the first frame's, never recomputed
};

// 70000 pixels is wider than a GIF can be: such a frame is no part of it.
const ScanCase kScanCases[] = {
    {"mixed sizes", {{"s100x50.bmp", 100, 50, 8, 0}, {"s80x120.bmp", 80, 120, 8, 0}}, true, 100, 120, 8, 100 * 50},
    {"an 8-bit first frame gives the table, true-colour ones the size",
     {{"s30x20.bmp", 30, 20, 8, 0}, {"s24b.bmp", 200, 200, 24, 0}}, true, 200, 200, 8, 32 * 20},
    {"a true-colour first frame gives no table",
     {{"s24a.bmp", 10, 10, 24, 0}, {"s30x20.bmp", 30, 20, 8, 0}}, true, 30, 20, 24, 32 * 10},
    {"nested groups", {{"s12x40.bmp", 12, 40, 8, 1}, {"s40x12.bmp", 40, 12, 8, 0}}, true, 40, 40, 8, 12 * 40},
    {"nothing the handler writes", {{"s70000.bmp", 70000, 1, 8, 0}}, false, 0, 0, 0, 0},
};

TEST(ScanFrames, Canvas)
{
    for (const ScanCase& c : kScanCases) {
        SCOPED_TRACE(c.title);
        cImageList root;
        BuildProject(root, c.sources);
        cDrawDib canvas;
        ASSERT_EQ(c.bCanvas, ScanFrames(&root, canvas) != FALSE);
        if (!c.bCanvas)
            continue;
        const BITMAPINFOHEADER& h = canvas.GetInfo()->bmiHeader;
        EXPECT_EQ(c.width, h.biWidth);
        EXPECT_EQ(c.height, h.biHeight);
        EXPECT_EQ(c.bitCount, h.biBitCount);
        EXPECT_EQ(c.sizeImage, h.biSizeImage);
        if (c.bitCount != 8) {
            EXPECT_EQ(40, canvas.GetInfoSize());
            continue;
        }
        EXPECT_EQ(1064, canvas.GetInfoSize());
        const RGBQUAD q = bmp::Colour(200);
        EXPECT_EQ(0, memcmp(&q, &canvas.GetColorTable()[200], sizeof q));
    }
}

// The pictures of the walk cases: 4x3 8-bit, 5x2 24-bit, then a group of
// 6x4 and 2x2. Top-left pixels are all 5 (the builder's picture), the
// bottom-left ones differ.
const std::vector<Source> kWalkSources = {
    {"w4x3.bmp", 4, 3, 8, 0}, {"w5x2.bmp", 5, 2, 24, 0}, {"w6x4.bmp", 6, 4, 8, 1}, {"w2x2.bmp", 2, 2, 8, 1}};

struct WalkCase
{
    const char* title;
    int nMode;
    bool bOptions;          // the stream offers the GIF options
    int nFailWrite;
    BOOL bResult;
    std::vector<std::string> calls;
};

// The 24-bit frame is not sent: the handler would drop it, and it would
// count as an image written.
const WalkCase kWalkCases[] = {
    {"mode 0", 0, true, -1, TRUE, {"format 4x3x8", "write 0", "format 6x4x8", "write 1", "format 2x2x8", "write 2"}},
    {"mode 1: once, before sample 0", 1, true, -1, TRUE,
     {"format 4x3x8", "transparency 5", "write 0", "format 6x4x8", "write 1", "format 2x2x8", "write 2"}},
    {"mode 2: before every write", 2, true, -1, TRUE,
     {"format 4x3x8", "transparency 5", "write 0", "format 6x4x8", "transparency 5", "write 1", "format 2x2x8",
      "transparency 5", "write 2"}},
    {"no options interface", 2, false, -1, TRUE, {"write 0", "write 1", "write 2"}},
    {"a failed write stops the walk", 0, true, 1, FALSE, {"format 4x3x8", "write 0", "format 6x4x8", "write 1"}},
};

TEST(WriteNodeFrames, Calls)
{
    for (const WalkCase& c : kWalkCases) {
        SCOPED_TRACE(c.title);
        cImageList root;
        BuildProject(root, kWalkSources);
        FakeStream stream;
        stream.bOptions = c.bOptions;
        stream.nFailWrite = c.nFailWrite;
        RecordingProgress progress;
        LONG nSample = 0;
        {
            cGifStreamWriter writer(&stream);
            writer.SetTransparency(c.nMode);
            EXPECT_EQ(c.bResult, WriteNodeFrames(&root, writer, &progress));
            nSample = writer.GetImageCount();
        }
        EXPECT_EQ(c.calls, stream.calls);
        EXPECT_EQ(1, stream.nRef) << "every options interface released";
        EXPECT_EQ(std::vector<std::string>{testsupport::WorkPath("w5x2.bmp") + " | is in a format the GIF writer cannot take"},
                  progress.Skipped());
        if (c.bResult) {
            EXPECT_EQ(3, nSample);
            EXPECT_EQ(4, progress.nSteps);
            EXPECT_TRUE(progress.messages.empty());
            ASSERT_EQ(6u, progress.statuses.size());        // root, two items, the group, two in it
            EXPECT_EQ("Writing image ", progress.statuses[0]);
            EXPECT_EQ("Writing image " + testsupport::WorkPath("w4x3.bmp"), progress.statuses[1]);
        } else {
            EXPECT_EQ(1, nSample) << "only the successful write counts";
            EXPECT_EQ(std::vector<std::string>{"Unable to Write to Stream"}, progress.messages);
            EXPECT_EQ(5u, progress.statuses.size()) << "the image after the failure is never visited";
        }
    }
}

TEST(WriteNodeFrames, MissingFrameAdvancesTheBarNotTheSample)
{
    cImageList root;
    root.Add(new cImageFile(testsupport::WorkPath("missing.bmp").c_str()));
    BuildProject(root, {{"m6x4.bmp", 6, 4, 8, 0}});
    FakeStream stream;
    RecordingProgress progress;
    cGifStreamWriter writer(&stream);
    writer.SetTransparency(1);
    EXPECT_TRUE(WriteNodeFrames(&root, writer, &progress));
    const LONG nSample = writer.GetImageCount();
    // The first frame written still takes the "first image" colour.
    EXPECT_EQ((std::vector<std::string>{"format 6x4x8", "transparency 5", "write 0"}), stream.calls);
    EXPECT_EQ(1, nSample);
    EXPECT_EQ(2, progress.nSteps);
    EXPECT_EQ(std::vector<std::string>{testsupport::WorkPath("missing.bmp") + " | could not be read"}, progress.Skipped());
}

// A 24-bit or 1-bit frame first in the project lends the "first image"
// colour to nobody: the first image written gives it.
TEST(WriteNodeFrames, FirstImageIsTheFirstWritten)
{
    for (WORD bitCount : {WORD(24), WORD(1)}) {
        SCOPED_TRACE(bitCount);
        cImageList root;
        BuildProject(root, {{"first_deep.bmp", 3, 3, bitCount, 0}, {"first8.bmp", 6, 4, 8, 0}});
        FakeStream stream;
        RecordingProgress progress;
        cGifStreamWriter writer(&stream);
        writer.SetTransparency(1);
        EXPECT_TRUE(WriteNodeFrames(&root, writer, &progress));
        EXPECT_EQ((std::vector<std::string>{"format 6x4x8", "transparency 5", "write 0"}), stream.calls);
        EXPECT_EQ(1u, progress.Skipped().size());
    }
}

TEST(ExportAnimation, MixedProjectEachImage)
{
    cImageList root;
    BuildProject(root, {{"a100x50.bmp", 100, 50, 8, 0}, {"a80x120.bmp", 80, 120, 8, 0}, {"a70000.bmp", 70000, 1, 8, 0},
                        {"clip_topdown.avi", 0, 0, 0, 1}, {"clip_bottomup.avi", 0, 0, 0, 1}});
    const cExportSettings options = AnimationSettings("anim_each.gif", 4, -1, 2);
    RecordingProgress progress;
    ASSERT_TRUE(ExportAnimation(&root, options, &progress));
    EXPECT_TRUE(progress.messages.empty());
    EXPECT_EQ(std::vector<std::string>{testsupport::WorkPath("a70000.bmp") + " | could not be read"}, progress.Skipped());
    EXPECT_EQ(3 + 4 + 4, progress.nRange);
    EXPECT_EQ(3 + 4 + 4, progress.nSteps);
    EXPECT_EQ(0, progress.nShown);
    EXPECT_EQ(0, progress.nWaits);

    // Rate 4: a quarter second each; loop -1 arrives as 0xFFFF.
    GifExpect expect(100, 120, BmpPicture(1, 1).rgb, 65535);
    expect.Image(BmpPicture(100, 50), 25, 5);
    expect.Image(BmpPicture(80, 120), 25, 5);
    // The movies' colours are not the bitmaps': each frame carries its own.
    for (int movie = 0; movie < 2; ++movie)
        for (int n = 0; n < 4; ++n)
            expect.Image(ClipPicture(n), 25, ClipPicture(n).TopLeft(), true);
    EXPECT_TRUE(expect.Write(static_cast<LPCSTR>(options.strOutput)));
}

TEST(ExportAnimation, FirstImageColourForAll)
{
    cImageList root;
    BuildProject(root, {{"clip_topdown.avi", 0, 0, 0, 0}, {"f9x7.bmp", 9, 7, 8, 0}});
    const cExportSettings options = AnimationSettings("anim_first.gif", 10, 3, 1);
    RecordingProgress progress;
    ASSERT_TRUE(ExportAnimation(&root, options, &progress));
    // The first frame's table; its top-left colour stays transparent in
    // every image, found by colour in the bitmap's own table. An image
    // whose table lacks the colour leaves the screen as the others do.
    GifExpect expect(30, 20, ClipPicture(0).rgb, 3);
    for (int n = 0; n < 4; ++n)
        expect.Image(ClipPicture(n), 10, ClipPicture(0).TopLeft());
    const Picture bitmap = BmpPicture(9, 7);
    const uint8_t* colour = &ClipPicture(0).rgb[3 * ClipPicture(0).TopLeft()];
    int nSameColour = -1;
    for (int i = 255; i >= 0; --i)
        if (memcmp(&bitmap.rgb[3 * i], colour, 3) == 0)
            nSameColour = i;
    expect.Image(bitmap, 10, nSameColour, true, true);
    EXPECT_TRUE(expect.Write(static_cast<LPCSTR>(options.strOutput)));
}

TEST(ExportAnimation, NoTransparency)
{
    cImageList root;
    root.Add(new cImageFile(WriteBmp("n8x8.bmp", 8, 8, 8, true).c_str()));
    const cExportSettings options = AnimationSettings("anim_none.gif", 1, 0, 0);
    RecordingProgress progress;
    ASSERT_TRUE(ExportAnimation(&root, options, &progress));
    GifExpect expect(8, 8, BmpPicture(1, 1).rgb, 0);
    expect.Image(BmpPicture(8, 8), 100, -1);
    EXPECT_TRUE(expect.Write(static_cast<LPCSTR>(options.strOutput)));
}

struct RefusalCase
{
    const char* title;
    WORD bitCount;
    const char* output;
    const char* message;
    bool bOldFileStays;
    DWORD dwSystemError;    // the reason is the system's text for it
    const char* reason;     // or this one (null: none)
    int nBlock = 0;         // 1: the output is read-only, 2: a folder has its name
};

const RefusalCase kRefusals[] = {
    {"no frame the handler writes", 8, "refused.gif", "No valid images", true, 0, nullptr},
    {"folder missing", 8, "no such folder\\out.gif", "Unable to Open File", false, ERROR_PATH_NOT_FOUND, nullptr},
    {"a name Windows refuses", 8, "a<b.gif", "Unable to Open File", false, ERROR_INVALID_NAME, nullptr},
    {"a read-only output", 8, "readonly.gif", "Unable to Open File", true, 0, "the file is read-only", 1},
    {"a folder of that name", 8, "folder.gif", "Unable to Open File", false, 0, "a folder has that name", 2},
    // Another extension would have AVIFile write a movie over that file.
    {"not a .gif name", 8, "important.doc", "The output file name must end in .gif.", true, 0, nullptr},
    {"a name without an extension", 8, "noextension", "The output file name must end in .gif.", true, 0, nullptr},
    {"only .gif", 8, ".gif", "The output file needs a name before its .gif.", true, 0, nullptr},
    {"only spaces", 8, "   .gif", "The output file needs a name before its .gif.", true, 0, nullptr},
};

// What the system says of an error, as FormatMessage gives it, without the line break.
std::string SystemText(DWORD dwError)
{
    char text[512] = "";
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, text,
                     sizeof text, nullptr);
    std::string s = text;
    while (!s.empty() && isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

TEST(ExportAnimation, Refusals)
{
    for (const RefusalCase& c : kRefusals) {
        SCOPED_TRACE(c.title);
        cImageList root;
        const std::string source = c.message[0] == 'N' ? WriteBmp("r70000.bmp", 70000, 1, 8)
                                                       : WriteBmp("r5x5.bmp", 5, 5, c.bitCount);
        root.Add(new cImageFile(source.c_str()));
        const cExportSettings options = AnimationSettings(c.output, 5, 0, 0);
        const std::string path = static_cast<LPCSTR>(options.strOutput);
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (c.nBlock == 2)
            testsupport::CreateDirectories(path);
        else
            testsupport::WriteFileBytes(path, "old", 3);
        if (c.nBlock == 1)
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        RecordingProgress progress;
        EXPECT_FALSE(ExportAnimation(&root, options, &progress));
        EXPECT_EQ(std::vector<std::string>{c.message}, progress.messages);
        if (!progress.failures.empty()) {
            EXPECT_EQ(std::string(c.message) + " | " + path, progress.failures[0]) << "the message names the file";
        }
        const std::string reason = c.reason != nullptr ? c.reason : c.dwSystemError != 0 ? SystemText(c.dwSystemError) : "";
        EXPECT_EQ(std::vector<std::string>{reason}, progress.reasons);
        // The files that gave no image are named after "No valid images".
        if (c.message[0] == 'N') {
            EXPECT_EQ(std::vector<std::string>{source + " | could not be read"}, progress.Skipped());
        }
        EXPECT_EQ(0, progress.nShown);
        EXPECT_EQ(0, progress.nWaits);
        if (c.bOldFileStays) {
            EXPECT_EQ(3u, testsupport::ReadFileBytes(path).size()) << "nothing touched";
        }
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// A file the project reads is never an output, whatever name reaches it:
// the project may know a picture by its short name, the user by its long
// one, through "..", in other case or through a link.
TEST(OutputGuard, ComparesFilesNotNames)
{
    testsupport::CreateDirectories(testsupport::WorkPath("own"));
    const std::string image = WriteBmp("own\\long file name image.bmp", 6, 4, 8);
    char szShort[MAX_PATH] = "";
    ASSERT_NE(0u, ::GetShortPathNameA(image.c_str(), szShort, sizeof szShort));
    ASSERT_NE(image, std::string(szShort)) << "the file system gives no short name";
    const std::string movie = testsupport::WorkPath("own\\clip_topdown.avi");
    ASSERT_TRUE(::CopyFileA(moviefiles::Path("clip_topdown.avi").c_str(), movie.c_str(), FALSE));
    const std::string project = testsupport::WorkPath("own\\project.seq");
    testsupport::WriteFileBytes(project, "project", 7);
    const std::string link = testsupport::WorkPath("own\\link.bmp");
    ::DeleteFileA(link.c_str());
    ASSERT_TRUE(::CreateHardLinkA(link.c_str(), image.c_str(), nullptr));
    const std::string other = WriteBmp("own\\other.bmp", 6, 4, 8);
    cImageList root;
    cImageList* pGroup = new cImageList;
    pGroup->m_nType = cTestNode::typeSequence;
    pGroup->Add(new cImageFile(szShort));
    root.Add(pGroup);
    root.Add(new cAVIFile(movie.c_str()));

    const std::string folder = testsupport::WorkPath("own");
    const struct { std::string output; BOOL bOwn; } cases[] = {
        {image, TRUE},
        {folder + "\\..\\own\\LONG FILE NAME IMAGE.BMP", TRUE},
        {link, TRUE},
        {folder + "\\.\\clip_topdown.avi", TRUE},
        {folder + "\\PROJECT.SEQ", TRUE},
        {other, FALSE},
        {folder + "\\absent.gif", FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        EXPECT_EQ(c.bOwn, IsProjectFile(&root, c.output.c_str(), project.c_str()));
    }
    // A name beside them is written as ever.
    cExportSettings options = AnimationSettings("own\\pic8.gif", 5, 0, 0);
    RecordingProgress progress;
    EXPECT_TRUE(ExportAnimation(&root, options, &progress, project.c_str()));
    EXPECT_TRUE(progress.messages.empty());
}


// A node whose one frame cannot be fetched: the framework's memory exception.
class cThrowingNode : public cTestNode
{
public:
    int GetFrameCount() override { return 1; }
    cDrawDib* GetFrameFormat(int) override { return nullptr; }
    cDrawDib* GetFrame(int) override { AfxThrowMemoryException(); }
};

TEST(ExportAnimation, FrameworkExceptionLeavesTheEarlierFile)
{
    testsupport::CreateDirectories(testsupport::WorkPath("kept"));
    cImageList root;
    BuildProject(root, {{"kept\\x6x4.bmp", 6, 4, 8, 0}});
    root.Add(new cThrowingNode);
    BuildProject(root, {{"kept\\x7x3.bmp", 7, 3, 8, 0}});
    const cExportSettings options = AnimationSettings("kept\\anim_thrown.gif", 5, 0, 0);
    const std::string output = static_cast<LPCSTR>(options.strOutput);
    testsupport::WriteFileBytes(output, "earlier", 7);
    RecordingProgress progress;
    EXPECT_FALSE(ExportAnimation(&root, options, &progress));
    EXPECT_EQ(std::vector<std::string>{"Fatal error occurred writing GIF file. | " + output}, progress.failures);
    EXPECT_EQ(0, progress.nShown) << "the progress display is taken down";
    EXPECT_EQ(0, progress.nWaits);
    EXPECT_EQ(7u, testsupport::ReadFileBytes(output).size()) << "the earlier file stays";
    EXPECT_TRUE(TemporaryFiles("kept").empty());
}

// A node that shows a format but gives no frame: a movie that has become unreadable.
class cFormatOnlyNode : public cTestNode
{
public:
    explicit cFormatOnlyNode(const std::string& path) : m_strPath(path) { SetName(path.c_str()); m_nType = typeMovie; }
    int GetFrameCount() override { return 2; }
    cDrawDib* GetFrameFormat(int) override
    {
        cDrawDib* pFormat = new cDrawDib;
        pFormat->Create(4, 4, 8);
        return pFormat;
    }
    cDrawDib* GetFrame(int) override { return nullptr; }

private:
    std::string m_strPath;
};

TEST(ExportAnimation, NoImageWrittenKeepsTheEarlierFileAndSaysSo)
{
    testsupport::CreateDirectories(testsupport::WorkPath("kept"));
    const std::string movie = testsupport::WorkPath("kept\\gone.avi");
    cImageList root;
    root.Add(new cFormatOnlyNode(movie));
    const cExportSettings options = AnimationSettings("kept\\empty.gif", 5, 0, 0);
    const std::string output = static_cast<LPCSTR>(options.strOutput);
    testsupport::WriteFileBytes(output, "earlier", 7);
    RecordingProgress progress;
    EXPECT_FALSE(ExportAnimation(&root, options, &progress));
    EXPECT_EQ(std::vector<std::string>{"No image could be written; the file was left as it was. | " + output},
              progress.failures);
    EXPECT_EQ(std::vector<std::string>{movie + " | could not be read"}, progress.Skipped());
    EXPECT_EQ(7u, testsupport::ReadFileBytes(output).size());
    EXPECT_TRUE(TemporaryFiles("kept").empty());
}

} // namespace

namespace {

// A node that counts its Opens and Closes, with one 8-bit frame.
class cCountingNode : public cImageFile
{
public:
    explicit cCountingNode(const std::string& path) : cImageFile(path.c_str()) {}
    BOOL Open() override { ++nOpen; return cImageFile::Open(); }
    void Close() override { --nOpen; cImageFile::Close(); }
    int nOpen = 0;
};

// Every node that a count, a scan or an export opens is closed again,
// whichever way the walk ends: a movie left open keeps its file and its
// decoder for the life of the project.
TEST(ExportWalks, EveryOpenNodeIsClosed)
{
    const std::string path = WriteBmp("balance8.bmp", 4, 4, 8);
    std::vector<cCountingNode*> nodes;
    cImageList root;
    cImageList* pGroup = new cImageList;
    root.Add(pGroup);
    for (int i = 0; i < 3; ++i) {
        nodes.push_back(new cCountingNode(path));
        (i == 0 ? root : *pGroup).Add(nodes.back());
    }
    const auto expectClosed = [&](const char* walk) {
        for (cCountingNode* pNode : nodes)
            EXPECT_EQ(0, pNode->nOpen) << walk;
    };
    EXPECT_EQ(3, CountFrames(&root));
    expectClosed("count");
    cDrawDib canvas;
    ScanFrames(&root, canvas);
    expectClosed("scan");
    RecordingProgress progress;
    EXPECT_TRUE(ExportAnimation(&root, AnimationSettings("balance.gif", 5, 0, 0), &progress));
    expectClosed("animation");
    RecordingProgress cancelled;
    cancelled.nCancelAtStep = 1;
    EXPECT_FALSE(ExportAnimation(&root, AnimationSettings("balance.gif", 5, 0, 0), &cancelled));
    expectClosed("cancelled animation");
    testsupport::CreateDirectories(testsupport::WorkPath("balance"));
    RecordingProgress batch;
    EXPECT_TRUE(ExportBatch(&root, BatchSettings(FALSE, 0), &batch));
    expectClosed("batch");
}

// Cancel stops after the frame being written: nothing unfinished replaces
// the earlier file, and nothing half-written is left beside it.
TEST(ExportAnimation, CancelKeepsTheEarlierFile)
{
    testsupport::CreateDirectories(testsupport::WorkPath("cancel"));
    cImageList root;
    BuildProject(root, {{"cancel\\c1.bmp", 4, 4, 8, 0}, {"cancel\\c2.bmp", 4, 4, 8, 0}, {"cancel\\c3.bmp", 4, 4, 8, 0}});
    const cExportSettings settings = AnimationSettings("cancel\\anim.gif", 5, 0, 0);
    const std::string output = static_cast<LPCSTR>(settings.strOutput);
    testsupport::WriteFileBytes(output, "earlier", 7);
    RecordingProgress progress;
    progress.nCancelAtStep = 2;
    EXPECT_FALSE(ExportAnimation(&root, settings, &progress));
    EXPECT_TRUE(progress.GetReport().m_bCancelled);
    EXPECT_EQ(2, progress.nSteps) << "stopped at once, not at the end";
    EXPECT_TRUE(progress.messages.empty()) << "a stop the user asked for is no failure";
    EXPECT_EQ(0, progress.nShown);
    EXPECT_EQ(7u, testsupport::ReadFileBytes(output).size());
    EXPECT_TRUE(TemporaryFiles("cancel").empty());
}

TEST(ExportBatch, CancelStopsTheBatchAndKeepsWhatWasFinished)
{
    testsupport::CreateDirectories(testsupport::WorkPath("cancelb"));
    cImageList root;
    BuildProject(root, {{"cancelb\\b1.bmp", 4, 4, 8, 0}, {"cancelb\\b2.bmp", 4, 4, 8, 0}, {"cancelb\\b3.bmp", 4, 4, 8, 0}});
    for (const char* name : {"cancelb\\b1.gif", "cancelb\\b2.gif", "cancelb\\b3.gif"})
        ::DeleteFileA(testsupport::WorkPath(name).c_str());
    RecordingProgress progress;
    progress.nCancelAtStep = 2;
    EXPECT_FALSE(ExportBatch(&root, BatchSettings(FALSE, 0), &progress));
    EXPECT_TRUE(progress.GetReport().m_bCancelled);
    EXPECT_TRUE(testsupport::FileExists(testsupport::WorkPath("cancelb\\b1.gif"))) << "finished before the stop";
    EXPECT_FALSE(testsupport::FileExists(testsupport::WorkPath("cancelb\\b2.gif")));
    EXPECT_FALSE(testsupport::FileExists(testsupport::WorkPath("cancelb\\b3.gif")));
    EXPECT_EQ(std::vector<CString>{testsupport::WorkPath("cancelb\\b1.gif").c_str()}, progress.GetReport().m_written);
}

} // namespace

namespace {

// A movie that gives no frame at all (gone, or cut before its first) is
// named among the files left out, as every other source that gave nothing.
TEST(ExportAnimation, AMovieOfNoFramesIsReportedLeftOut)
{
    testsupport::CreateDirectories(testsupport::WorkPath("zero"));
    const std::string gone = testsupport::WorkPath("zero\\gone.avi");
    ::DeleteFileA(gone.c_str());
    cImageList root;
    BuildProject(root, {{"zero\\z4x4.bmp", 4, 4, 8, 0}});
    root.Add(new cAVIFile(gone.c_str()));
    RecordingProgress progress;
    EXPECT_TRUE(ExportAnimation(&root, AnimationSettings("zero\\zero.gif", 5, 0, 0), &progress));
    EXPECT_EQ(std::vector<std::string>{gone + " | could not be read"}, progress.Skipped());
    EXPECT_FALSE(progress.GetReport().IsComplete());
}

std::string SizeText(const std::string& path)
{
    return std::to_string(testsupport::ReadFileBytes(path).size()) + " bytes";
}

// What was written is told: the file, its frames and its size; a batch
// gives the count of files and the totals.
TEST(ExportReport, TellsWhatWasWritten)
{
    testsupport::CreateDirectories(testsupport::WorkPath("told"));
    cImageList root;
    BuildProject(root, {{"told\\t1.bmp", 4, 4, 8, 0}, {"told\\t2.bmp", 5, 3, 8, 0}});
    const cExportSettings settings = AnimationSettings("told\\told.gif", 5, 0, 0);
    RecordingProgress animation;
    ASSERT_TRUE(ExportAnimation(&root, settings, &animation));
    const std::string output = static_cast<LPCSTR>(settings.strOutput);
    EXPECT_EQ(output + ": written, 2 frames, " + SizeText(output),
              static_cast<LPCSTR>(animation.GetReport().WrittenSummary()));

    RecordingProgress batch;
    ASSERT_TRUE(ExportBatch(&root, BatchSettings(FALSE, 0), &batch));
    const size_t nBytes = testsupport::ReadFileBytes(testsupport::WorkPath("told\\t1.gif")).size()
                          + testsupport::ReadFileBytes(testsupport::WorkPath("told\\t2.gif")).size();
    char size[32];
    std::snprintf(size, sizeof size, nBytes < 1024 ? "%.0f bytes" : "%.1f KB", nBytes < 1024 ? nBytes : nBytes / 1024.0);
    EXPECT_EQ("2 files written, 2 frames, " + std::string(size) + " in all",
              static_cast<LPCSTR>(batch.GetReport().WrittenSummary()));
    EXPECT_STREQ("", cExportReport().WrittenSummary()) << "nothing written, nothing said";
}

// An export removes the temporary files killed exports left in its folder,
// and never one that a live export (of any process) holds open: the
// handler's file being written, or a reservation not yet handed to it.
TEST(OutputFile, OrphansGoLiveTemporariesStay)
{
    const std::string folder = testsupport::WorkPath("orphans") + "\\";
    testsupport::CreateDirectories(folder.substr(0, folder.size() - 1));
    const std::string orphan = folder + "~rw1A2B.gif", writing = folder + "~rw3C4D.gif", other = folder + "~rwmine.gif";
    for (const std::string& name : {orphan, writing, other})
        testsupport::WriteFileBytes(name, "GIF", 3);
    // As the GIF handler opens the file it writes.
    testsupport::ScopedHandle hWriting(::CreateFileA(writing.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hWriting.Valid());
    cOutputFile reserved((folder + "reserved.gif").c_str());
    ASSERT_TRUE(reserved.Create());
    const std::string reservation = reserved.GetTempName();
    ASSERT_TRUE(testsupport::FileExists(reservation));

    cImageList root;
    BuildProject(root, {{"orphans\\o4x4.bmp", 4, 4, 8, 0}});
    RecordingProgress progress;
    EXPECT_TRUE(ExportAnimation(&root, AnimationSettings("orphans\\out.gif", 5, 0, 0), &progress));
    EXPECT_FALSE(testsupport::FileExists(orphan)) << "left by a killed export";
    EXPECT_TRUE(testsupport::FileExists(other)) << "not a name an export makes";
    // Still there once their holders let go, and the reservation still
    // becomes its target: neither was even marked for deletion.
    hWriting.Close();
    EXPECT_TRUE(testsupport::FileExists(writing)) << "being written";
    ::DeleteFileA((folder + "reserved.gif").c_str());
    EXPECT_TRUE(reserved.Commit()) << "reserved by a live export";
    EXPECT_TRUE(testsupport::FileExists(folder + "reserved.gif"));
    EXPECT_FALSE(testsupport::FileExists(reservation));
    for (const std::string& name : {writing, other, folder + "reserved.gif"})
        ::DeleteFileA(name.c_str());
}

} // namespace
