// Reading a small .bmp file that claims a huge picture must cost memory in
// proportion to the file, not to the claim: the process's peak working set
// stays within a few megabytes of where it was.
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
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &pmc, sizeof pmc))
        return 0;
    return pmc.PeakWorkingSetSize;
}

const SIZE_T kLimit = 64 << 20;

} // namespace

TEST(cDibMemory, SmallFilesClaimingHugePicturesStaySmall)
{
    struct Case { const char* what; WORD bits; DWORD compression; };
    const Case cases[] = {
        {"1-bit", 1, BI_RGB},
        {"8-bit", 8, BI_RGB},
        {"8-bit runs", 8, BI_RLE8},
        {"4-bit runs", 4, BI_RLE4},
    };
    const SIZE_T nBefore = PeakWorkingSet();
    ASSERT_NE(0u, nBefore);
    for (const Case& c : cases) {
        bmp::Layout l;
        l.width = 65535;
        l.height = 65535;
        l.bitCount = c.bits;
        l.compression = c.compression;
        bmp::Bytes bytes = bmp::File(l, bmp::Bytes());
        bytes.resize(5 * 1024, 0x00);
        const std::string path = testsupport::WorkPath("huge-claim.bmp");
        ASSERT_TRUE(testsupport::WriteFileBytes(path, bytes.data(), bytes.size()));

        cDrawDib frame;
        EXPECT_FALSE(frame.LoadBmpFile(path.c_str())) << c.what;
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
        cDrawDib format;
        EXPECT_FALSE(format.ReadFileHeader(file) && format.ReadInfo(file)) << c.what;

        const SIZE_T nPeak = PeakWorkingSet();
        std::printf("%-10s peak working set %.1f MB (%.1f MB before reading)\n", c.what,
                    nPeak / 1048576.0, nBefore / 1048576.0);
        EXPECT_LT(nPeak - nBefore, kLimit) << c.what;
    }
}
