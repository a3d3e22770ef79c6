/* A stand-in AVIFile library for the reader's failure paths: it opens any
   file, answers the format query as the test scripts it, and counts every
   acquisition and release. The names the reader never calls are FakeEntry. */
#include <windows.h>
#include <vfw.h>

enum { scriptNoSize, scriptShort, scriptReadFails, scriptHuge, scriptGood };
enum { countInit, countExit, countOpen, countFileRelease, countStream, countStreamRelease,
       countFrameOpen, countFrameClose, countTotal };

static int g_nScript = scriptGood;
static LONG g_counts[countTotal];
static int g_dummy;     /* the "interfaces" handed out are never called through */

int __stdcall FakeEntry(void) { return 0; }

void __stdcall FakeSetScript(int nScript) { g_nScript = nScript; }

void __stdcall FakeGetCounts(LONG* pCounts)
{
    int i;
    for (i = 0; i < countTotal; ++i)
        pCounts[i] = g_counts[i];
}

void __stdcall FakeAVIFileInit(void) { ++g_counts[countInit]; }
void __stdcall FakeAVIFileExit(void) { ++g_counts[countExit]; }

HRESULT __stdcall FakeAVIFileOpenA(PAVIFILE* ppFile, LPCSTR pszFile, UINT uMode, LPCLSID pHandler)
{
    (void)pszFile; (void)uMode; (void)pHandler;
    ++g_counts[countOpen];
    *ppFile = (PAVIFILE)&g_dummy;
    return 0;
}

ULONG __stdcall FakeAVIFileRelease(PAVIFILE pFile) { (void)pFile; ++g_counts[countFileRelease]; return 0; }

HRESULT __stdcall FakeAVIFileGetStream(PAVIFILE pFile, PAVISTREAM* ppStream, DWORD fccType, LONG lParam)
{
    (void)pFile; (void)fccType; (void)lParam;
    ++g_counts[countStream];
    *ppStream = (PAVISTREAM)&g_dummy;
    return 0;
}

ULONG __stdcall FakeAVIStreamRelease(PAVISTREAM pStream) { (void)pStream; ++g_counts[countStreamRelease]; return 0; }

HRESULT __stdcall FakeAVIStreamReadFormat(PAVISTREAM pStream, LONG lPos, LPVOID pFormat, LONG* pcbFormat)
{
    (void)pStream; (void)lPos;
    switch (g_nScript) {
    case scriptNoSize:
        return AVIERR_NODATA;
    case scriptShort:
        *pcbFormat = 20;
        if (pFormat != NULL)
            ZeroMemory(pFormat, 20);
        return 0;
    case scriptReadFails:
        if (pFormat == NULL) {
            *pcbFormat = sizeof(BITMAPINFOHEADER);
            return 0;
        }
        return AVIERR_FILEREAD;
    case scriptHuge:
        *pcbFormat = 0x7FFFFFF0;
        return 0;
    default:
        if (pFormat != NULL) {
            BITMAPINFOHEADER* pHeader = (BITMAPINFOHEADER*)pFormat;
            ZeroMemory(pHeader, sizeof(*pHeader));
            pHeader->biSize = sizeof(*pHeader);
            pHeader->biWidth = 4;
            pHeader->biHeight = 4;
            pHeader->biPlanes = 1;
            pHeader->biBitCount = 24;
        }
        *pcbFormat = sizeof(BITMAPINFOHEADER);
        return 0;
    }
}

PGETFRAME __stdcall FakeAVIStreamGetFrameOpen(PAVISTREAM pStream, LPBITMAPINFOHEADER pWanted)
{
    (void)pStream; (void)pWanted;
    ++g_counts[countFrameOpen];
    return (PGETFRAME)&g_dummy;
}

LPVOID __stdcall FakeAVIStreamGetFrame(PGETFRAME pGetFrame, LONG lPos) { (void)pGetFrame; (void)lPos; return NULL; }

HRESULT __stdcall FakeAVIStreamGetFrameClose(PGETFRAME pGetFrame) { (void)pGetFrame; ++g_counts[countFrameClose]; return 0; }
