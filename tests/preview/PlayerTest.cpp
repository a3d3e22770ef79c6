// The animation player on real projects through the installed GIF handler:
// the frames it shows for 8-bit, true-colour and transparent material are
// written out beside the GIF the export makes of the same project, for
// check_play.py to compare with ImageMagick's frames of that file; loops
// show the same frames again, from kept bytes or encoded anew; the tree
// nodes go with their frames; a player dropped half way leaves the handler
// ready for the next; and 1,000 frames play in flat memory.
#include "AnimationExport.h"
#include "AnimationPlayer.h"
#include "ImageFile.h"
#include "ImageList.h"

#include "ExportHarness.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

namespace {

std::string Work(const std::string& name) { return testsupport::WorkPath(name); }

// A .bmp of 8 bits (pixel() gives indices into the table) or 24 bits
// (pixel() gives 0xRRGGBB), top row first; its path.
std::string WriteBitmap(const std::string& name, LONG w, LONG h, WORD nBits, const std::vector<RGBQUAD>& table,
                        const std::function<DWORD(int, int)>& pixel)
{
    const DWORD stride = ((w * nBits + 31) / 32) * 4;
    const DWORD nTable = nBits == 8 ? 256 : 0;
    std::vector<BYTE> file(14 + 40 + 4 * nTable + stride * h, 0);
    BITMAPFILEHEADER bfh = {0x4D42, static_cast<DWORD>(file.size()), 0, 0, 14 + 40 + 4 * nTable};
    BITMAPINFOHEADER bih = {40, w, h, 1, nBits, BI_RGB, stride * h, 0, 0, nTable, 0};
    std::memcpy(&file[0], &bfh, 14);
    std::memcpy(&file[14], &bih, 40);
    for (DWORD i = 0; i < nTable && i < table.size(); ++i)
        std::memcpy(&file[54 + 4 * i], &table[i], 4);
    for (LONG y = 0; y < h; ++y) {
        BYTE* row = &file[54 + 4 * nTable + stride * (h - 1 - y)];
        for (LONG x = 0; x < w; ++x) {
            const DWORD v = pixel(x, y);
            if (nBits == 8) {
                row[x] = static_cast<BYTE>(v);
            } else {
                row[3 * x] = static_cast<BYTE>(v);
                row[3 * x + 1] = static_cast<BYTE>(v >> 8);
                row[3 * x + 2] = static_cast<BYTE>(v >> 16);
            }
        }
    }
    const std::string path = Work(name);
    testsupport::WriteFileBytes(path, file.data(), file.size());
    return path;
}

std::vector<RGBQUAD> Table(int nSeed)
{
    std::vector<RGBQUAD> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = RGBQUAD{static_cast<BYTE>(i * 5 + nSeed), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3 + nSeed * 7), 0};
    return table;
}

struct Material
{
    const char* name;
    int nTransparency;
    std::function<void(cImageList&)> build;
};

