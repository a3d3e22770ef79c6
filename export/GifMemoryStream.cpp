// cGifMemoryStream: a locked queue of bytes behind ISequentialStream.
#include "GifMemoryStream.h"

#include "Exception.h"

#include <new>

namespace {

// Holds the lock for the life of the object.
class cLock
{
public:
    explicit cLock(CRITICAL_SECTION& lock) : m_lock(lock) { ::EnterCriticalSection(&m_lock); }
    ~cLock() { ::LeaveCriticalSection(&m_lock); }
    cLock(const cLock&) = delete;
    cLock& operator=(const cLock&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

// Appends bytes; FALSE, with the vector as it was, when it could not grow.
BOOL Append(std::vector<BYTE>& to, const BYTE* p, size_t cb)
{
    try {
        to.insert(to.end(), p, p + cb);
        return TRUE;
    } catch (CException* e) {
        e->Delete();
        return FALSE;
    }
}

} // namespace

cGifMemoryStream* cGifMemoryStream::Create(ULONGLONG nLimit)
{
    cGifMemoryStream* pStream = new (std::nothrow) cGifMemoryStream;
    if (pStream != nullptr)
        pStream->m_nLimit = nLimit;
    return pStream;
}

cGifMemoryStream::cGifMemoryStream() : m_nRefs(1), m_nTotal(0), m_nLimit(0), m_bOverLimit(FALSE)
{
    ::InitializeCriticalSection(&m_lock);
}

cGifMemoryStream::~cGifMemoryStream()
{
    ::DeleteCriticalSection(&m_lock);
}

BOOL cGifMemoryStream::TakeInto(std::vector<BYTE>& bytes)
{
    cLock lock(m_lock);
    if (m_waiting.empty())
        return TRUE;
    if (!Append(bytes, m_waiting.data(), m_waiting.size()))
        return FALSE;
    m_waiting.clear();
    return TRUE;
}

ULONGLONG cGifMemoryStream::GetTotalWritten()
{
    cLock lock(m_lock);
    return m_nTotal;
}

BOOL cGifMemoryStream::IsOverLimit()
{
    cLock lock(m_lock);
    return m_bOverLimit;
}

HRESULT STDMETHODCALLTYPE cGifMemoryStream::QueryInterface(REFIID riid, void** ppv)
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

ULONG STDMETHODCALLTYPE cGifMemoryStream::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_nRefs));
}

ULONG STDMETHODCALLTYPE cGifMemoryStream::Release()
{
    const LONG nRefs = ::InterlockedDecrement(&m_nRefs);
    if (nRefs == 0)
        delete this;
    return static_cast<ULONG>(nRefs);
}

HRESULT STDMETHODCALLTYPE cGifMemoryStream::Read(void*, ULONG, ULONG* pcbRead)
{
    if (pcbRead != nullptr)
        *pcbRead = 0;
    return STG_E_ACCESSDENIED;
}

HRESULT STDMETHODCALLTYPE cGifMemoryStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    if (pcbWritten != nullptr)
        *pcbWritten = 0;
    if (pv == nullptr && cb != 0)
        return STG_E_INVALIDPOINTER;
    cLock lock(m_lock);
    if (m_nLimit != 0 && m_nTotal + cb > m_nLimit) {
        m_bOverLimit = TRUE;
        return STG_E_MEDIUMFULL;
    }
    if (!Append(m_waiting, static_cast<const BYTE*>(pv), cb))
        return STG_E_MEDIUMFULL;
    m_nTotal += cb;
    if (pcbWritten != nullptr)
        *pcbWritten = cb;
    return S_OK;
}
