// The four entry points of the in-process COM server: class object, unload
// check, and the class registration that COM needs to find the library.
// Also a small scoped registry key (CRegKey) used only here.
#include <windows.h>
#include <objbase.h>
#include <new>

#include "GifClassFactory.h"
#include "IGifStreamOptions.h"
#include "ServerModule.h"

namespace {

const char kClassKey[] = "CLSID\\{1C649FA4-A1DB-11CF-C000-000000000046}";
const char kServerKey[] = "CLSID\\{1C649FA4-A1DB-11CF-C000-000000000046}\\InprocServer32";
const char kClassName[] = "Velmorant Gif Animation";
const char kModuleName[] = "loomcast.DLL";

// A registry key closed on scope exit, so that every failure path closes
// exactly the keys opened before it.
class CRegKey
{
public:
    CRegKey() : m_hKey(nullptr) {}
    ~CRegKey()
    {
        if (m_hKey != nullptr)
            ::RegCloseKey(m_hKey);
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    bool Create(HKEY hParent, const char* pszSubKey)
    {
        return ::RegCreateKeyExA(hParent, pszSubKey, 0, const_cast<char*>(""),
                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_hKey,
                                 nullptr) == ERROR_SUCCESS;
    }
    // The key's unnamed value; cbData counts the terminating zero.
    bool SetDefault(const char* pszValue, DWORD cbData)
    {
        return ::RegSetValueExA(m_hKey, nullptr, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(pszValue), cbData) == ERROR_SUCCESS;
    }
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey;
};

// The full path of this library, when it is loaded under its own name: a
// copy under another name must not register a path that COM could not
// match with the module it loads, nor the path of a namesake loaded beside it.
bool GetOwnModulePath(char* pszPath, DWORD cchPath)
{
    const HMODULE hNamed = ::GetModuleHandleA(kModuleName);
    if (hNamed == nullptr || hNamed != CServerModule::Instance())
        return false;
    const DWORD cch = ::GetModuleFileNameA(hNamed, pszPath, cchPath);
    return cch != 0 && cch < cchPath;   // cchPath means the path was cut short
}

} // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (!::IsEqualCLSID(rclsid, CLSID_GifHandler))
        return CLASS_E_CLASSNOTAVAILABLE;

    CGifClassFactory* pFactory = new (std::nothrow) CGifClassFactory;
    if (pFactory == nullptr)
        return E_OUTOFMEMORY;
    pFactory->AddRef();
    const HRESULT hr = pFactory->QueryInterface(riid, ppv);
    pFactory->Release();
    return SUCCEEDED(hr) ? S_OK : E_INVALIDARG;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return CServerModule::CanUnload() ? S_OK : S_FALSE;
}

// Writes the class key and its in-process server path. No threading model is
// registered, so COM calls the handler only in the main apartment; the .gif
// association for AVIFile is left to installation.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    char szPath[MAX_PATH + 1];
    CRegKey classKey;
    if (!classKey.Create(HKEY_CLASSES_ROOT, kClassKey)
        || !classKey.SetDefault(kClassName, sizeof kClassName))
        return E_UNEXPECTED;
    CRegKey serverKey;
    if (!serverKey.Create(classKey.Get(), "InprocServer32")
        || !GetOwnModulePath(szPath, sizeof szPath)
        || !serverKey.SetDefault(szPath, static_cast<DWORD>(::lstrlenA(szPath)) + 1))
        return E_UNEXPECTED;
    return S_OK;
}

// Removes the class registration only. The .gif association stays: it may
// have been put there for another handler, and without the class key it is
// inert for AVIFile anyway.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    if (::RegDeleteKeyA(HKEY_CLASSES_ROOT, kServerKey) != ERROR_SUCCESS)
        return E_UNEXPECTED;
    if (::RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey) != ERROR_SUCCESS)
        return E_UNEXPECTED;
    return S_OK;
}
