// cMemoryStream: a growing block of the process heap behind ISequentialStream.
#include "MemoryStream.h"

cMemoryStream::cMemoryStream(DWORD dwLimit)
    : m_cRef(1), m_dwLimit(dwLimit), m_pData(nullptr), m_nSize(0), m_nCapacity(0), m_bOver(FALSE)
{
}

cMemoryStream::~cMemoryStream()
{
    if (m_pData != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, m_pData);
}

HRESULT STDMETHODCALLTYPE cMemoryStream::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!::IsEqualIID(riid, IID_IUnknown) && !::IsEqualIID(riid, IID_ISequentialStream))
        return E_NOINTERFACE;
    *ppv = static_cast<ISequentialStream*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE cMemoryStream::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE cMemoryStream::Release()
{
    const LONG cRef = ::InterlockedDecrement(&m_cRef);
    if (cRef == 0)
        delete this;
    return static_cast<ULONG>(cRef);
}

HRESULT STDMETHODCALLTYPE cMemoryStream::Read(void*, ULONG, ULONG* pcbRead)
{
    if (pcbRead != nullptr)
        *pcbRead = 0;
    return STG_E_ACCESSDENIED;
}

HRESULT STDMETHODCALLTYPE cMemoryStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    if (pcbWritten != nullptr)
        *pcbWritten = 0;
    if (pv == nullptr && cb != 0)
        return STG_E_INVALIDPOINTER;
    if (m_bOver || cb > m_dwLimit - m_nSize) {
        m_bOver = TRUE;
        return STG_E_MEDIUMFULL;
    }
    if (m_nSize + cb > m_nCapacity) {
        // Doubling, but never past the limit.
        DWORD nWanted = m_nCapacity < 65536 ? 65536 : m_nCapacity;
        while (nWanted < m_nSize + cb && nWanted < 0x80000000u)
            nWanted *= 2;
        if (nWanted > m_dwLimit)
            nWanted = m_dwLimit;
        void* pGrown = m_pData == nullptr ? ::HeapAlloc(::GetProcessHeap(), 0, nWanted)
                                          : ::HeapReAlloc(::GetProcessHeap(), 0, m_pData, nWanted);
        if (pGrown == nullptr) {
            m_bOver = TRUE;
            return STG_E_MEDIUMFULL;
        }
        m_pData = static_cast<BYTE*>(pGrown);
        m_nCapacity = nWanted;
    }
    ::CopyMemory(m_pData + m_nSize, pv, cb);
    m_nSize += cb;
    if (pcbWritten != nullptr)
        *pcbWritten = cb;
    return S_OK;
}

BOOL cMemoryStream::IsWholeGif() const
{
    return !m_bOver && m_nSize > 13 && m_pData[m_nSize - 1] == 0x3B;
}
