// CGifHandler: lifetime, the options interface, and the file side
// (IPersistFile, IAVIFile). The stream side is in GifHandlerStream.cpp.
#include <windows.h>
#include <initguid.h>   // the one place that defines the AVIFile interface identifiers
#include <vfw.h>

#include "GifHandler.h"
#include "ServerModule.h"

namespace {

const DWORD kDefaultRate = 30;

} // namespace

/////////////////////////////////////////////////////////////////////////////
// Construction

CGifHandler::CGifHandler()
    : m_cRef(0), m_bStreamCreated(FALSE), m_bHeaderWritten(FALSE),
      m_nImagesAccepted(0), m_bClientRate(FALSE), m_bFormatUsable(FALSE), m_bTableGiven(FALSE), m_nScreenWidth(0),
      m_nScreenHeight(0), m_nAskWidth(0), m_nAskHeight(0), m_nColourLimit(256), m_nLossiness(0), m_bParallel(FALSE),
      m_bPending(FALSE), m_bDifferencing(FALSE),
      m_bDither(TRUE), m_nTopLeftMode(0), m_bFirstTransparentKnown(FALSE), m_bFirstKeyKnown(FALSE),
      m_bFirstOnGlobal(FALSE), m_nFirstTransparentIndex(-1), m_nFirstKeyColour(0)
{
    ::ZeroMemory(m_format, sizeof m_format);
    ::ZeroMemory(m_globalTable, sizeof m_globalTable);
    m_global.SetIdentity(m_globalTable);
    m_bHeaderDeferred = FALSE;
    m_nDeferredCount = 0;
    ::ZeroMemory(&m_headerOptions, sizeof m_headerOptions);
    ::ZeroMemory(&m_gifFileInfo, sizeof m_gifFileInfo);
    ::ZeroMemory(&m_gifStreamInfo, sizeof m_gifStreamInfo);
    ::ZeroMemory(&m_bmih, sizeof m_bmih);
    ::ZeroMemory(&m_options, sizeof m_options);
    ::ZeroMemory(&m_pendingOptions, sizeof m_pendingOptions);
}

CGifHandler::~CGifHandler()
{
    // The trailer makes the file complete, after a held image and the
    // workers' last images. The output refuses it once a write has failed:
    // a file that lost an image ends without it, so that no reader takes it
    // for whole. A file that never got its header (no format the handler
    // could write came) stays empty: a trailer alone would be no GIF.
    CompletePending();
    if (m_bHeaderWritten) {
        if (m_differ.HasHeld())
            SendHeldImage(nullptr, 0);
        if (m_pipeline.IsStarted())
            m_pipeline.Finish();
        GifWriteFileTerminator(m_output);
    }
    m_output.Close();
}

/////////////////////////////////////////////////////////////////////////////
// IUnknown

