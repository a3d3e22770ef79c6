// cAVIFileLibrary: the Video for Windows AVIFile library, loaded at run time
// and bound by name: the program's one way to AVIFile, for the movie reader
// and for the export's writer alike.
#pragma once

#include "Library.h"

#include <vfw.h>

// The entry points the movie reader and the export's writer use, in binding
// order; every one must be present. Nothing else of the library is bound,
// so a library that lacks only calls we never make still serves.
#define AVIFILE_LIBRARY_FUNCTIONS(X) \
    X(AVIFileInit) X(AVIFileExit) X(AVIFileRelease) X(AVIFileOpenA) X(AVIFileInfoA) \
    X(AVIFileGetStream) X(AVIFileCreateStream) X(AVIStreamRelease) X(AVIStreamReadFormat) \
    X(AVIStreamSetFormat) X(AVIStreamWrite) X(AVIStreamGetFrameOpen) X(AVIStreamGetFrame) \
    X(AVIStreamGetFrameClose) X(AVIStreamRead)

class cAVIFileLibrary : public cLibrary
{
public:
// Construction
    cAVIFileLibrary();
    ~cAVIFileLibrary() override;

// Attributes
    static int GetFunctionCount();
    static const char* GetFunctionName(int nIndex);     // null out of range
    // The bound address of entry point nIndex, null while unbound.
    FARPROC GetFunction(int nIndex) const;

// Operations: the calls the reader and the writer make. Unbound, each does
// nothing and answers AVIERR_ERROR, or null where the call gives a pointer.
    void FileInit();
    void FileExit();
    HRESULT FileOpen(PAVIFILE* ppFile, LPCSTR pszFile, UINT uMode, CLSID* pHandler);
    HRESULT FileInfo(PAVIFILE pFile, AVIFILEINFOA* pInfo, LONG cbInfo);
    HRESULT FileGetStream(PAVIFILE pFile, PAVISTREAM* ppStream, DWORD fccType, LONG lParam);
    HRESULT FileRelease(PAVIFILE pFile);
    HRESULT FileCreateStream(PAVIFILE pFile, PAVISTREAM* ppStream, AVISTREAMINFOA* pInfo);
    HRESULT StreamSetFormat(PAVISTREAM pStream, LONG lPos, LPVOID pFormat, LONG cbFormat);
    HRESULT StreamWrite(PAVISTREAM pStream, LONG lStart, LONG lSamples, LPVOID pBuffer, LONG cbBuffer, DWORD dwFlags);
    HRESULT StreamReadFormat(PAVISTREAM pStream, LONG lPos, LPVOID pFormat, LONG* pcbFormat);
    HRESULT StreamRelease(PAVISTREAM pStream);
    PGETFRAME StreamGetFrameOpen(PAVISTREAM pStream, BITMAPINFOHEADER* pWanted);
    LPVOID StreamGetFrame(PGETFRAME pGetFrame, LONG lPos);
    HRESULT StreamGetFrameClose(PGETFRAME pGetFrame);
    // One sample's bytes into pBuffer (null: only its size into *pcbSample).
    HRESULT StreamRead(PAVISTREAM pStream, LONG lPos, LPVOID pBuffer, LONG cbBuffer, LONG* pcbSample);

// Overridables
    void GetLibraryName(CString& strName) const override;
    BOOL BindFunctions() override;
    void ClearFunctions() override;

// Implementation
private:
#define AVIFILE_LIBRARY_POINTER(name) decltype(&::name) m_pfn##name;
    AVIFILE_LIBRARY_FUNCTIONS(AVIFILE_LIBRARY_POINTER)
#undef AVIFILE_LIBRARY_POINTER
};
