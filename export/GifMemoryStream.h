// cGifMemoryStream: the stream the GIF handler writes an animation into
// instead of a file (IGifStreamOptions4::SetOutputStream). The bytes wait
// here until their reader takes them; the handler may write from its worker
// threads, so every access goes through one lock. With a limit, a write
// that would pass it is refused, so that the handler stops there (the
// fit-under-size search's tries).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <vector>

class cGifMemoryStream final : public ISequentialStream
{
public:
// Construction
    // A new stream with one reference, the caller's, taking at most nLimit
    // bytes in all (0: no limit); null when memory ran out.
    static cGifMemoryStream* Create(ULONGLONG nLimit = 0);
    cGifMemoryStream(const cGifMemoryStream&) = delete;
    cGifMemoryStream& operator=(const cGifMemoryStream&) = delete;

// Operations
    // Appends the bytes written since the last call to bytes. FALSE, with
    // nothing appended, when bytes could not grow; the bytes stay here.
    BOOL TakeInto(std::vector<BYTE>& bytes);
    // The bytes written in all, taken or not.
    ULONGLONG GetTotalWritten();
    // Whether a write was refused for the limit.
    BOOL IsOverLimit();

// IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

// ISequentialStream
    // The stream is written only; reading is refused.
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    // Keeps all cb bytes, or none of them (STG_E_MEDIUMFULL) when memory runs out.
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;

// Implementation
private:
    cGifMemoryStream();
    ~cGifMemoryStream();

    LONG m_nRefs;
    CRITICAL_SECTION m_lock;
    std::vector<BYTE> m_waiting;
    ULONGLONG m_nTotal;
    ULONGLONG m_nLimit;
    BOOL m_bOverLimit;
};
