// "Batch Convert": one file per still image, per movie or per movie frame,
// beside its source, with the "first image" rule counted over frame
// indices; skips and failures that must not stop the batch.
#include "AnimationExport.h"
#include "BatchExport.h"
#include "DrawDib.h"

#include "ExportHarness.h"

#include <gtest/gtest.h>

#include <memory>

using namespace exporttest;

namespace {

std::string Sub(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

// Each mode on [dog 8-bit, a picture too wide for a GIF, cat 8-bit, a whole
// movie]; every file gets a .expect (see CMakeLists.txt for the names checked).
TEST(ExportBatch, TransparencyModes)
{
    for (int nMode = 0; nMode < 3; ++nMode) {
        SCOPED_TRACE(nMode);
        const std::string folder = "batch_m" + std::to_string(nMode);
        testsupport::CreateDirectories(testsupport::WorkPath(folder));
        const std::string names[] = {Sub(folder, "dog.bmp"), Sub(folder, "wide.bmp"), Sub(folder, "cat.bmp"),
                                     Sub(folder, "clip_topdown.avi")};
        cImageList root;
        BuildProject(root, {{names[0].c_str(), 12, 10, 8, 0}, {names[1].c_str(), 70000, 1, 8, 0},
                            {names[2].c_str(), 9, 7, 8, 0}, {names[3].c_str(), 0, 0, 0, 0}});
        RecordingProgress progress;
        EXPECT_TRUE(ExportBatch(&root, BatchSettings(FALSE, nMode), &progress));
        EXPECT_TRUE(progress.messages.empty());
        // Wider than a GIF can be: the reader refuses it already.
        EXPECT_EQ(std::vector<std::string>{testsupport::WorkPath(names[1]) + " | could not be read"}, progress.Skipped());
        EXPECT_EQ(7, progress.nRange);
        EXPECT_EQ(7, progress.nSteps);
        EXPECT_EQ(0, progress.nShown);
        EXPECT_FALSE(testsupport::FileExists(testsupport::WorkPath(Sub(folder, "wide.gif"))));
        // A whole movie's status is its bare name.
        EXPECT_EQ(testsupport::WorkPath(names[3]), progress.statuses.back());

        // One-image files: their own screen and table, rate 1 (a second).
        GifExpect dog(12, 10, BmpPicture(1, 1).rgb, 0);
        dog.Image(BmpPicture(12, 10), 100, nMode != 0 ? 5 : -1);
        EXPECT_TRUE(dog.Write(testsupport::WorkPath(Sub(folder, "dog.gif"))));
        // The second image written (the wide picture is none): only "each image".
        GifExpect cat(9, 7, BmpPicture(1, 1).rgb, 0);
        cat.Image(BmpPicture(9, 7), 100, nMode == 2 ? 5 : -1);
        EXPECT_TRUE(cat.Write(testsupport::WorkPath(Sub(folder, "cat.gif"))));
        // The movie at its own 12.5 frames a second, each frame its own colour in both modes.
        GifExpect clip(30, 20, ClipPicture(0).rgb, 0);
        for (int n = 0; n < 4; ++n)
            clip.Image(ClipPicture(n), 8, nMode != 0 ? ClipPicture(n).TopLeft() : -1);
        EXPECT_TRUE(clip.Write(testsupport::WorkPath(Sub(folder, "clip_topdown.gif"))));
    }
}

// Expanded movies: one single-image file per frame, named with the frame
// number; Cinepak frames come as 24 bits and are reduced to 256 colours.
TEST(ExportBatch, ExpandedMovies)
{
    const std::string folder = "batch_expand";
    testsupport::CreateDirectories(testsupport::WorkPath(folder));
    cImageList root;
    BuildProject(root, {{"batch_expand\\clip_bottomup.avi", 0, 0, 0, 0}, {"batch_expand\\cinepak.avi", 0, 0, 0, 1}});
    RecordingProgress progress;
    EXPECT_TRUE(ExportBatch(&root, BatchSettings(TRUE, 1), &progress));
    EXPECT_TRUE(progress.messages.empty());
    EXPECT_TRUE(progress.Skipped().empty());
    EXPECT_EQ(7, progress.nSteps);
    for (int n = 0; n < 4; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "clip_bottomup%03d.gif", n);
        GifExpect frame(30, 20, ClipPicture(0).rgb, 0);
        frame.Image(ClipPicture(n), 100, n == 0 ? ClipPicture(0).TopLeft() : -1);
        EXPECT_TRUE(frame.Write(testsupport::WorkPath(Sub(folder, name))));
    }
    for (int n = 0; n < 3; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "cinepak%03d.gif", n);
        EXPECT_TRUE(testsupport::FileExists(testsupport::WorkPath(Sub(folder, name)))) << name;
    }
}

