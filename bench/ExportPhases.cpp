// export_phases: where the time of one "Create animation" goes, inside the
// process. Runs the phases of the export apart on a saved project:
//   load    the project file read and its tree rebuilt
//   scan    the canvas scan (every frame's format)
//   read    every frame read and decoded, nothing written
//   export  the whole export to a GIF through AVIFile (scan, read, write)
//   first   Play in the preview: until the first frame is shown
//   play    Play: until every frame of one showing has been shown, on a
//           clock that jumps to each frame's time (the work, not the delays)
// and prints the seconds of each, one line per phase, as the median of the
// rounds, then playmib: the most memory Play committed beyond what the
// process held before it (MiB, the highest of the rounds). What the export
// costs beyond scan and read is the writing: the AVIFile layer, the GIF
// handler's encoding and the file.
//   export_phases PROJECT.seq OUTPUT.gif [ROUNDS]
#include "AnimationExport.h"
#include "AnimationPlayer.h"
#include "ExportScopes.h"
#include "GifOptions.h"
#include "ProjectClasses.h"
#include "TestDoc.h"
#include "TestNode.h"
#include "WinApp.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class cBenchApp : public CWinApp
{
public:
    cBenchApp() : CWinApp("export_phases") {}
    int DoMessageBox(LPCSTR lpszPrompt, UINT, UINT) override
    {
        std::fprintf(stderr, "%s\n", lpszPrompt);
        return IDCANCEL;
    }
    void DoWaitCursor(int) override {}
};

cBenchApp theApp;

// Progress nobody watches: the phases measure the work, not a display.
class cSilentProgress : public cExportProgress
{
public:
    void Show() override {}
    void Hide() override {}
    void SetStatus(LPCSTR) override {}
    void SetRange(int) override {}
    void StepIt() override {}

protected:
    void ShowFailure(const cExportReport::Failure& failure) override
    {
        std::fprintf(stderr, "%s\n", static_cast<LPCSTR>(cExportReport::FailureLine(failure)));
    }
};

double Now()
{
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Every frame of the tree read and its rows touched; the count of frames read.
int ReadFrames(cTestNode* pNode)
{
    int nRead = 0;
    {
        cNodeOpen open(pNode);
        for (int i = 0; i < pNode->GetFrameCount(); ++i) {
            FramePtr pFrame(pNode->GetFrame(i));
            if (pFrame == nullptr)
                continue;
            if (pFrame->LockBits() != nullptr)
                ++nRead;
            pFrame->FreeBits();
        }
    }
    for (int j = 0; j < pNode->GetChildCount(); ++j)
        nRead += ReadFrames(pNode->GetChild(j));
    return nRead;
}

// The memory the process has committed, in MiB (Wine leaves PrivateUsage at 0).
double CommittedMiB()
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
    return static_cast<double>(std::max(pmc.PrivateUsage, pmc.PagefileUsage)) / (1 << 20);
}

// Plays one showing of the project; the seconds to the first frame and to
// the last, and the most MiB committed beyond the start.
void Play(cTestNode* pRoot, const cExportSettings& settings, double& dFirst, double& dAll, double& dMiB)
{
    const double dBefore = CommittedMiB(), t0 = Now();
    dFirst = dAll = dMiB = 0;
    cAnimationPlayer player(pRoot, settings);
    DWORD dwNow = 0;
    while (player.GetState() != cAnimationPlayer::failed) {
        if (player.Step(dwNow, 50)) {
            const cAnimationPlayer::Frame* pFrame = player.GetCurrent();
            if (player.GetShownCount() == 1)
                dFirst = Now() - t0;
            dMiB = std::max(dMiB, CommittedMiB() - dBefore);
            if (pFrame->nLoop > 0)
                break;
            dAll = Now() - t0;
            dwNow += 10 * pFrame->nDelay;
        }
        if (player.GetState() == cAnimationPlayer::ended)
            break;
    }
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv)
{
    theApp.m_hInstance = ::GetModuleHandleA(nullptr);
    RegisterProjectClasses();
    if (argc < 3) {
        std::fprintf(stderr, "usage: export_phases PROJECT.seq OUTPUT.gif [ROUNDS]\n");
        return 2;
    }
    const int nRounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    std::vector<double> load, scan, read, exported, first, played;
    double dPlayMiB = 0;
    int nFrames = 0;
    for (int r = 0; r < nRounds; ++r) {
        CTestDoc doc;
        double t0 = Now();
        if (!doc.OnOpenDocument(argv[1]))
            return 1;
        load.push_back(Now() - t0);

        cDrawDib canvas;
        t0 = Now();
        ScanFrames(&doc.m_root, canvas);
        scan.push_back(Now() - t0);

        t0 = Now();
        nFrames = ReadFrames(&doc.m_root);
        read.push_back(Now() - t0);

        cExportSettings settings = doc.GetExportSettings(cExportSettings::animation);
        settings.strOutput = argv[2];
        settings.nTransparency = 0;
        cSilentProgress progress;
        t0 = Now();
        if (!doc.Export(settings, &progress).IsComplete())
            return 1;
        exported.push_back(Now() - t0);

        double dFirst, dAll, dMiB;
        Play(&doc.m_root, settings, dFirst, dAll, dMiB);
        first.push_back(dFirst);
        played.push_back(dAll);
        dPlayMiB = std::max(dPlayMiB, dMiB);
    }
    const double dWrite = Median(exported) - Median(scan) - Median(read);
    std::printf("frames %d\n", nFrames);
    std::printf("load %.4f\n", Median(load));
    std::printf("scan %.4f\n", Median(scan));
    std::printf("read %.4f\n", Median(read));
    std::printf("export %.4f\n", Median(exported));
    std::printf("write %.4f\n", dWrite);
    std::printf("first %.4f\n", Median(first));
    std::printf("play %.4f\n", Median(played));
    std::printf("playmib %.1f\n", dPlayMiB);
    return 0;
}
