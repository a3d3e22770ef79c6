// Loading and unloading of run-time libraries for cLibrary.
#include "Library.h"

#include "AfxString.h"

namespace {
const UINT kLoaded = 32;    // LoadLibrary results above this were success in 16-bit Windows
}

cLibrary::cLibrary()
    : m_hLibrary(nullptr), m_nLoadError(kLoaded)
{
}

cLibrary::~cLibrary()
{
    // The subclass's entry points are gone with its part of the object; only
    // the module remains to be freed.
    ReleaseModule();
}

BOOL cLibrary::Load()
{
    if (m_hLibrary != nullptr)
        return TRUE;
    CString strName;
    GetLibraryName(strName);
    if (strName.IsEmpty())
        return FALSE;

    // A missing library must not bring up the system's "cannot find" box.
    const UINT uPreviousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE hLibrary = ::LoadLibraryA(strName);
    ::SetErrorMode(uPreviousMode);
    if (reinterpret_cast<UINT_PTR>(hLibrary) <= kLoaded) {
        m_nLoadError = static_cast<UINT>(reinterpret_cast<UINT_PTR>(hLibrary));
        m_hLibrary = nullptr;
        return FALSE;
    }
    m_hLibrary = hLibrary;
    m_nLoadError = kLoaded;
    if (!BindFunctions()) {
        Unload();
        return FALSE;
    }
    return TRUE;
}

void cLibrary::Unload()
{
    // Entry points must not outlive the code they point into.
    ClearFunctions();
    ReleaseModule();
}

FARPROC cLibrary::FindFunction(const char* pszName) const
{
    if (m_hLibrary == nullptr || pszName == nullptr)
        return nullptr;
    return ::GetProcAddress(m_hLibrary, pszName);
}

void cLibrary::ReleaseModule()
{
    if (m_hLibrary != nullptr) {
        ::FreeLibrary(m_hLibrary);
        m_hLibrary = nullptr;
        m_nLoadError = kLoaded;
    }
}