// 8-bit frames of two sizes and two tables; true-colour frames of thousands
// of colours; 8-bit frames over a background the first image makes transparent.
const Material kMaterials[] = {
    {"eight", 0, [](cImageList& root) {
         cImageList* pWalk = new cImageList;
         pWalk->SetName("walk");
         root.Add(pWalk);
         for (int n = 0; n < 5; ++n)
             pWalk->Add(new cImageFile(WriteBitmap("eight" + std::to_string(n) + ".bmp", 48, 32, 8, Table(0),
                                                   [n](int x, int y) { return (x * 3 + y * 5 + n * 17) % 64 + ((x / 8 + n) % 2) * 64; }).c_str()));
         root.Add(new cImageFile(WriteBitmap("eight_small.bmp", 30, 20, 8, Table(9),
                                             [](int x, int y) { return (x ^ y) & 255; }).c_str()));
     }},
    {"truecolour", 0, [](cImageList& root) {
         for (int n = 0; n < 4; ++n)
             root.Add(new cImageFile(WriteBitmap("true" + std::to_string(n) + ".bmp", 64, 48, 24, {},
                                                 [n](int x, int y) {
                                                     const int dx = x - 10 - 10 * n, dy = y - 24;
                                                     if (dx * dx + dy * dy < 80)
                                                         return static_cast<DWORD>(0xF0C020);
                                                     return static_cast<DWORD>(((x * 4) << 16) | ((y * 5) << 8) | ((x + y) * 2));
                                                 }).c_str()));
     }},
    {"transparent", 1, [](cImageList& root) {
         for (int n = 0; n < 5; ++n)
             root.Add(new cImageFile(WriteBitmap("clear" + std::to_string(n) + ".bmp", 40, 30, 8, Table(3),
                                                 [n](int x, int y) {
                                                     const bool box = x >= 4 + 6 * n && x < 14 + 6 * n && y >= 8 && y < 20;
                                                     return static_cast<DWORD>(box ? 200 + n : (y > 25 ? 90 : 0));
                                                 }).c_str()));
     }},
};

cExportSettings Settings(const std::string& output, int nLoop, int nTransparency)
{
    cExportSettings s;
    s.nKind = cExportSettings::animation;
    s.strOutput = Work(output).c_str();
    s.nFrameRate = 10;
    s.nLoopCount = nLoop;
    s.nTransparency = nTransparency;
    return s;      // dithering and differencing as the program's windows export
}

// Plays on a clock of its own that jumps to each frame's time, so that a
// test takes as long as the work: each frame shown, with its node.
struct Played
{
    std::vector<cAnimationPlayer::Frame> frames;    // kept only without onFrame
    int nShown = 0;
    cAnimationPlayer::State state = cAnimationPlayer::starting;
    std::string error;
};

Played Play(cTestNode* pRoot, const cExportSettings& settings, size_t cbKeep, int nMaxFrames,
            const std::function<void(const cAnimationPlayer&, int)>& onFrame = nullptr)
{
    Played played;
    cAnimationPlayer player(pRoot, settings, cbKeep);
    DWORD dwNow = 1000;
    for (int nSteps = 0; nSteps < 2000000; ++nSteps) {
        if (player.Step(dwNow, 50)) {
            if (onFrame)
                onFrame(player, player.GetShownCount());
            else
                played.frames.push_back(*player.GetCurrent());
            dwNow += 10 * player.GetCurrent()->nDelay;
        }
        if (player.GetState() == cAnimationPlayer::failed || player.GetState() == cAnimationPlayer::ended
            || player.GetShownCount() >= nMaxFrames)
            break;
    }
    played.state = player.GetState();
    played.nShown = player.GetShownCount();
    if (player.GetError() != nullptr)
        played.error = player.GetError();
    return played;
}

// The frames as RGBA, the colour of transparent pixels cleared, as
// check_play.py reads them.
void WriteFrames(const std::string& stem, const std::vector<cAnimationPlayer::Frame>& frames)
{
    std::vector<BYTE> rgba;
    std::string delays;
    for (const cAnimationPlayer::Frame& f : frames) {
        for (DWORD c : f.pixels) {
            const bool bShown = (c >> 24) != 0;
            rgba.insert(rgba.end(), {static_cast<BYTE>(bShown ? c >> 16 : 0), static_cast<BYTE>(bShown ? c >> 8 : 0),
                                     static_cast<BYTE>(bShown ? c : 0), static_cast<BYTE>(bShown ? 255 : 0)});
        }
        delays += std::to_string(f.nDelay) + "\n";
    }
    testsupport::WriteFileBytes(Work(stem + ".play.rgba"), rgba.data(), rgba.size());
    testsupport::WriteFileBytes(Work(stem + ".play.txt"), delays.data(), delays.size());
}