// A movie cut short: AVIFile opens it but gives no frame.
std::string WriteTruncatedMovie(const std::string& name)
{
    std::vector<BYTE> bytes = testsupport::ReadFileBytes(moviefiles::Path("clip_topdown.avi"));
    bytes.resize(bytes.size() / 2);
    const std::string path = testsupport::WorkPath(name);
    testsupport::WriteFileBytes(path, bytes.data(), bytes.size());
    return path;
}

TEST(ExportBatch, SkipsAndFailuresDoNotStopTheBatch)
{
    const std::string folder = "batch_skip";
    testsupport::CreateDirectories(testsupport::WorkPath(folder));
    // A GIF movie would be replaced by its own conversion: left alone.
    const std::string gifMovie = testsupport::WorkPath(Sub(folder, "anim.GIF"));
    testsupport::WriteFileBytes(gifMovie, "GIF89a", 6);
    // The output name is taken by a folder: the open fails.
    testsupport::CreateDirectories(testsupport::WorkPath(Sub(folder, "blocked.gif")));

    cImageList root;
    root.Add(new cAVIFile(gifMovie.c_str()));
    BuildProject(root, {{"batch_skip\\cinepak.avi", 0, 0, 0, 0}, {"batch_skip\\blocked.bmp", 4, 4, 8, 0}});
    const std::string shortMovie = WriteTruncatedMovie(Sub(folder, "short.avi"));
    root.Add(new cAVIFile(shortMovie.c_str()));
    BuildProject(root, {{"batch_skip\\after.bmp", 4, 4, 8, 0}});
    // What an earlier run made of the movie that now gives nothing.
    const std::string earlier = testsupport::WorkPath(Sub(folder, "short.gif"));
    testsupport::WriteFileBytes(earlier, "earlier", 7);

    RecordingProgress progress;
    EXPECT_FALSE(ExportBatch(&root, BatchSettings(FALSE, 2), &progress));
    EXPECT_EQ(std::vector<std::string>{"Unable to Open File | " + testsupport::WorkPath(Sub(folder, "blocked.gif"))},
              progress.failures);
    EXPECT_EQ(std::vector<std::string>{"a folder has that name"}, progress.reasons);
    EXPECT_EQ((std::vector<std::string>{gifMovie + " | is a GIF already; converting it would replace it",
                                        shortMovie + " | could not be read"}),
              progress.Skipped());
    EXPECT_EQ(6u, testsupport::ReadFileBytes(gifMovie).size()) << "the GIF movie is not touched";
    EXPECT_TRUE(testsupport::FileExists(testsupport::WorkPath(Sub(folder, "cinepak.gif"))))
        << "a true-colour movie is written whole";
    EXPECT_EQ(7u, testsupport::ReadFileBytes(earlier).size()) << "the earlier GIF stays";
    EXPECT_TRUE(testsupport::FileExists(testsupport::WorkPath(Sub(folder, "after.gif"))))
        << "the batch goes on after a failure";
}

