// CEncodePipeline: a ring of jobs between the stream's thread and the
// workers. Job n lives in slot n % m_nJobs; the stream's thread fills it,
// one worker encodes it, and the stream's thread writes it before it fills
// the slot again, so no job is touched by two threads at once. A task is
// handed over the same way, and the stream waits for it before it touches
// what the task works on. The counts and flags that hand a job or a task
// over are read and changed under m_lock only.
#include "EncodePipeline.h"

#include <vfw.h>

namespace {

// The system function of that name, typed; through the untyped function
// pointer, which the compiler accepts between any two function types.
template <typename Function>
bool FindSystemFunction(HMODULE hModule, const char* pszName, Function& pfn)
{
    pfn = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(hModule, pszName)));
    return pfn != nullptr;
}

} // namespace

CEncodePipeline::CEncodePipeline()
    : m_pOutput(nullptr), m_nWorkers(0), m_nJobs(0), m_nJobsSubmitted(0), m_nJobsTaken(0), m_pTask(nullptr),
      m_bTaskTaken(false), m_bTaskRun(false), m_bStopping(false), m_nJobsWritten(0)
{
    m_pfnAcquire = m_pfnRelease = nullptr;
    m_pfnSleep = nullptr;
    m_pfnWake = m_pfnWakeAll = nullptr;
    // All three start as zeros, as their initialising functions make them.
    ::ZeroMemory(&m_lock, sizeof m_lock);
    ::ZeroMemory(&m_jobWaiting, sizeof m_jobWaiting);
    ::ZeroMemory(&m_jobEncoded, sizeof m_jobEncoded);
    for (DWORD i = 0; i < kMaxWorkers; ++i)
        m_hWorkers[i] = nullptr;
    for (DWORD i = 0; i < kMaxJobs; ++i)
        m_bEncoded[i] = m_bEncodedWell[i] = false;
}

CEncodePipeline::~CEncodePipeline()
{
    Stop();
}

bool CEncodePipeline::Start(COutputSink& output)
{
    const HMODULE hKernel = ::GetModuleHandleW(L"kernel32.dll");
    if (hKernel == nullptr)
        return false;
    if (!FindSystemFunction(hKernel, "AcquireSRWLockExclusive", m_pfnAcquire)
        || !FindSystemFunction(hKernel, "ReleaseSRWLockExclusive", m_pfnRelease)
        || !FindSystemFunction(hKernel, "SleepConditionVariableSRW", m_pfnSleep)
        || !FindSystemFunction(hKernel, "WakeConditionVariable", m_pfnWake)
        || !FindSystemFunction(hKernel, "WakeAllConditionVariable", m_pfnWakeAll))
        return false;
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    DWORD nWorkers = info.dwNumberOfProcessors;
    nWorkers = nWorkers < 1 ? 1 : nWorkers > kMaxWorkers ? kMaxWorkers : nWorkers;
    // Two jobs a worker, and one the stream fills meanwhile.
    m_nJobs = 2 * nWorkers + 1;
    m_pOutput = &output;
    for (DWORD i = 0; i < nWorkers; ++i) {
        m_hWorkers[i] = ::CreateThread(nullptr, 0, WorkerMain, this, 0, nullptr);
        if (m_hWorkers[i] == nullptr) {
            Stop();
            return false;
        }
        m_nWorkers = i + 1;
    }
    return true;
}

// The workers leave once nothing submitted is left to encode or run: no job
// is left half done, and none waits for a worker that has gone.
void CEncodePipeline::Stop()
{
    if (m_nWorkers == 0)
        return;
    m_pfnAcquire(&m_lock);
    m_bStopping = true;
    m_pfnRelease(&m_lock);
    m_pfnWakeAll(&m_jobWaiting);
    ::WaitForMultipleObjects(m_nWorkers, m_hWorkers, TRUE, INFINITE);
    for (DWORD i = m_nWorkers; i-- > 0;) {
        ::CloseHandle(m_hWorkers[i]);
        m_hWorkers[i] = nullptr;
    }
    m_nWorkers = 0;
}