// The image nodes in export order: what the frames must name.
std::vector<cTestNode*> ImageNodes(cTestNode* pNode)
{
    std::vector<cTestNode*> nodes;
    if (pNode->m_nType == cTestNode::typeImage)
        nodes.push_back(pNode);
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        for (cTestNode* p : ImageNodes(pNode->GetChild(i)))
            nodes.push_back(p);
    return nodes;
}

bool SameFrame(const cAnimationPlayer::Frame& a, const cAnimationPlayer::Frame& b)
{
    if (a.pixels.size() != b.pixels.size() || a.nDelay != b.nDelay)
        return false;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        if ((a.pixels[i] >> 24) != (b.pixels[i] >> 24) || ((a.pixels[i] >> 24) != 0 && a.pixels[i] != b.pixels[i]))
            return false;
    return true;
}

} // namespace

TEST(Player, ShowsTheExportedGifsFramesForEachMaterial)
{
    for (const Material& m : kMaterials) {
        SCOPED_TRACE(m.name);
        cImageList root;
        m.build(root);
        const std::string gif = std::string(m.name) + ".gif";
        exporttest::RecordingProgress progress;
        const cExportSettings settings = Settings(gif, 0, m.nTransparency);
        ASSERT_TRUE(ExportAnimation(&root, settings, &progress)) << (progress.failures.empty() ? "" : progress.failures[0]);

        const std::vector<cTestNode*> nodes = ImageNodes(&root);
        const Played played = Play(&root, settings, cAnimationPlayer::kBytesKept, static_cast<int>(nodes.size()));
        ASSERT_EQ(nodes.size(), played.frames.size()) << played.error;
        for (size_t i = 0; i < nodes.size(); ++i) {
            EXPECT_EQ(nodes[i], played.frames[i].pNode) << "frame " << i;
            EXPECT_EQ(static_cast<int>(i), played.frames[i].nImage);
            EXPECT_EQ(10u * i, played.frames[i].dwTime);
            EXPECT_EQ(0, played.frames[i].nLoop);
        }
        WriteFrames(m.name, played.frames);
    }
}

TEST(Player, EachLoopShowsTheSameFramesWhetherKeptOrEncodedAgain)
{
    cImageList root;
    kMaterials[2].build(root);
    const int nImages = static_cast<int>(ImageNodes(&root).size());
    // A loop count of 2: three showings, then the end.
    for (size_t cbKeep : {cAnimationPlayer::kBytesKept, size_t(0)}) {
        SCOPED_TRACE(cbKeep == 0 ? "encoded again" : "kept");
        const Played played = Play(&root, Settings("loops.gif", 2, 1), cbKeep, 1000);
        EXPECT_EQ(cAnimationPlayer::ended, played.state) << played.error;
        ASSERT_EQ(static_cast<size_t>(3 * nImages), played.frames.size());
        for (int i = 0; i < 3 * nImages; ++i) {
            const cAnimationPlayer::Frame& f = played.frames[i];
            EXPECT_EQ(i / nImages, f.nLoop) << i;
            EXPECT_EQ(i % nImages, f.nImage) << i;
            EXPECT_TRUE(SameFrame(played.frames[i % nImages], f)) << "frame " << i;
            EXPECT_EQ(played.frames[i % nImages].pNode, f.pNode) << i;
        }
    }
}

TEST(Player, ADroppedPlayerLeavesNothingBehindAndTheNextPlays)
{
    cImageList root;
    kMaterials[0].build(root);
    char szTemp[MAX_PATH];
    ::GetTempPathA(sizeof szTemp, szTemp);
    const auto countTemp = [&] {
        WIN32_FIND_DATAA data;
        int n = 0;
        HANDLE h = ::FindFirstFileA((std::string(szTemp) + "*").c_str(), &data);
        for (BOOL b = h != INVALID_HANDLE_VALUE; b; b = ::FindNextFileA(h, &data))
            ++n;
        if (h != INVALID_HANDLE_VALUE)
            ::FindClose(h);
        return n;
    };
    const int nTempBefore = countTemp();
    for (int nStop : {0, 1, 3}) {
        cAnimationPlayer player(&root, Settings("dropped.gif", 0, 0));
        for (int i = 0; i < 200 && player.GetShownCount() < nStop; ++i)
            player.Step(1000 + 1000 * i, 20);
        EXPECT_EQ(nStop, player.GetShownCount());
    }
    EXPECT_EQ(nTempBefore, countTemp());
    EXPECT_FALSE(testsupport::FileExists(Work("dropped.gif")));
    const Played played = Play(&root, Settings("dropped.gif", 0, 0), cAnimationPlayer::kBytesKept, 6);
    EXPECT_EQ(6u, played.frames.size()) << played.error;
}

