// CEncodePipeline: images encoded on worker threads and written to the file
// in the order they came. The stream fills a job and submits it; workers
// encode jobs as they come; finished images are written, oldest first,
// whenever the stream comes back for a job and when it asks to finish. A
// fixed number of jobs is in flight, whatever the number of images.
//
// After a failed write nothing more is written: the file is cut back to the
// end of the last whole image, and every later call answers the first error.
#pragma once

#include <windows.h>

#include "EncodeJob.h"

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
    // write into hFile (not owned). False when they or the system's
    // condition variables cannot be had.
    bool Start(HANDLE hFile);
    bool IsStarted() const { return m_nWorkers != 0; }

    // The job to fill for the next image, after writing what is finished
    // (waiting for the oldest image when every job is in flight). Null when
    // a write has failed; Error() says why.
    CEncodeJob* NextJob();
    // Hands the job NextJob gave to the workers.
    void Submit();
    // Waits for every submitted image and writes it; the first error.
    HRESULT Finish();

// Attributes
    // S_OK, or the first error: AVIERR_FILEWRITE, AVIERR_MEMORY.
    HRESULT Error() const { return m_hrError; }
    // Images wholly in the file.
    DWORD ImagesWritten() const { return m_nWritten; }

// Implementation
private:
    static const DWORD kMaxWorkers = 4;
    static const DWORD kMaxJobs = 2 * kMaxWorkers + 1;

    static DWORD WINAPI WorkerMain(void* pPipeline);
    void EncodeJobs();
    // Writes the oldest image when it is encoded, or after waiting for it
    // with bWait. False when there is none (ready) or the pipeline failed.
    bool WriteOldest(bool bWait);
    void Fail(HRESULT hr);
    void Stop();

    HANDLE m_hFile;
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
    DWORD m_nSubmitted;         // images submitted, written or not
    DWORD m_nTaken;             // images a worker has taken
    bool m_bStopping;
    // The stream's thread's own.
    DWORD m_nWritten;           // images written whole
    HRESULT m_hrError;
};
