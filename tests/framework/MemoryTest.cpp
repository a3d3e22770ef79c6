// Memory as the framework reports it: failed allocations as CMemoryException*,
// and string buffers that are released however they were asked for.
#include "Afx.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <cstdint>

namespace {

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters);
    return counters.PrivateUsage;
}

} // namespace

TEST(Memory, FailedAllocationIsTheFrameworksException)
{
    // More than any process can have, and hidden from the compiler's own checks.
    volatile size_t nHuge = SIZE_MAX / 2 - 16;
    CException* pCaught = nullptr;
    try {
        char* p = new char[nHuge];
        delete[] p;
    } catch (CException* e) {
        pCaught = e;
    }
    ASSERT_NE(nullptr, pCaught);
    EXPECT_TRUE(pCaught->IsKindOf(RUNTIME_CLASS(CMemoryException)));
    pCaught->Delete();

    // The nothrow form still answers null rather than throwing.
    char* p = new (std::nothrow) char[nHuge];
    EXPECT_EQ(nullptr, p);
}

TEST(Memory, EmptyBuffersOfEmptyStringsAreReleased)
{
    // A leak of even the smallest block per call shows as megabytes here.
    const SIZE_T nBefore = PrivateBytes();
    for (int i = 0; i < 200000; ++i) {
        CString a, b;
        a.GetBuffer(0);
        a.ReleaseBuffer();
        b.GetBufferSetLength(0);
    }
    EXPECT_LT(PrivateBytes() - nBefore, static_cast<SIZE_T>(2 * 1024 * 1024));

    CString s;
    LPSTR p = s.GetBuffer(0);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ('\0', p[0]);
    s.ReleaseBuffer();
    EXPECT_TRUE(s.IsEmpty());
}
