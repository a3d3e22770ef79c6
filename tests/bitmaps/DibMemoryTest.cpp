// Reading a small .bmp file that claims a huge picture costs memory in
// proportion to the file, not to the claim. A program of its own, so that
// the process's peak working set is this test's alone.
#include "DrawDib.h"

#include "BmpBuilder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <cstdio>

namespace {

SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PeakWorkingSetSize : 0;
}

} // namespace

TEST(cDibMemory, SmallFilesClaimingHugePicturesStaySmall)
{
    const SIZE_T nBefore = PeakWorkingSet();
    ASSERT_NE(0u, nBefore);
    for (WORD bits : {1, 8}) {
        bmp::Layout l;
        l.width = 65535;
        l.height = 65535;
        l.bitCount = bits;
        l.compression = bits == 8 ? BI_RLE8 : BI_RGB;
        bmp::Bytes bytes = bmp::File(l, bmp::Bytes());
        bytes.resize(5 * 1024, 0x00);       // for runs: ends of line
        const std::string path = testsupport::WorkPath("huge-claim.bmp");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes.data(), bytes.size()));
        cDrawDib dib;
        EXPECT_FALSE(dib.LoadBmpFile(path.c_str())) << bits;

        const SIZE_T nPeak = PeakWorkingSet();
        std::printf("%d-bit: peak working set %.1f MB, %.1f MB before\n", bits, nPeak / 1048576.0, nBefore / 1048576.0);
        EXPECT_LT(nPeak - nBefore, static_cast<SIZE_T>(64) << 20) << bits;
    }
}
