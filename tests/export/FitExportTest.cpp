// "Create animation" under a largest size, through the installed handler:
// the file written fits, close under the limit, and says how; when nothing
// fits, nothing is written and the earlier file stays.
#include "AnimationExport.h"

#include "ExportHarness.h"

#include <gtest/gtest.h>

using namespace exporttest;

namespace {

// Three 8-bit frames of the builder's picture, differenced as exports are.
cExportSettings FitProject(cImageList& root, const std::string& folder)
{
    testsupport::CreateDirectories(testsupport::WorkPath(folder));
    BuildProject(root, {{(folder + "\\a.bmp").c_str(), 200, 150, 8, 0}, {(folder + "\\b.bmp").c_str(), 180, 150, 8, 0},
                        {(folder + "\\c.bmp").c_str(), 200, 120, 8, 0}});
    cExportSettings settings = AnimationSettings(folder + "\\fit.gif", 5, 0, 0);
    settings.bDifferencing = TRUE;
    return settings;
}

size_t FileSize(const cExportSettings& settings)
{
    return testsupport::ReadFileBytes(static_cast<LPCSTR>(settings.strOutput)).size();
}

} // namespace

// Limits the user's choices meet, and ones that take lossy compression,
// fewer colours or smaller frames: the file written fits, the note says
// with what, the progress shows the tries, no temporary file stays.
TEST(FitUnderSize, WritesTheLeastLossThatFitsAndSaysSo)
{
    cImageList root;
    cExportSettings settings = FitProject(root, "fit");
    RecordingProgress lossless;
    ASSERT_TRUE(ExportAnimation(&root, settings, &lossless));
    const size_t nLossless = FileSize(settings);
    for (size_t limit : {nLossless, nLossless * 3 / 4, nLossless / 4, nLossless / 10}) {
        settings.dwMaxSize = static_cast<DWORD>(limit);
        RecordingProgress progress;
        ASSERT_TRUE(ExportAnimation(&root, settings, &progress)) << limit;
        EXPECT_LE(FileSize(settings), limit);
        // Close under the limit, though not always within half: a file's size
        // need not grow with its picture's (the stripes shrunk to 0.3 of
        // their size fall into a pattern that packs to a third of 0.31's).
        EXPECT_GT(FileSize(settings), limit / 4) << "close under the limit";
        ASSERT_EQ(1u, progress.GetReport().m_notes.size());
        EXPECT_NE(std::string::npos, std::string(progress.GetReport().m_notes[0]).find(" bytes, under ")) << limit;
        ASSERT_FALSE(progress.statuses.empty());
        EXPECT_EQ(0u, progress.statuses[0].find("Fitting under ")) << progress.statuses[0];
        EXPECT_EQ(limit == nLossless, progress.statuses.size() == 1) << "one try when the choices fit as they are";
        EXPECT_TRUE(TemporaryFiles("fit").empty());
    }
}

// Nothing fits: nothing is written, the earlier file stays, the user hears why.
TEST(FitUnderSize, NothingFitsWritesNothingAndKeepsTheEarlierFile)
{
    cImageList root;
    cExportSettings settings = FitProject(root, "nofit");
    const std::string output = static_cast<LPCSTR>(settings.strOutput);
    testsupport::WriteFileBytes(output, "earlier", 7);
    settings.dwMaxSize = 60;
    RecordingProgress progress;
    EXPECT_FALSE(ExportAnimation(&root, settings, &progress));
    ASSERT_EQ(1u, progress.messages.size());
    EXPECT_EQ(0u, progress.messages[0].find("Nothing fits under 60")) << progress.messages[0];
    EXPECT_EQ(std::vector<BYTE>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}), testsupport::ReadFileBytes(output));
    EXPECT_TRUE(TemporaryFiles("nofit").empty());
    EXPECT_TRUE(progress.GetReport().m_written.empty());
}
