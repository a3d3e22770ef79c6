// Binding of the AVIFile entry points and the guarded calls made through them.
#include "AVIFileLibrary.h"

#include "AfxString.h"

namespace {

const char* const kFunctionNames[] = {
#define AVIFILE_LIBRARY_NAME(name) #name,
    AVIFILE_LIBRARY_FUNCTIONS(AVIFILE_LIBRARY_NAME)
#undef AVIFILE_LIBRARY_NAME
};
const int kFunctionCount = sizeof(kFunctionNames) / sizeof(kFunctionNames[0]);
static_assert(kFunctionCount == 15, "AVIFile binds 15 entry points");

// Entry points change type through the untyped function pointer, which the
// compiler accepts between any two function types.
template <typename To, typename From>
To FunctionCast(From pfn)
{
    return reinterpret_cast<To>(reinterpret_cast<void (*)()>(pfn));
}

} // namespace

cAVIFileLibrary::cAVIFileLibrary()
{
    ClearFunctions();
}

cAVIFileLibrary::~cAVIFileLibrary()
{
    // Clear before the base class frees the module under the pointers.
    Unload();
}

int cAVIFileLibrary::GetFunctionCount()
{
    return kFunctionCount;
}

const char* cAVIFileLibrary::GetFunctionName(int nIndex)
{
    return nIndex >= 0 && nIndex < kFunctionCount ? kFunctionNames[nIndex] : nullptr;
}

FARPROC cAVIFileLibrary::GetFunction(int nIndex) const
{
    int nCurrent = 0;
#define AVIFILE_LIBRARY_LOOKUP(name) \
    if (nCurrent++ == nIndex) \
        return FunctionCast<FARPROC>(m_pfn##name);
    AVIFILE_LIBRARY_FUNCTIONS(AVIFILE_LIBRARY_LOOKUP)
#undef AVIFILE_LIBRARY_LOOKUP
    return nullptr;
}

void cAVIFileLibrary::GetLibraryName(CString& strName) const
{
    strName = "AVIFIL32.DLL";
}

BOOL cAVIFileLibrary::BindFunctions()
{
    // All or nothing: a library lacking any one name is not the one we know.
#define AVIFILE_LIBRARY_BIND(name) \
    m_pfn##name = FunctionCast<decltype(m_pfn##name)>(FindFunction(#name)); \
    if (m_pfn##name == nullptr) { \
        ClearFunctions(); \
        return FALSE; \
    }
    AVIFILE_LIBRARY_FUNCTIONS(AVIFILE_LIBRARY_BIND)
#undef AVIFILE_LIBRARY_BIND
    return TRUE;
}

void cAVIFileLibrary::ClearFunctions()
{
#define AVIFILE_LIBRARY_CLEAR(name) m_pfn##name = nullptr;
    AVIFILE_LIBRARY_FUNCTIONS(AVIFILE_LIBRARY_CLEAR)
#undef AVIFILE_LIBRARY_CLEAR
}

void cAVIFileLibrary::FileInit()
{
    if (m_pfnAVIFileInit != nullptr)
        m_pfnAVIFileInit();
}

void cAVIFileLibrary::FileExit()
{
    if (m_pfnAVIFileExit != nullptr)
        m_pfnAVIFileExit();
}

HRESULT cAVIFileLibrary::FileOpen(PAVIFILE* ppFile, LPCSTR pszFile, UINT uMode, CLSID* pHandler)
{
    return m_pfnAVIFileOpenA != nullptr ? m_pfnAVIFileOpenA(ppFile, pszFile, uMode, pHandler)
                                        : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::FileInfo(PAVIFILE pFile, AVIFILEINFOA* pInfo, LONG cbInfo)
{
    return m_pfnAVIFileInfoA != nullptr ? m_pfnAVIFileInfoA(pFile, pInfo, cbInfo) : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::FileGetStream(PAVIFILE pFile, PAVISTREAM* ppStream, DWORD fccType, LONG lParam)
{
    return m_pfnAVIFileGetStream != nullptr ? m_pfnAVIFileGetStream(pFile, ppStream, fccType, lParam)
                                            : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::FileRelease(PAVIFILE pFile)
{
    return m_pfnAVIFileRelease != nullptr ? static_cast<HRESULT>(m_pfnAVIFileRelease(pFile))
                                          : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::FileCreateStream(PAVIFILE pFile, PAVISTREAM* ppStream, AVISTREAMINFOA* pInfo)
{
    return m_pfnAVIFileCreateStream != nullptr ? m_pfnAVIFileCreateStream(pFile, ppStream, pInfo) : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::StreamSetFormat(PAVISTREAM pStream, LONG lPos, LPVOID pFormat, LONG cbFormat)
{
    return m_pfnAVIStreamSetFormat != nullptr ? m_pfnAVIStreamSetFormat(pStream, lPos, pFormat, cbFormat)
                                              : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::StreamWrite(PAVISTREAM pStream, LONG lStart, LONG lSamples, LPVOID pBuffer, LONG cbBuffer,
                                     DWORD dwFlags)
{
    return m_pfnAVIStreamWrite != nullptr
               ? m_pfnAVIStreamWrite(pStream, lStart, lSamples, pBuffer, cbBuffer, dwFlags, nullptr, nullptr)
               : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::StreamReadFormat(PAVISTREAM pStream, LONG lPos, LPVOID pFormat, LONG* pcbFormat)
{
    return m_pfnAVIStreamReadFormat != nullptr
               ? m_pfnAVIStreamReadFormat(pStream, lPos, pFormat, pcbFormat) : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::StreamRelease(PAVISTREAM pStream)
{
    return m_pfnAVIStreamRelease != nullptr ? static_cast<HRESULT>(m_pfnAVIStreamRelease(pStream))
                                            : AVIERR_ERROR;
}

PGETFRAME cAVIFileLibrary::StreamGetFrameOpen(PAVISTREAM pStream, BITMAPINFOHEADER* pWanted)
{
    return m_pfnAVIStreamGetFrameOpen != nullptr ? m_pfnAVIStreamGetFrameOpen(pStream, pWanted) : nullptr;
}

LPVOID cAVIFileLibrary::StreamGetFrame(PGETFRAME pGetFrame, LONG lPos)
{
    return m_pfnAVIStreamGetFrame != nullptr ? m_pfnAVIStreamGetFrame(pGetFrame, lPos) : nullptr;
}

HRESULT cAVIFileLibrary::StreamGetFrameClose(PGETFRAME pGetFrame)
{
    return m_pfnAVIStreamGetFrameClose != nullptr ? m_pfnAVIStreamGetFrameClose(pGetFrame)
                                                  : AVIERR_ERROR;
}

HRESULT cAVIFileLibrary::StreamRead(PAVISTREAM pStream, LONG lPos, LPVOID pBuffer, LONG cbBuffer, LONG* pcbSample)
{
    LONG nSamples = 0;
    return m_pfnAVIStreamRead != nullptr
               ? m_pfnAVIStreamRead(pStream, lPos, 1, pBuffer, cbBuffer, pcbSample, &nSamples) : AVIERR_ERROR;
}
