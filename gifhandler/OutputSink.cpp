// COutputSink: the file or the client's stream, and the failure rule.
#include "OutputSink.h"

#include <vfw.h>

COutputSink::COutputSink()
    : m_hFile(nullptr), m_bDiskFile(false), m_pStream(nullptr), m_nBytes(0), m_nWholeBytes(0),
      m_nWholeImages(0), m_hrError(S_OK)
{
}

COutputSink::~COutputSink()
{
    Close();
}

bool COutputSink::Open(LPCOLESTR pszFileName)
{
    // No "insert a disk" box for a path on a missing drive: the failure goes
    // back to the client. The host program's own mode is put back afterwards.
    const UINT uPreviousMode = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
    // The wide name goes to the file system as it is, so a name outside the
    // ANSI code page still reaches the file the client asked for.
    HANDLE hFile = ::CreateFileW(pszFileName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_FLAG_RANDOM_ACCESS, nullptr);
    ::SetErrorMode(uPreviousMode);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    m_hFile = hFile;
    m_bDiskFile = ::GetFileType(hFile) == FILE_TYPE_DISK;
    return true;
}

void COutputSink::SetStream(ISequentialStream* pStream)
{
    if (pStream != nullptr)
        pStream->AddRef();
    if (m_pStream != nullptr)
        m_pStream->Release();
    m_pStream = pStream;
}

void COutputSink::Close()
{
    if (m_hFile != nullptr) {
        ::CloseHandle(m_hFile);
        m_hFile = nullptr;
    }
    SetStream(nullptr);
}

bool COutputSink::Write(const void* data, DWORD size)
{
    if (FAILED(m_hrError) || m_hFile == nullptr)
        return false;
    bool bWritten = false;
    if (m_pStream != nullptr) {
        ULONG cbWritten = 0;
        bWritten = SUCCEEDED(m_pStream->Write(data, size, &cbWritten)) && cbWritten == size;
    } else {
        bWritten = WriteAll(m_hFile, data, size);
    }
    if (!bWritten) {
        Fail(AVIERR_FILEWRITE);
        return false;
    }
    m_nBytes += size;
    return true;
}

void COutputSink::EndHeader()
{
    if (SUCCEEDED(m_hrError))
        m_nWholeBytes = m_nBytes;
}

void COutputSink::EndImage()
{
    if (FAILED(m_hrError))
        return;
    m_nWholeBytes = m_nBytes;
    ++m_nWholeImages;
}

// A client's stream takes what it took: it cannot be asked for bytes back.
void COutputSink::Fail(HRESULT hr)
{
    if (FAILED(m_hrError))
        return;
    m_hrError = hr;
    if (m_pStream != nullptr || !m_bDiskFile || m_nBytes == m_nWholeBytes)
        return;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(m_nWholeBytes);
    if (::SetFilePointerEx(m_hFile, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(m_hFile))
        m_nBytes = m_nWholeBytes;
}
