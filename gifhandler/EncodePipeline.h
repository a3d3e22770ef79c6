// CEncodePipeline: images encoded on worker threads and written to the file
// in the order they came. The stream fills a job and submits it; workers
// encode jobs as they come; finished images are written, oldest first,
// whenever the stream comes back for a job and when it asks to finish. A
// fixed number of jobs is in flight, whatever the number of images.
//
// Failures follow the output's rule: after the first nothing more is
// written, and every later call answers it.
#pragma once

#include <windows.h>

#include "EncodeJob.h"
#include "OutputSink.h"

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

// Implementation
private:
    static const DWORD kMaxWorkers = 4;
    static const DWORD kMaxJobs = 2 * kMaxWorkers + 1;

    static DWORD WINAPI WorkerMain(void* pPipeline);
    void EncodeJobs();
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
    CONDITION_VARIABLE m_jobWaiting;    // a job was submitted, or the workers are to stop
    CONDITION_VARIABLE m_jobEncoded;
    bool m_bEncoded[kMaxJobs];  // the job is encoded
    bool m_bEncodedWell[kMaxJobs];      // ... and its encoding had memory
    DWORD m_nJobsSubmitted;     // jobs handed to the workers, written or not
    DWORD m_nJobsTaken;         // jobs a worker has begun to encode
    bool m_bStopping;
    // The stream's thread's own.
    DWORD m_nJobsWritten;       // jobs whose image went into the output whole
};
