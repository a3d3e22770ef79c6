// The demonstration project that tools/make-demo.py and make-demo-project.py
// write, read back with the program's own project file and nodes: the tree,
// the settings, and every file giving 8-bit frames of the size it was made.
#include "AVIFile.h"
#include "DrawDib.h"
#include "ProjectFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace projects;

namespace {

std::string FileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// One line per node, depth first: kind, name (a path without its folder),
// and for a node with frames their count and the last one's size and depth.
void List(cTestNode* node, const std::string& indent, std::vector<std::string>& lines)
{
    std::string line = indent + std::to_string(node->m_nType) + " " + FileName(node->GetName(-1));
    if (node->Open()) {
        const int nFrames = node->GetFrameCount();
        std::unique_ptr<cDrawDib> frame(nFrames > 0 ? node->GetFrame(nFrames - 1) : nullptr);
        if (frame)
            line += " " + std::to_string(nFrames) + " x " + std::to_string(frame->GetWidth()) + "x" +
                    std::to_string(std::abs(frame->GetHeight())) + "x" + std::to_string(frame->GetBitCount());
    }
    node->Close();
    lines.push_back(line);
    for (int i = 0; i < node->GetChildCount(); ++i)
        List(node->GetChild(i), indent + "  ", lines);
}

} // namespace

TEST(DemoProject, LoadsAndEveryFileGivesItsFrames)
{
    const std::string strDir = testsupport::EnvPath("DEMO_DIR");
    const Bytes bytes = testsupport::ReadFileBytes(strDir + "\\demo.seq");
    ASSERT_FALSE(bytes.empty());
    cImageList root;
    cGifOptions options;
    ASSERT_EQ(-1, Load(bytes, root, options));

    std::vector<std::string> expected = {"1 ", "  2 logo.bmp 1 x 200x64x8", "  1 walk"};
    for (int n = 1; n <= 12; ++n)
        expected.push_back("    2 walk0" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".bmp 1 x 96x72x8");
    expected.insert(expected.end(), {"  3 clip.avi 20 x 128x96x8", "  2 balloon.bmp 1 x 120x160x8",
                                     "  2 sunset.bmp 1 x 240x160x8"});
    std::vector<std::string> lines;
    List(&root, "", lines);
    EXPECT_EQ(expected, lines);
    // Every path names the folder the project was made for.
    EXPECT_EQ(strDir + "\\logo.bmp", std::string(root.GetChild(0)->GetName(-1)));

    EXPECT_EQ(strDir + "\\demo.gif", std::string(options.m_strOutput));
    EXPECT_EQ(1, options.m_nTransparency);
    EXPECT_EQ(FALSE, options.m_bExpand);
    EXPECT_EQ(10, options.m_nFrameRate);
    EXPECT_EQ(0, options.m_nLoopCount);
}