DWORD WINAPI CEncodePipeline::WorkerMain(void* pPipeline)
{
    static_cast<CEncodePipeline*>(pPipeline)->Work();
    return 0;
}

void CEncodePipeline::Work()
{
    m_pfnAcquire(&m_lock);
    for (;;) {
        const auto taskWaiting = [this] { return m_pTask != nullptr && !m_bTaskTaken; };
        while (m_nJobsTaken == m_nJobsSubmitted && !taskWaiting() && !m_bStopping)
            m_pfnSleep(&m_jobWaiting, &m_lock, INFINITE, 0);
        // The task first: the stream waits for it before its next image.
        if (taskWaiting()) {
            m_bTaskTaken = true;
            CPipelineTask* task = m_pTask;
            m_pfnRelease(&m_lock);
            task->Run();
            m_pfnAcquire(&m_lock);
            m_bTaskRun = true;
            m_pfnWakeAll(&m_jobEncoded);
            continue;
        }
        if (m_nJobsTaken == m_nJobsSubmitted)
            break;
        const DWORD slot = m_nJobsTaken++ % m_nJobs;
        m_pfnRelease(&m_lock);
        const bool bWell = m_jobs[slot].Encode();
        m_pfnAcquire(&m_lock);
        m_bEncodedWell[slot] = bWell;
        m_bEncoded[slot] = true;
        m_pfnWakeAll(&m_jobEncoded);
    }
    m_pfnRelease(&m_lock);
}

bool CEncodePipeline::WriteOldest(bool bWait)
{
    if (FAILED(m_pOutput->Error()) || m_nJobsWritten == m_nJobsSubmitted)
        return false;
    const DWORD slot = m_nJobsWritten % m_nJobs;
    m_pfnAcquire(&m_lock);
    while (bWait && !m_bEncoded[slot])
        m_pfnSleep(&m_jobEncoded, &m_lock, INFINITE, 0);
    const bool bEncoded = m_bEncoded[slot], bWell = m_bEncodedWell[slot];
    m_pfnRelease(&m_lock);
    if (!bEncoded)
        return false;
    if (!bWell) {
        m_pOutput->Fail(AVIERR_MEMORY);
        return false;
    }
    // A failed write is the output's to keep, and to cut back.
    if (!m_jobs[slot].WriteTo(*m_pOutput))
        return false;
    m_pOutput->EndImage();
    ++m_nJobsWritten;
    return true;
}

CEncodeJob* CEncodePipeline::NextJob()
{
    while (WriteOldest(false)) {
    }
    if (m_nJobsSubmitted - m_nJobsWritten == m_nJobs)
        WriteOldest(true);
    if (FAILED(m_pOutput->Error()))
        return nullptr;
    // The slot is free: its image is written (or it was never used).
    return &m_jobs[m_nJobsSubmitted % m_nJobs];
}

void CEncodePipeline::Submit()
{
    m_pfnAcquire(&m_lock);
    m_bEncoded[m_nJobsSubmitted % m_nJobs] = false;
    ++m_nJobsSubmitted;
    m_pfnRelease(&m_lock);
    m_pfnWake(&m_jobWaiting);
}

void CEncodePipeline::SubmitTask(CPipelineTask& task)
{
    m_pfnAcquire(&m_lock);
    m_pTask = &task;
    m_bTaskTaken = m_bTaskRun = false;
    m_pfnRelease(&m_lock);
    m_pfnWake(&m_jobWaiting);
}

void CEncodePipeline::WaitTask()
{
    m_pfnAcquire(&m_lock);
    while (m_pTask != nullptr && !m_bTaskRun)
        m_pfnSleep(&m_jobEncoded, &m_lock, INFINITE, 0);
    m_pTask = nullptr;
    m_pfnRelease(&m_lock);
}

HRESULT CEncodePipeline::Finish()
{
    while (WriteOldest(true)) {
    }
    return m_pOutput->Error();
}