TEST(Player, AThousandFramesPlayInFlatMemory)
{
    // Noise, so that the GIF (about 19 MB) is far larger than what is kept.
    cImageList root;
    std::uint32_t seed = 12345;
    const auto next = [&seed] { seed = seed * 1103515245u + 12345u; return seed >> 16; };
    const int nFrames = 1000;
    for (int n = 0; n < nFrames; ++n)
        root.Add(new cImageFile(WriteBitmap("noise" + std::to_string(n) + ".bmp", 160, 120, 8, Table(1),
                                            [&](int, int) { return static_cast<DWORD>(next() & 255); }).c_str()));
    const auto committed = [] {
        PROCESS_MEMORY_COUNTERS_EX pmc = {};
        pmc.cb = sizeof pmc;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
        // Wine leaves PrivateUsage at 0; the commit charge is the same memory.
        return static_cast<double>(std::max(pmc.PrivateUsage, pmc.PagefileUsage)) / (1 << 20);
    };
    std::map<int, double> memory;
    size_t nMostWaiting = 0, cbMostWaiting = 0;
    const DWORD dwStart = ::GetTickCount();
    DWORD dwFirst = 0;
    const Played played = Play(&root, Settings("thousand.gif", 0, 0), cAnimationPlayer::kBytesKept, nFrames,
                               [&](const cAnimationPlayer& player, int nShown) {
                                   if (nShown == 1)
                                       dwFirst = ::GetTickCount() - dwStart;
                                   nMostWaiting = std::max(nMostWaiting, player.GetFramesWaiting());
                                   cbMostWaiting = std::max(cbMostWaiting, player.GetBytesWaiting());
                                   if (nShown % 100 == 0)
                                       memory[nShown] = committed();
                               });
    const DWORD dwAll = ::GetTickCount() - dwStart;
    ASSERT_EQ(nFrames, played.nShown) << played.error;
    std::printf("play of %d frames of 160x120: first frame after %lu ms, all in %lu ms; MiB committed at frame",
                nFrames, static_cast<unsigned long>(dwFirst), static_cast<unsigned long>(dwAll));
    for (const auto& m : memory)
        std::printf(" %d: %.1f", m.first, m.second);
    std::printf("; at most %u frames and %u bytes waiting\n", static_cast<unsigned>(nMostWaiting),
                static_cast<unsigned>(cbMostWaiting));
    EXPECT_LE(nMostWaiting, cAnimationPlayer::kFramesAhead);
    EXPECT_LT(cbMostWaiting, 1u << 20);
    // Once what is kept for looping has been let go (4 MiB of this GIF's
    // 20 or so, by frame 200), memory does not grow with the frames: the
    // heap may take a step of about 2 MiB, but keeping the GIF's bytes or
    // its frames would add 15 MiB or more.
    double dLeast = 1e9, dMost = 0;
    for (const auto& m : memory)
        if (m.first >= 300 && m.first < nFrames) {
            dLeast = std::min(dLeast, m.second);
            dMost = std::max(dMost, m.second);
        }
    EXPECT_LT(dMost - dLeast, 4.0) << "MiB between frame 300 and the last";
    EXPECT_LT(memory[nFrames] - memory[100], 4.0 + cAnimationPlayer::kBytesKept / double(1 << 20));
}
