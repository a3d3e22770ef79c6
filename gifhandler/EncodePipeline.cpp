// CEncodePipeline: a ring of jobs between the stream's thread and the
// workers. Job n lives in slot n % m_nJobs; the stream's thread fills it,
// one worker encodes it, and the stream's thread writes it before it fills
// the slot again, so no job is touched by two threads at once. The
// semaphore and the events order the hand-overs.
#include "EncodePipeline.h"

#include <vfw.h>

CEncodePipeline::CEncodePipeline()
    : m_hFile(nullptr), m_nWorkers(0), m_nJobs(0), m_hWaiting(nullptr), m_nSubmitted(0), m_nWritten(0),
      m_nTaken(0), m_bStopping(FALSE), m_hrError(S_OK)
{
    for (DWORD i = 0; i < kMaxWorkers; ++i)
        m_hWorkers[i] = nullptr;
    for (DWORD i = 0; i < kMaxJobs; ++i) {
        m_hDone[i] = nullptr;
        m_bEncoded[i] = false;
    }
}

CEncodePipeline::~CEncodePipeline()
{
    Stop();
}

bool CEncodePipeline::Start(HANDLE hFile)
{
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    DWORD nWorkers = info.dwNumberOfProcessors;
    nWorkers = nWorkers < 1 ? 1 : nWorkers > kMaxWorkers ? kMaxWorkers : nWorkers;
    // Two jobs a worker, and one the stream fills meanwhile.
    m_nJobs = 2 * nWorkers + 1;
    m_hWaiting = ::CreateSemaphoreW(nullptr, 0, static_cast<LONG>(m_nJobs), nullptr);
    if (m_hWaiting == nullptr) {
        Stop();
        return false;
    }
    for (DWORD i = 0; i < m_nJobs; ++i) {
        m_hDone[i] = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (m_hDone[i] == nullptr) {
            Stop();
            return false;
        }
    }
    for (DWORD i = 0; i < nWorkers; ++i) {
        m_hWorkers[i] = ::CreateThread(nullptr, 0, WorkerMain, this, 0, nullptr);
        if (m_hWorkers[i] == nullptr) {
            Stop();
            return false;
        }
        m_nWorkers = i + 1;
    }
    m_hFile = hFile;
    return true;
}

// Every submitted job is encoded before the workers are told to go: a
// worker never leaves a job half done, and none is left waiting for one.
void CEncodePipeline::Stop()
{
    for (DWORD n = m_nWritten; n < m_nSubmitted && m_nWorkers != 0; ++n)
        ::WaitForSingleObject(m_hDone[n % m_nJobs], INFINITE);
    ::InterlockedExchange(&m_bStopping, TRUE);
    if (m_nWorkers != 0) {
        ::ReleaseSemaphore(m_hWaiting, static_cast<LONG>(m_nWorkers), nullptr);
        ::WaitForMultipleObjects(m_nWorkers, m_hWorkers, TRUE, INFINITE);
    }
    for (DWORD i = m_nWorkers; i-- > 0;) {
        ::CloseHandle(m_hWorkers[i]);
        m_hWorkers[i] = nullptr;
    }
    m_nWorkers = 0;
    for (DWORD i = m_nJobs; i-- > 0;)
        if (m_hDone[i] != nullptr) {
            ::CloseHandle(m_hDone[i]);
            m_hDone[i] = nullptr;
        }
    if (m_hWaiting != nullptr)
        ::CloseHandle(m_hWaiting);
    m_hWaiting = nullptr;
}

DWORD WINAPI CEncodePipeline::WorkerMain(void* pPipeline)
{
    static_cast<CEncodePipeline*>(pPipeline)->EncodeJobs();
    return 0;
}

void CEncodePipeline::EncodeJobs()
{
    for (;;) {
        ::WaitForSingleObject(m_hWaiting, INFINITE);
        if (::InterlockedCompareExchange(&m_bStopping, FALSE, FALSE))
            return;
        const DWORD slot = static_cast<DWORD>(::InterlockedIncrement(&m_nTaken) - 1) % m_nJobs;
        m_bEncoded[slot] = m_jobs[slot].Encode();
        ::SetEvent(m_hDone[slot]);
    }
}

void CEncodePipeline::Fail(HRESULT hr)
{
    if (SUCCEEDED(m_hrError))
        m_hrError = hr;
}

bool CEncodePipeline::WriteOldest(bool bWait)
{
    if (FAILED(m_hrError) || m_nWritten == m_nSubmitted)
        return false;
    const DWORD slot = m_nWritten % m_nJobs;
    if (::WaitForSingleObject(m_hDone[slot], bWait ? INFINITE : 0) != WAIT_OBJECT_0)
        return false;
    if (!m_bEncoded[slot]) {
        Fail(AVIERR_MEMORY);
        return false;
    }
    LARGE_INTEGER start, zero;
    zero.QuadPart = 0;
    const bool bKnowStart = ::SetFilePointerEx(m_hFile, zero, &start, FILE_CURRENT) != FALSE;
    if (!m_jobs[slot].WriteTo(m_hFile)) {
        // Part of the image may have gone in; it must not look like one.
        if (bKnowStart && ::SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN))
            ::SetEndOfFile(m_hFile);
        Fail(AVIERR_FILEWRITE);
        return false;
    }
    ++m_nWritten;
    return true;
}

CEncodeJob* CEncodePipeline::NextJob()
{
    while (WriteOldest(false)) {
    }
    if (m_nSubmitted - m_nWritten == m_nJobs)
        WriteOldest(true);
    if (FAILED(m_hrError))
        return nullptr;
    const DWORD slot = m_nSubmitted % m_nJobs;
    ::ResetEvent(m_hDone[slot]);
    return &m_jobs[slot];
}

void CEncodePipeline::Submit()
{
    ++m_nSubmitted;
    ::ReleaseSemaphore(m_hWaiting, 1, nullptr);
}

HRESULT CEncodePipeline::Finish()
{
    while (WriteOldest(true)) {
    }
    return m_hrError;
}
