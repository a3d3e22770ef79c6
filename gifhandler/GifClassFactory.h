// CGifClassFactory: creates CGifHandler objects for COM; one factory is made
// for every DllGetClassObject call.
#pragma once

#include <windows.h>
#include <objbase.h>

class CGifClassFactory final : public IClassFactory
{
public:
// Construction
    // Count 0: the QueryInterface that hands the factory out takes the first reference.
    CGifClassFactory();

// IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

// IClassFactory
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL fLock) override;

// Implementation
private:
    ~CGifClassFactory() = default;
    CGifClassFactory(const CGifClassFactory&) = delete;
    CGifClassFactory& operator=(const CGifClassFactory&) = delete;

    LONG m_cRef;
};
