// The GIF handler as any AVIFile client meets it once installed: a file
// opened through AVIFile (by a .gif name, or any name with the handler's
// class given), its one video stream and options; a client's own stream.
#pragma once

#include <windows.h>
#include <vfw.h>

#include <gtest/gtest.h>

#include "HandlerHarness.h"
#include "SyntheticFrames.h"

namespace handlertest {

// A client's stream that keeps what it is given. The write that would take
// it past `limit` bytes fails and takes nothing; later writes are taken
// again, so that anything written after a failure shows.
class MemoryStream final : public ISequentialStream
{
public:
    explicit MemoryStream(size_t limit = SIZE_MAX) : m_limit(limit) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        const bool bKnown = ::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_ISequentialStream);
        *ppv = bKnown ? this : nullptr;
        if (bKnown)
            AddRef();
        return bKnown ? S_OK : E_NOINTERFACE;
    }
    // The test owns the object: the count is only watched.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_cRef)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(::InterlockedDecrement(&m_cRef)); }
    HRESULT STDMETHODCALLTYPE Read(void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        *pcbWritten = 0;
        if (!failed && bytes.size() + cb > m_limit) {
            failed = true;
            bytesAtFailure = bytes.size();
            return STG_E_MEDIUMFULL;
        }
        bytes.insert(bytes.end(), static_cast<const BYTE*>(pv), static_cast<const BYTE*>(pv) + cb);
        *pcbWritten = cb;
        return S_OK;
    }
    LONG Count() const { return m_cRef; }

    std::vector<BYTE> bytes;
    bool failed = false;
    size_t bytesAtFailure = 0;

private:
    size_t m_limit;
    LONG m_cRef = 1;
};

// A GIF written through AVIFile, released (and so finished) by Close.
class ClientGif
{
public:
    explicit ClientGif(const std::string& name, const CLSID* handler = nullptr)
    {
        if (::AVIFileOpenA(&m_file, name.c_str(), OF_CREATE | OF_SHARE_EXCLUSIVE | OF_WRITE,
                           const_cast<CLSID*>(handler)) != S_OK)
            return;
        AVISTREAMINFOA info = {};
        info.fccType = streamtypeVIDEO;
        info.dwRate = 10;
        info.dwScale = 1;
        if (::AVIFileCreateStreamA(m_file, &m_stream, &info) == S_OK)
            m_stream->QueryInterface(IID_IGifStreamOptions4, reinterpret_cast<void**>(&m_options));
    }
    ~ClientGif() { Close(); }
    ClientGif(const ClientGif&) = delete;
    ClientGif& operator=(const ClientGif&) = delete;

    bool Ready() const { return m_options != nullptr; }
    IGifStreamOptions4* Options() const { return m_options; }
    HRESULT Format(const std::vector<BYTE>& format)
    {
        return ::AVIStreamSetFormat(m_stream, m_nFrames, const_cast<BYTE*>(format.data()),
                                    static_cast<LONG>(format.size()));
    }
    HRESULT Frame(const std::vector<BYTE>& rows)
    {
        return ::AVIStreamWrite(m_stream, m_nFrames++, 1, const_cast<BYTE*>(rows.data()),
                                static_cast<LONG>(rows.size()), AVIIF_KEYFRAME, nullptr, nullptr);
    }
    HRESULT Finish(DWORD* pnImages) { return m_options->FinishImages(pnImages); }
    void Close()
    {
        if (m_options != nullptr)
            m_options->Release();
        if (m_stream != nullptr)
            ::AVIStreamRelease(m_stream);
        if (m_file != nullptr)
            ::AVIFileRelease(m_file);
        m_options = nullptr;
        m_stream = nullptr;
        m_file = nullptr;
    }

private:
    PAVIFILE m_file = nullptr;
    PAVISTREAM m_stream = nullptr;
    IGifStreamOptions4* m_options = nullptr;
    LONG m_nFrames = 0;
};

class AviFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ::AVIFileInit(); }
    void TearDown() override { ::AVIFileExit(); }
};

// A path in the test program's scratch folder, with no file there.
inline std::string FreshPath(const char* name)
{
    const std::string path = testsupport::WorkPath(name);
    ::DeleteFileA(path.c_str());
    return path;
}

// 8-bit rows of noise, number n.
inline std::vector<BYTE> NoiseRows(LONG width, LONG height, int n)
{
    return MakeRows(synth::Make(synth::Content::Noise, width, height, n), width, height);
}

} // namespace handlertest
