// CEncodePipeline: images encoded on worker threads and written to the file
// in the order they came. The stream fills a job and submits it; workers
// encode jobs as they come; finished images are written, oldest first,
// whenever the stream comes back for a job and when it asks to finish. A
// fixed number of jobs is in flight, whatever the number of images. Beside
// the images, one task at a time (the mapping of a frame's pixels) runs on a
// worker while the stream goes on.
//
// Failures follow the output's rule: after the first nothing more is
// written, and every later call answers it.
#pragma once

#include <windows.h>

#include "EncodeJob.h"
#include "OutputSink.h"

// Work a worker runs for the stream: Run is called once, on a worker.
class CPipelineTask
{
public:
    virtual void Run() = 0;

protected:
    ~CPipelineTask() = default;
};

class CEncodePipeline
{
public:
// Construction
    CEncodePipeline();
    // Waits for the workers; images not yet written are dropped.
    ~CEncodePipeline();
    CEncodePipeline(const CEncodePipeline&) = delete;
    CEncodePipeline& operator=(const CEncodePipeline&) = delete;

// Operations
    // Starts the workers, one for each processor, at most kMaxWorkers, to
    // write into the output (not owned). False when they or the system's
    // condition variables cannot be had.
    bool Start(COutputSink& output);
    bool IsStarted() const { return m_nWorkers != 0; }

    // The job to fill for the next image, after writing what is finished
    // (waiting for the oldest image when every job is in flight). Null when
    // the output has failed.
    CEncodeJob* NextJob();
    // Hands the job NextJob gave to the workers.
    void Submit();
    // Waits for every submitted image and writes it; the output's error.
    HRESULT Finish();
    // Hands a task to the workers, which take it before any image; the
    // task given before must have been waited for.
    void SubmitTask(CPipelineTask& task);
    // Waits until the task last submitted has run (at once when none was).
    void WaitTask();

// Implementation
private:
    static const DWORD kMaxWorkers = 4;
    static const DWORD kMaxJobs = 2 * kMaxWorkers + 1;

    static DWORD WINAPI WorkerMain(void* pPipeline);
    void Work();
    // Writes the oldest image when it is encoded, or after waiting for it
    // with bWait. False when there is none (ready) or the output failed.
    bool WriteOldest(bool bWait);
    void Stop();

    COutputSink* m_pOutput;
    DWORD m_nWorkers;
    DWORD m_nJobs;              // jobs in the ring, at most kMaxJobs
    HANDLE m_hWorkers[kMaxWorkers];
    CEncodeJob m_jobs[kMaxJobs];
    // The hand-overs, under m_lock: a lock and condition variables rather
    // than kernel objects, since each image passes them several times. The
    // system has them from Windows Vista on; they are looked up, and
    // without them the stream writes each image itself.
    typedef void (WINAPI* LockFunction)(SRWLOCK*);
    typedef BOOL (WINAPI* SleepFunction)(CONDITION_VARIABLE*, SRWLOCK*, DWORD, ULONG);
    typedef void (WINAPI* WakeFunction)(CONDITION_VARIABLE*);
    LockFunction m_pfnAcquire;
    LockFunction m_pfnRelease;
    SleepFunction m_pfnSleep;
    WakeFunction m_pfnWake;
    WakeFunction m_pfnWakeAll;
    SRWLOCK m_lock;
    CONDITION_VARIABLE m_jobWaiting;    // a job or a task was submitted, or the workers are to stop
    CONDITION_VARIABLE m_jobEncoded;    // ... or a task has run
    bool m_bEncoded[kMaxJobs];  // the job is encoded
    bool m_bEncodedWell[kMaxJobs];      // ... and its encoding had memory
    DWORD m_nJobsSubmitted;     // jobs handed to the workers, written or not
    DWORD m_nJobsTaken;         // jobs a worker has begun to encode
    CPipelineTask* m_pTask;     // the task submitted, until it is waited for
    bool m_bTaskTaken;
    bool m_bTaskRun;
    bool m_bStopping;
    // The stream's thread's own.
    DWORD m_nJobsWritten;       // jobs whose image went into the output whole
};
