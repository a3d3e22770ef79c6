// Ends a test program at once when one of its tests hangs (images that wait
// for each other in the wrong order, say): the test is named and the
// program fails within a minute, instead of ctest's timeout ending it
// minutes later without a word.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const DWORD kLimitMs = 30 * 1000;

class Watchdog final : public ::testing::EmptyTestEventListener
{
public:
    Watchdog() : m_hEnded(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_hThread(nullptr) {}

    void OnTestStart(const ::testing::TestInfo& info) override
    {
        m_strName = std::string(info.test_suite_name()) + "." + info.name();
        ::ResetEvent(m_hEnded);
        m_hThread = ::CreateThread(nullptr, 0, Watch, this, 0, nullptr);
    }

    void OnTestEnd(const ::testing::TestInfo&) override
    {
        ::SetEvent(m_hEnded);
        if (m_hThread != nullptr) {
            ::WaitForSingleObject(m_hThread, INFINITE);
            ::CloseHandle(m_hThread);
        }
        m_hThread = nullptr;
    }

private:
    static DWORD WINAPI Watch(void* p)
    {
        Watchdog* self = static_cast<Watchdog*>(p);
        if (::WaitForSingleObject(self->m_hEnded, kLimitMs) != WAIT_TIMEOUT)
            return 0;
        std::fprintf(stderr, "\n%s has not ended after %lu s: stopped as hung\n", self->m_strName.c_str(),
                     kLimitMs / 1000);
        std::fflush(stderr);
        // Not ExitProcess: the hung thread may hold locks that library
        // detach would wait for.
        ::TerminateProcess(::GetCurrentProcess(), 3);
        return 0;
    }

    HANDLE m_hEnded;
    HANDLE m_hThread;
    std::string m_strName;
};

// Installed before main: every test of the program runs under it.
const bool g_bInstalled = (::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog), true);

} // namespace