HRESULT STDMETHODCALLTYPE CGifHandler::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;

    if (::IsEqualIID(riid, IID_IUnknown) || ::IsEqualIID(riid, IID_IGifStreamOptions)
        || ::IsEqualIID(riid, IID_IGifStreamOptions2) || ::IsEqualIID(riid, IID_IGifStreamOptions3)
        || ::IsEqualIID(riid, IID_IGifStreamOptions4))
        *ppv = static_cast<IGifStreamOptions4*>(this);
    else if (::IsEqualIID(riid, IID_IAVIFile))
        *ppv = static_cast<IAVIFile*>(this);
    else if (::IsEqualIID(riid, IID_IAVIStream))
        *ppv = static_cast<IAVIStream*>(this);
    else if (::IsEqualIID(riid, IID_IAVIStreaming))
        *ppv = static_cast<IAVIStreaming*>(this);
    else if (::IsEqualIID(riid, IID_IAVIEditStream))
        *ppv = static_cast<IAVIEditStream*>(this);
    else if (::IsEqualIID(riid, IID_IGetFrame))
        *ppv = static_cast<IGetFrame*>(this);
    else if (::IsEqualIID(riid, IID_IPersistFile))
        *ppv = static_cast<IPersistFile*>(this);
    else
        return E_NOINTERFACE;

    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CGifHandler::AddRef()
{
    CServerModule::Lock();
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

ULONG STDMETHODCALLTYPE CGifHandler::Release()
{
    const LONG cRef = ::InterlockedDecrement(&m_cRef);
    if (cRef == 0)
        delete this;
    CServerModule::Unlock();
    return static_cast<ULONG>(cRef);
}

/////////////////////////////////////////////////////////////////////////////
// IGifStreamOptions

HRESULT STDMETHODCALLTYPE CGifHandler::SetTransparency(DWORD bEnable, WORD wIndex)
{
    // The images given before are written as they were given.
    CompletePending();
    // An index given by the client is its own choice: no top-left mode then.
    m_nTopLeftMode = 0;
    m_options.bTransparent = bEnable;
    m_options.wTransparentIndex = wIndex;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetDithering(DWORD bEnable)
{
    m_bDither = bEnable != 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetFrameDifferencing(DWORD bEnable)
{
    // The screen must be followed from the first image on.
    if (m_nImagesAccepted != 0)
        return E_UNEXPECTED;
    m_bDifferencing = bEnable != 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetParallelEncoding(DWORD bEnable)
{
    // Images already written went to the file directly.
    if (m_nImagesAccepted != 0)
        return E_UNEXPECTED;
    m_bParallel = bEnable != 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::FinishImages(DWORD* pnImages)
{
    CompletePending();
    // A held image goes in as the last; images after it start afresh.
    if (m_differ.HasHeld())
        SendHeldImage(nullptr, 0);
    if (m_pipeline.IsStarted())
        m_pipeline.Finish();
    if (pnImages != nullptr)
        *pnImages = m_output.WholeImages();
    return m_output.Error();
}

/////////////////////////////////////////////////////////////////////////////
// IGifStreamOptions4: each only before the first format, which fixes the
// output and the screen.

HRESULT STDMETHODCALLTYPE CGifHandler::SetOutputStream(ISequentialStream* pStream)
{
    if (FormatTaken())
        return E_UNEXPECTED;
    m_output.SetStream(pStream);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetOutputSize(DWORD nWidth, DWORD nHeight)
{
    if (FormatTaken())
        return E_UNEXPECTED;
    if (nWidth > 0xFFFF || nHeight > 0xFFFF)
        return E_INVALIDARG;
    m_nAskWidth = nWidth;
    m_nAskHeight = nHeight;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetColourLimit(DWORD nColours)
{
    if (FormatTaken())
        return E_UNEXPECTED;
    if (nColours < 2 || nColours > 256)
        return E_INVALIDARG;
    m_nColourLimit = nColours;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetLossiness(DWORD nLevel)
{
    if (FormatTaken())
        return E_UNEXPECTED;
    if (nLevel > 200)
        return E_INVALIDARG;
    m_nLossiness = nLevel;
    m_differ.SetLossiness(nLevel);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetTopLeftTransparency(DWORD dwMode)
{
    if (dwMode > 2)
        return E_INVALIDARG;
    CompletePending();
    m_nTopLeftMode = dwMode;
    m_options.bTransparent = dwMode != 0;
    m_bFirstTransparentKnown = FALSE;
    m_bFirstKeyKnown = FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetReservedValue(DWORD dwValue)
{
    m_options.dwReserved = dwValue;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SetLoopCount(WORD wCount)
{
    m_options.wLoopCount = wCount;
    return S_OK;
}

/////////////////////////////////////////////////////////////////////////////
// IPersistFile

HRESULT STDMETHODCALLTYPE CGifHandler::GetClassID(CLSID* pClassID)
{
    if (pClassID == nullptr)
        return E_POINTER;
    *pClassID = CLSID_GifHandler;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::IsDirty()
{
    return S_FALSE;
}

// Creates the output file; the handler only writes GIF files, never reads them.
HRESULT STDMETHODCALLTYPE CGifHandler::Load(LPCOLESTR pszFileName, DWORD dwMode)
{
    if (pszFileName == nullptr)
        return AVIERR_BADPARAM;
    if ((dwMode & OF_CREATE) == 0)
        return AVIERR_UNSUPPORTED;
    if (m_output.IsOpen())
        return AVIERR_UNSUPPORTED;      // one object writes one file

    // The rate in these records is only reported: a stream reached without
    // CreateStream was never given one, and keeps the fixed delay.
    ::ZeroMemory(&m_gifStreamInfo, sizeof m_gifStreamInfo);
    m_bClientRate = FALSE;
    m_gifStreamInfo.fccType = streamtypeVIDEO;
    m_gifStreamInfo.dwFlags = AVISTREAMINFO_FORMATCHANGES;
    m_gifStreamInfo.dwScale = 1;
    m_gifStreamInfo.dwRate = kDefaultRate;

    ::ZeroMemory(&m_gifFileInfo, sizeof m_gifFileInfo);
    m_gifFileInfo.dwStreams = 1;
    m_gifFileInfo.dwScale = 1;
    m_gifFileInfo.dwRate = kDefaultRate;
    ::MultiByteToWideChar(CP_ACP, 0, "Animated Gif89a", -1, m_gifFileInfo.szFileType,
                          sizeof m_gifFileInfo.szFileType / sizeof(WCHAR));

    m_options.bTransparent = FALSE;
    m_options.wTransparentIndex = 0;
    m_options.dwReserved = 0;
    m_options.bLoop = TRUE;
    m_options.wLoopCount = 0;
    m_options.wDelay = kDefaultDelay;

    if (!m_output.Open(pszFileName))
        return AVIERR_INTERNAL;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::Save(LPCOLESTR, BOOL)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::SaveCompleted(LPCOLESTR)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::GetCurFile(LPOLESTR* ppszFileName)
{
    if (ppszFileName != nullptr)
        *ppszFileName = nullptr;
    return AVIERR_UNSUPPORTED;
}

/////////////////////////////////////////////////////////////////////////////
// IAVIFile

HRESULT STDMETHODCALLTYPE CGifHandler::Info(AVIFILEINFOW* pfi, LONG lSize)
{
    return CopyInfo(pfi, lSize, &m_gifFileInfo, sizeof m_gifFileInfo);
}

HRESULT STDMETHODCALLTYPE CGifHandler::GetStream(PAVISTREAM* ppStream, DWORD fccType, LONG lParam)
{
    if (ppStream == nullptr)
        return E_POINTER;
    *ppStream = nullptr;
    if (!StreamMatches(fccType, lParam))
        return static_cast<HRESULT>(-1);
    *ppStream = static_cast<IAVIStream*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::CreateStream(PAVISTREAM* ppStream, AVISTREAMINFOW* psi)
{
    if (ppStream == nullptr)
        return E_POINTER;
    *ppStream = nullptr;
    if (psi == nullptr)
        return AVIERR_BADPARAM;
    if (m_bStreamCreated || psi->fccType != streamtypeVIDEO)
        return AVIERR_UNSUPPORTED;

    m_gifStreamInfo = *psi;
    m_gifStreamInfo.dwLength = 0;
    m_gifFileInfo.dwScale = psi->dwScale;
    m_gifFileInfo.dwRate = psi->dwRate;
    m_bClientRate = TRUE;
    m_bStreamCreated = TRUE;
    *ppStream = static_cast<IAVIStream*>(this);
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGifHandler::WriteData(DWORD, LPVOID, LONG)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::ReadData(DWORD, LPVOID, LONG*)
{
    return AVIERR_UNSUPPORTED;
}

HRESULT STDMETHODCALLTYPE CGifHandler::EndRecord()
{
    return S_OK;
}

// Forgets the stream so that another can be created. The reference that
// CreateStream handed out stays the client's to release: taking it here
// would let the client's own Release destroy the object under its feet.
HRESULT STDMETHODCALLTYPE CGifHandler::DeleteStream(DWORD fccType, LONG lParam)
{
    if (!StreamMatches(fccType, lParam))
        return static_cast<HRESULT>(-1);
    m_bStreamCreated = FALSE;
    return S_OK;
}

/////////////////////////////////////////////////////////////////////////////
// Implementation

bool CGifHandler::StreamMatches(DWORD fccType, LONG lParam) const
{
    return m_bStreamCreated && lParam == 0 && (fccType == 0 || fccType == streamtypeVIDEO);
}
