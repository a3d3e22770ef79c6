// cMemoryStream: an ISequentialStream that keeps what is written to it in
// memory, up to a limit: a write that would pass the limit is refused
// (STG_E_MEDIUMFULL), so that a GIF handler writing into it stops there.
// The fit-under-size search encodes each try into one.
#pragma once

#include <objbase.h>
#include <windows.h>

class cMemoryStream final : public ISequentialStream
{
public:
// Construction
    // Count 1, the creator's; at most dwLimit bytes.
    explicit cMemoryStream(DWORD dwLimit);

// IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

// ISequentialStream
    // Nothing to read back through the stream: STG_E_ACCESSDENIED.
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;

// Attributes
    const BYTE* GetData() const { return m_pData; }
    DWORD GetSize() const { return m_nSize; }
    // Whether a write was refused for the limit (or for memory).
    BOOL IsOverLimit() const { return m_bOver; }
    // Whether the bytes end as a whole GIF does, with its trailer.
    BOOL IsWholeGif() const;

// Implementation
private:
    ~cMemoryStream();
    cMemoryStream(const cMemoryStream&) = delete;
    cMemoryStream& operator=(const cMemoryStream&) = delete;

    LONG m_cRef;
    DWORD m_dwLimit;
    BYTE* m_pData;
    DWORD m_nSize;
    DWORD m_nCapacity;
    BOOL m_bOver;
};
