// Ends a test program at once when one of its tests hangs (images that wait
// for each other in the wrong order, say): the test is named and the
// program fails within 30 s, not at ctest's timeout minutes later.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class Watchdog final : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo& info) override
    {
        m_strName = std::string(info.test_suite_name()) + "." + info.name();
        ::CreateTimerQueueTimer(&m_hTimer, nullptr, Expired, this, 30 * 1000, 0, WT_EXECUTEDEFAULT);
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        // Waits for a callback that has begun: it ends the program anyway.
        if (m_hTimer != nullptr)
            ::DeleteTimerQueueTimer(nullptr, m_hTimer, INVALID_HANDLE_VALUE);
        m_hTimer = nullptr;
    }
    static void CALLBACK Expired(void* p, BOOLEAN)
    {
        std::fprintf(stderr, "\n%s has not ended after 30 s: stopped as hung\n",
                     static_cast<Watchdog*>(p)->m_strName.c_str());
        std::fflush(stderr);
        // Not ExitProcess: the hung thread may hold locks that detaching
        // the libraries would wait for.
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }

    HANDLE m_hTimer = nullptr;
    std::string m_strName;
};

// Installed before main: every test of the program runs under it.
const bool g_bInstalled = (::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog), true);

} // namespace
