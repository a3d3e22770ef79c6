// Scoped AVIFile resources for the writers, so that every path out of a
// writer (a refusal, a failed call, a framework exception) releases exactly
// what it acquired, in reverse order:
//   cAVIFileSession  AVIFileInit ... AVIFileExit
//   cAVIFileHandle   AVIFileOpenA ... AVIFileRelease
//   cAVIStreamHandle AVIFileCreateStreamA ... AVIStreamRelease
//   cGifStreamOptions the GIF stream's private interface, when it has one
#pragma once

#include "IGifStreamOptions.h"

#include <windows.h>
#include <vfw.h>

class cAVIFileSession
{
public:
    cAVIFileSession() { ::AVIFileInit(); }
    ~cAVIFileSession() { ::AVIFileExit(); }
    cAVIFileSession(const cAVIFileSession&) = delete;
    cAVIFileSession& operator=(const cAVIFileSession&) = delete;
};

class cAVIFileHandle
{
public:
    cAVIFileHandle() : m_pFile(nullptr) {}
    ~cAVIFileHandle() { Release(); }
    cAVIFileHandle(const cAVIFileHandle&) = delete;
    cAVIFileHandle& operator=(const cAVIFileHandle&) = delete;

    // Opens pszName for writing (0x1012); AVIFile picks the handler by extension.
    HRESULT OpenForWriting(LPCSTR pszName)
    {
        Release();
        return ::AVIFileOpenA(&m_pFile, pszName, OF_CREATE | OF_SHARE_EXCLUSIVE | OF_READWRITE, nullptr);
    }
    PAVIFILE Get() const { return m_pFile; }
    void Release()
    {
        if (m_pFile != nullptr)
            ::AVIFileRelease(m_pFile);
        m_pFile = nullptr;
    }

private:
    PAVIFILE m_pFile;
};

class cAVIStreamHandle
{
public:
    cAVIStreamHandle() : m_pStream(nullptr) {}
    ~cAVIStreamHandle() { Release(); }
    cAVIStreamHandle(const cAVIStreamHandle&) = delete;
    cAVIStreamHandle& operator=(const cAVIStreamHandle&) = delete;

    HRESULT Create(PAVIFILE pFile, AVISTREAMINFOA* pInfo)
    {
        Release();
        return ::AVIFileCreateStreamA(pFile, &m_pStream, pInfo);
    }
    PAVISTREAM Get() const { return m_pStream; }
    // The handler finishes its file only when the stream and then the file
    // are released, so the stream goes first.
    void Release()
    {
        if (m_pStream != nullptr)
            ::AVIStreamRelease(m_pStream);
        m_pStream = nullptr;
    }

private:
    PAVISTREAM m_pStream;
};

class cGifStreamOptions
{
public:
    // Asks the stream for the GIF handler's options; other handlers (the AVI
    // one for a .avi name) have none, which is not an error.
    explicit cGifStreamOptions(PAVISTREAM pStream) : m_pOptions(nullptr)
    {
        if (FAILED(pStream->QueryInterface(IID_IGifStreamOptions, reinterpret_cast<void**>(&m_pOptions))))
            m_pOptions = nullptr;
    }
    ~cGifStreamOptions()
    {
        if (m_pOptions != nullptr)
            m_pOptions->Release();
    }
    cGifStreamOptions(const cGifStreamOptions&) = delete;
    cGifStreamOptions& operator=(const cGifStreamOptions&) = delete;

    BOOL IsPresent() const { return m_pOptions != nullptr; }
    IGifStreamOptions* operator->() const { return m_pOptions; }

private:
    IGifStreamOptions* m_pOptions;
};
