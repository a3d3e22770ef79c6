// An AVIFile stream that records what a writer sends and offers the GIF
// handler's options interface, with a write that fails on request: the
// calls themselves, which a written file no longer shows.
#pragma once

#include "IGifStreamOptions.h"

#include <windows.h>
#include <vfw.h>

#include <string>
#include <vector>

namespace exporttest {

class FakeStream : public IAVIStream, public IGifStreamOptions
{
public:
    // Every call in order: "format WxHxB", "write POS", "transparency I", "loop N".
    std::vector<std::string> calls;
    int nFailWrite = -1;            // the index of the write that fails
    bool bOptions = true;           // whether the options interface is offered
    LONG nRef = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (::IsEqualIID(riid, IID_IGifStreamOptions) && bOptions)
            *ppv = static_cast<IGifStreamOptions*>(this);
        else if (::IsEqualIID(riid, IID_IUnknown))
            *ppv = static_cast<IAVIStream*>(this);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        ++nRef;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++nRef; }
    ULONG STDMETHODCALLTYPE Release() override { return --nRef; }

    HRESULT STDMETHODCALLTYPE Create(LPARAM, LPARAM) override { return AVIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Info(AVISTREAMINFOW*, LONG) override { return AVIERR_UNSUPPORTED; }
    LONG STDMETHODCALLTYPE FindSample(LONG, LONG) override { return -1; }
    HRESULT STDMETHODCALLTYPE ReadFormat(LONG, LPVOID, LONG*) override { return AVIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetFormat(LONG, LPVOID lpFormat, LONG) override
    {
        const BITMAPINFOHEADER* p = static_cast<const BITMAPINFOHEADER*>(lpFormat);
        calls.push_back("format " + std::to_string(p->biWidth) + "x" + std::to_string(p->biHeight) + "x"
                        + std::to_string(p->biBitCount));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Read(LONG, LONG, LPVOID, LONG, LONG*, LONG*) override { return AVIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Write(LONG lStart, LONG, LPVOID, LONG, DWORD, LONG*, LONG*) override
    {
        calls.push_back("write " + std::to_string(lStart));
        return nWrites++ == nFailWrite ? AVIERR_FILEWRITE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Delete(LONG, LONG) override { return AVIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE ReadData(DWORD, LPVOID, LONG*) override { return AVIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE WriteData(DWORD, LPVOID, LONG) override { return AVIERR_UNSUPPORTED; }
    HRESULT STDMETHODCALLTYPE SetInfo(AVISTREAMINFOW*, LONG) override { return AVIERR_UNSUPPORTED; }

    HRESULT STDMETHODCALLTYPE SetTransparency(DWORD bEnable, WORD wIndex) override
    {
        calls.push_back("transparency " + (bEnable ? std::to_string(wIndex) : std::string("off")));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetReservedValue(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetLoopCount(WORD wCount) override
    {
        calls.push_back("loop " + std::to_string(wCount));
        return S_OK;
    }

private:
    int nWrites = 0;
};

} // namespace exporttest
