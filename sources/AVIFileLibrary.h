// cAVIFileLibrary: the Video for Windows AVIFile library, loaded at run time
// and bound by name, through which the movie reader makes every AVIFile call.
#pragma once

#include "Library.h"

#include <vfw.h>

// The 50 entry points, in binding order; every one must be present.
#define AVIFILE_LIBRARY_FUNCTIONS(X) \
    X(AVIFileInit) X(AVIFileExit) X(AVIFileAddRef) X(AVIFileRelease) X(AVIFileOpenA) \
    X(AVIFileInfoA) X(AVIFileGetStream) X(AVIFileCreateStream) X(AVIFileWriteData) \
    X(AVIFileReadData) X(AVIFileEndRecord) X(AVIStreamAddRef) X(AVIStreamRelease) \
    X(AVIStreamInfoA) X(AVIStreamFindSample) X(AVIStreamReadFormat) X(AVIStreamSetFormat) \
    X(AVIStreamReadData) X(AVIStreamWriteData) X(AVIStreamRead) X(AVIStreamWrite) \
    X(AVIStreamStart) X(AVIStreamLength) X(AVIStreamTimeToSample) X(AVIStreamSampleToTime) \
    X(AVIStreamBeginStreaming) X(AVIStreamEndStreaming) X(AVIStreamGetFrameOpen) \
    X(AVIStreamGetFrame) X(AVIStreamGetFrameClose) X(AVIStreamOpenFromFileA) \
    X(AVIStreamCreate) X(AVIMakeCompressedStream) X(AVISaveA) X(AVISaveVA) \
    X(AVISaveOptions) X(AVISaveOptionsFree) X(AVIBuildFilterA) X(AVIMakeFileFromStreams) \
    X(AVIMakeStreamFromClipboard) X(AVIPutFileOnClipboard) X(AVIGetFromClipboard) \
    X(AVIClearClipboard) X(CreateEditableStream) X(EditStreamCut) X(EditStreamCopy) \
    X(EditStreamPaste) X(EditStreamClone) X(EditStreamSetNameA) X(EditStreamSetInfoA)

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

// Operations: the calls the movie reader makes. Unbound, each does nothing
// and answers AVIERR_ERROR, or null where the call gives a pointer.
    void FileInit();
    void FileExit();
    HRESULT FileOpen(PAVIFILE* ppFile, LPCSTR pszFile, UINT uMode, CLSID* pHandler);
    HRESULT FileInfo(PAVIFILE pFile, AVIFILEINFOA* pInfo, LONG cbInfo);
    HRESULT FileGetStream(PAVIFILE pFile, PAVISTREAM* ppStream, DWORD fccType, LONG lParam);
    HRESULT FileRelease(PAVIFILE pFile);
    HRESULT StreamReadFormat(PAVISTREAM pStream, LONG lPos, LPVOID pFormat, LONG* pcbFormat);
    HRESULT StreamRelease(PAVISTREAM pStream);
    PGETFRAME StreamGetFrameOpen(PAVISTREAM pStream, BITMAPINFOHEADER* pWanted);
    LPVOID StreamGetFrame(PGETFRAME pGetFrame, LONG lPos);
    HRESULT StreamGetFrameClose(PGETFRAME pGetFrame);

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