// Two sources with one GIF name, a GIF that exists, and a source whose GIF
// would be the project file: the later source of the pair, the existing GIF
// unless the user says to replace it, and the project are never replaced;
// each source left out names the file it would have replaced.
TEST(ExportBatch, NeverReplacesWhatItWroteTheProjectOrUnconfirmedFiles)
{
    const std::string folder = "batch_collide";
    testsupport::CreateDirectories(testsupport::WorkPath(folder));
    const auto path = [&](const char* name) { return testsupport::WorkPath(Sub(folder, name)); };
    cImageList root;
    BuildProject(root, {{"batch_collide\\clip_topdown.avi", 0, 0, 0, 0}, {"batch_collide\\clip_topdown.bmp", 5, 3, 8, 0},
                        {"batch_collide\\dog.bmp", 4, 4, 8, 0}, {"batch_collide\\notes.bmp", 4, 4, 8, 0}});
    const std::string project = path("NOTES.GIF");
    struct Case
    {
        cExportProgress::ReplaceAnswer answer;
        std::vector<std::string> asked;         // the files asked about
        bool dogReplaced;
    };
    const Case cases[] = {
        {cExportProgress::keepExisting, {path("dog.gif")}, false},
        // The movie's GIF from the run before exists now too.
        {cExportProgress::replaceExisting, {path("clip_topdown.gif"), path("dog.gif")}, true},
        {cExportProgress::stopExport, {path("clip_topdown.gif"), path("dog.gif")}, false},
    };
    ::DeleteFileA(path("clip_topdown.gif").c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        testsupport::WriteFileBytes(path("dog.gif"), "earlier", 7);
        testsupport::WriteFileBytes(project, "project", 7);
        const std::vector<BYTE> clipBefore = testsupport::ReadFileBytes(path("clip_topdown.gif"));
        RecordingProgress progress;
        progress.replaceAnswer = c.answer;
        EXPECT_EQ(c.answer != cExportProgress::stopExport,
                  !!ExportBatch(&root, BatchSettings(FALSE, 0), &progress, project.c_str()));
        EXPECT_EQ(std::vector<std::vector<std::string>>{c.asked}, progress.asked) << "asked once, before writing";
        EXPECT_EQ(7u, testsupport::ReadFileBytes(project).size()) << "the project file stays";
        EXPECT_EQ(c.dogReplaced, testsupport::ReadFileBytes(path("dog.gif")).size() != 7u);
        EXPECT_TRUE(progress.failures.empty());
        if (c.answer == cExportProgress::stopExport) {
            EXPECT_TRUE(progress.GetReport().m_bCancelled);
            EXPECT_TRUE(progress.Skipped().empty());
            EXPECT_EQ(clipBefore, testsupport::ReadFileBytes(path("clip_topdown.gif"))) << "nothing written";
            continue;
        }
        std::vector<std::string> skipped = {
            path("clip_topdown.bmp") + " | would replace " + path("clip_topdown.gif")
                + ", written for another file in this run",
            path("notes.bmp") + " | would replace " + path("notes.gif") + ", one of the project's own files"};
        if (!c.dogReplaced)
            skipped.insert(skipped.begin() + 1,
                           path("dog.bmp") + " | would replace " + path("dog.gif") + ", which exists already");
        EXPECT_EQ(skipped, progress.Skipped());
        // The movie's file is the movie's, not the later bitmap's.
        const std::vector<BYTE> clip = testsupport::ReadFileBytes(path("clip_topdown.gif"));
        ASSERT_GT(clip.size(), 10u);
        EXPECT_EQ(0, memcmp(clip.data(), "GIF89a\x1e\x00\x14\x00", 10)) << "30 x 20, the movie's screen";
    }
}

// A movie whose second frame cannot be fetched: the framework's memory exception.
class cThrowingMovie : public cAVIFile
{
public:
    explicit cThrowingMovie(LPCSTR pszPath) : cAVIFile(pszPath) {}
    cDrawDib* GetFrame(int nFrame) override
    {
        if (nFrame == 1)
            AfxThrowMemoryException();
        return cAVIFile::GetFrame(nFrame);
    }
};

TEST(ExportBatch, AnExceptionInAWriterEndsThatFileAndNotTheBatch)
{
    const std::string folder = "batch_thrown";
    testsupport::CreateDirectories(testsupport::WorkPath(folder));
    const std::string movie = testsupport::WorkPath(Sub(folder, "thrown.avi"));
    ASSERT_TRUE(::CopyFileA(moviefiles::Path("clip_topdown.avi").c_str(), movie.c_str(), FALSE));
    cImageList root;
    root.Add(new cThrowingMovie(movie.c_str()));
    BuildProject(root, {{"batch_thrown\\after.bmp", 5, 3, 8, 0}});

    const std::string earlier = testsupport::WorkPath(Sub(folder, "thrown.gif"));
    testsupport::WriteFileBytes(earlier, "earlier", 7);
    RecordingProgress progress;
    EXPECT_FALSE(ExportBatch(&root, BatchSettings(FALSE, 0), &progress));
    EXPECT_EQ(std::vector<std::string>{"Fatal error occurred writing GIF file. | "
                                       + testsupport::WorkPath(Sub(folder, "thrown.gif"))},
              progress.failures);
    EXPECT_EQ(0, progress.nShown);
    EXPECT_EQ(0, progress.nWaits);
    // The movie's half-written file replaces nothing; the still image after
    // it is written as ever.
    EXPECT_EQ(7u, testsupport::ReadFileBytes(earlier).size()) << "the earlier GIF stays";
    GifExpect after(5, 3, BmpPicture(1, 1).rgb, 0);
    after.Image(BmpPicture(5, 3), 100, -1);
    EXPECT_TRUE(after.Write(testsupport::WorkPath(Sub(folder, "after.gif"))));
}

} // namespace

