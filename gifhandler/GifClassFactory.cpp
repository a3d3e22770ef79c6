// CGifClassFactory: the class object of the GIF handler.
#include "GifClassFactory.h"

#include <new>

#include "GifHandler.h"
#include "ServerModule.h"

/////////////////////////////////////////////////////////////////////////////
// Construction

CGifClassFactory::CGifClassFactory()
    : m_cRef(0)
{
}

/////////////////////////////////////////////////////////////////////////////
// IUnknown

HRESULT STDMETHODCALLTYPE CGifClassFactory::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!::IsEqualIID(riid, IID_IUnknown) && !::IsEqualIID(riid, IID_IClassFactory))
        return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CGifClassFactory::AddRef()
{
    CServerModule::Lock();
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE CGifClassFactory::Release()
{
    const LONG cRef = ::InterlockedDecrement(&m_cRef);
    if (cRef == 0)
        delete this;
    CServerModule::Unlock();
    return static_cast<ULONG>(cRef);
}

/////////////////////////////////////////////////////////////////////////////
// IClassFactory

// Aggregation is refused: the handler's interfaces would otherwise have to
// delegate their IUnknown methods to an outer object they know nothing of.
HRESULT STDMETHODCALLTYPE CGifClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid,
                                                           void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (pUnkOuter != nullptr)
        return CLASS_E_NOAGGREGATION;

    CGifHandler* pHandler = new (std::nothrow) CGifHandler;
    if (pHandler == nullptr)
        return E_OUTOFMEMORY;
    // A reference of our own across the query, so that an object nobody
    // asked for goes through the one place that destroys handlers.
    pHandler->AddRef();
    const HRESULT hr = pHandler->QueryInterface(riid, ppv);
    pHandler->Release();
    return SUCCEEDED(hr) ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CGifClassFactory::LockServer(BOOL fLock)
{
    if (fLock)
        CServerModule::Lock();
    else
        CServerModule::Unlock();
    return S_OK;
}