namespace {

// The colours a viewer must see of the top-left width x height pixels of a
// frame, red, green, blue per pixel, top row first: what the node gives.
std::vector<BYTE> FrameColours(cDib& frame, LONG width, LONG height)
{
    const BYTE* rows = static_cast<const BYTE*>(frame.LockBits());
    std::vector<BYTE> rgb;
    for (LONG y = frame.GetHeight() - 1; y >= frame.GetHeight() - height; --y) {
        const BYTE* row = rows + static_cast<size_t>(frame.GetStride()) * y;
        for (LONG x = 0; x < width; ++x) {
            if (frame.GetBitCount() == 8) {
                const RGBQUAD& q = frame.GetColorTable()[row[x]];
                rgb.insert(rgb.end(), {q.rgbRed, q.rgbGreen, q.rgbBlue});
            } else {
                rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            }
        }
    }
    frame.FreeBits();
    return rgb;
}

// Everything a node gives, in walk order, as a viewer must see it.
void AppendColours(cTestNode* pNode, std::vector<BYTE>& rgb, int& nFrames)
{
    pNode->Open();
    for (int i = 0; i < pNode->GetFrameCount(); ++i) {
        std::unique_ptr<cDrawDib> pFrame(pNode->GetFrame(i));
        if (pFrame == nullptr)
            continue;
        const std::vector<BYTE> colours = FrameColours(*pFrame, 30, 20);
        rgb.insert(rgb.end(), colours.begin(), colours.end());
        ++nFrames;
    }
    pNode->Close();
    for (int j = 0; j < pNode->GetChildCount(); ++j)
        AppendColours(pNode->GetChild(j), rgb, nFrames);
}

} // namespace

// A project of 8-bit and 24-bit bitmaps, an 8-bit movie and a true-colour
// one: every frame in order, in its own colours (the handler's reduction
// of the Cinepak frames close to them), for check_colours.py on the host.
// Cinepak pads the 30 x 20 pictures to 32 x 24; the pictures are compared.
TEST(ExportColours, MixedProjectKeepsEveryFramesColours)
{
    testsupport::CreateDirectories(testsupport::WorkPath("colours"));
    cImageList root;
    BuildProject(root, {{"colours\\eight.bmp", 30, 20, 8, 0}, {"colours\\deep.bmp", 30, 20, 24, 0},
                        {"colours\\clip_topdown.avi", 0, 0, 0, 0}, {"colours\\cinepak.avi", 0, 0, 0, 1}});
    cExportSettings settings = AnimationSettings("colours\\mixed.gif", 10, 0, 0);
    RecordingProgress progress;
    ASSERT_TRUE(ExportAnimation(&root, settings, &progress));
    EXPECT_TRUE(progress.Skipped().empty());
    std::vector<BYTE> rgb;
    int nFrames = 0;
    AppendColours(&root, rgb, nFrames);
    ASSERT_EQ(1 + 1 + 4 + 3, nFrames);
    const std::string base = testsupport::WorkPath("colours\\mixed");
    ASSERT_TRUE(testsupport::WriteFileBytes(base + ".rgb", rgb.data(), rgb.size()));
    const std::string checks = "size 30 20 9\nexact 0 1 2 3 4 5\npsnr 30 6 7 8\n";
    ASSERT_TRUE(testsupport::WriteFileBytes(base + ".check", checks.data(), checks.size()));

    // Batch Convert writes the true-colour ones too.
    RecordingProgress batch;
    EXPECT_TRUE(ExportBatch(&root, BatchSettings(FALSE, 0), &batch));
    for (const char* name : {"colours\\deep.gif", "colours\\cinepak.gif"})
        EXPECT_TRUE(testsupport::FileExists(testsupport::WorkPath(name))) << name;
}
