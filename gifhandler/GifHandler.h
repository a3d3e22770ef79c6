// CGifHandler: the AVIFile file handler that writes one animated GIF file
// (or the GIF into the client's own stream) through the encoder; one object
// serves the file, its one video stream and the private options interface,
// with one reference count for all of them.
#pragma once

#include <windows.h>
#include <vfw.h>

#include "EncodeJob.h"
#include "EncodePipeline.h"
#include "FrameDiffer.h"
#include "FrameImage.h"
#include "FrameScaler.h"
#include "GifEncoder.h"
#include "IGifStreamOptions.h"
#include "OutputSink.h"

class CGifHandler final : public IGifStreamOptions4,
                          public IAVIFile,
                          public IAVIStream,
                          public IGetFrame,
                          public IAVIEditStream,
                          public IAVIStreaming,
                          public IPersistFile
{
public:
// Construction
    // Count 0: the creator's QueryInterface takes the first reference.
    CGifHandler();

// IUnknown (shared by every interface)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

// IGifStreamOptions
    HRESULT STDMETHODCALLTYPE SetTransparency(DWORD bEnable, WORD wIndex) override;
    HRESULT STDMETHODCALLTYPE SetReservedValue(DWORD dwValue) override;
    HRESULT STDMETHODCALLTYPE SetLoopCount(WORD wCount) override;
// IGifStreamOptions2
    HRESULT STDMETHODCALLTYPE SetDithering(DWORD bEnable) override;
    HRESULT STDMETHODCALLTYPE SetTopLeftTransparency(DWORD dwMode) override;
    HRESULT STDMETHODCALLTYPE SetFrameDifferencing(DWORD bEnable) override;
// IGifStreamOptions3
    HRESULT STDMETHODCALLTYPE SetParallelEncoding(DWORD bEnable) override;
    HRESULT STDMETHODCALLTYPE FinishImages(DWORD* pnImages) override;
// IGifStreamOptions4
    HRESULT STDMETHODCALLTYPE SetOutputStream(ISequentialStream* pStream) override;
    HRESULT STDMETHODCALLTYPE SetOutputSize(DWORD nWidth, DWORD nHeight) override;
    HRESULT STDMETHODCALLTYPE SetColourLimit(DWORD nColours) override;
    HRESULT STDMETHODCALLTYPE SetLossiness(DWORD nLevel) override;

// IAVIFile
    HRESULT STDMETHODCALLTYPE Info(AVIFILEINFOW* pfi, LONG lSize) override;
    HRESULT STDMETHODCALLTYPE GetStream(PAVISTREAM* ppStream, DWORD fccType, LONG lParam) override;
    HRESULT STDMETHODCALLTYPE CreateStream(PAVISTREAM* ppStream, AVISTREAMINFOW* psi) override;
    // WriteData and ReadData of IAVIFile and IAVIStream share one signature
    // and one answer: the GIF file carries no extra data chunks.
    HRESULT STDMETHODCALLTYPE WriteData(DWORD ckid, LPVOID lpData, LONG cbData) override;
    HRESULT STDMETHODCALLTYPE ReadData(DWORD ckid, LPVOID lpData, LONG* lpcbData) override;
    HRESULT STDMETHODCALLTYPE EndRecord() override;
    HRESULT STDMETHODCALLTYPE DeleteStream(DWORD fccType, LONG lParam) override;

// IAVIStream
    HRESULT STDMETHODCALLTYPE Create(LPARAM lParam1, LPARAM lParam2) override;
    HRESULT STDMETHODCALLTYPE Info(AVISTREAMINFOW* psi, LONG lSize) override;
    LONG STDMETHODCALLTYPE FindSample(LONG lPos, LONG lFlags) override;
    HRESULT STDMETHODCALLTYPE ReadFormat(LONG lPos, LPVOID lpFormat, LONG* lpcbFormat) override;
    HRESULT STDMETHODCALLTYPE SetFormat(LONG lPos, LPVOID lpFormat, LONG cbFormat) override;
    HRESULT STDMETHODCALLTYPE Read(LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                                   LONG* plBytes, LONG* plSamples) override;
    HRESULT STDMETHODCALLTYPE Write(LONG lStart, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                                    DWORD dwFlags, LONG* plSampWritten,
                                    LONG* plBytesWritten) override;
    HRESULT STDMETHODCALLTYPE Delete(LONG lStart, LONG lSamples) override;
    // Also IAVIEditStream::SetInfo, which has the same signature and meaning.
    HRESULT STDMETHODCALLTYPE SetInfo(AVISTREAMINFOW* lpInfo, LONG cbInfo) override;

// IGetFrame (Begin and End are shared with IAVIStreaming)
    LPVOID STDMETHODCALLTYPE GetFrame(LONG lPos) override;
    HRESULT STDMETHODCALLTYPE Begin(LONG lStart, LONG lEnd, LONG lRate) override;
    HRESULT STDMETHODCALLTYPE End() override;
    HRESULT STDMETHODCALLTYPE SetFormat(LPBITMAPINFOHEADER lpbi, LPVOID lpBits,
                                        int x, int y, int dx, int dy) override;

// IAVIEditStream
    HRESULT STDMETHODCALLTYPE Cut(LONG* plStart, LONG* plLength, PAVISTREAM* ppResult) override;
    HRESULT STDMETHODCALLTYPE Copy(LONG* plStart, LONG* plLength, PAVISTREAM* ppResult) override;
    HRESULT STDMETHODCALLTYPE Paste(LONG* plPos, LONG* plLength, PAVISTREAM pstream,
                                    LONG lStart, LONG lEnd) override;
    HRESULT STDMETHODCALLTYPE Clone(PAVISTREAM* ppResult) override;

// IPersistFile
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR pszFileName, DWORD dwMode) override;
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR pszFileName, BOOL fRemember) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR pszFileName) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* ppszFileName) override;

// Implementation
private:
    // Reached only through the final Release, which finishes the file.
    ~CGifHandler();
    CGifHandler(const CGifHandler&) = delete;
    CGifHandler& operator=(const CGifHandler&) = delete;

    // Hundredths of a second per image when the stream gives no usable rate.
    static const WORD kDefaultDelay = 6;

    bool StreamMatches(DWORD fccType, LONG lParam) const;
    // Whether the stream has taken its first format, which fixes the screen
    // and the output.
    bool FormatTaken() const { return m_nScreenWidth != 0; }
    // The differenced layout: asked for, or needed by lossy compression,
    // which must know what stays.
    bool Differencing() const { return m_bDifferencing || m_nLossiness != 0; }
    // The file's screen: the first format's, or the output size asked for.
    LONG FileWidth() const { return m_scaler.IsActive() ? static_cast<LONG>(m_scaler.Width()) : m_nScreenWidth; }
    LONG FileHeight() const { return m_scaler.IsActive() ? static_cast<LONG>(m_scaler.Height()) : m_nScreenHeight; }
    // Refuses a format: the frames that follow are refused until one the
    // handler can write comes. Returns hr.
    HRESULT RefuseFormat(HRESULT hr);
    HRESULT WriteFileHeader(const BITMAPINFO* pFormat);
    HRESULT DeferFileHeader(const BITMAPINFO* pFormat);
    void TakeScreenAndTable(const BITMAPINFO* pFormat);
    // The file's global table from the first image's use of the source's.
    void OrderGlobalTable(const GifImage& first, DWORD count);
    // The header of a file whose first format was not 8-bit: the screen of
    // that format, and the first image's colours as the global table.
    HRESULT WriteDeferredHeader(const GifImage& image);
    // Whether the image's colours are the global table's, index for index.
    bool UsesGlobalTable(const GifImage& image) const;
    // The colour a top-left mode makes transparent in the next image, as
    // CFrameImage::Convert takes it.
    DWORD NextKeyColour() const;
    // What the colour stage is asked for the next frame, of the current
    // format; bDefer leaves its mapping to the workers.
    FrameColours NextFrameColours(bool bDefer) const;
    // The image whose mapping the workers have, into the file (or a job):
    // it comes before anything that changes how images are written.
    HRESULT CompletePending();
    // An image made, into the file (or a job), as Write places every image:
    // the deferred header, the transparency it takes, the screen.
    HRESULT PlaceImage(GifImage& image, GifWriteOptions options, const void* pClientRows);
    // The transparent index a top-left mode gives this image, if any; a
    // local table's other entries of that colour are merged into it.
    // AVIERR_MEMORY when the merged rows' memory cannot be had.
    HRESULT ApplyTopLeftTransparency(GifImage& image, bool bOnGlobal, GifWriteOptions& options);
    // The image into the file now, or (parallel encoding) into a job for
    // the workers; a differenced image may wait for the next. bRestore: the
    // image is restored to the background once shown, as every image of an
    // animation with transparency is, with a transparent index or without.
    HRESULT WriteImage(const GifImage& image, bool bOnGlobal, const GifWriteOptions& options, bool bRestore,
                       const void* pClientRows);
    // The image frame differencing holds, before the next image (which
    // decides how it leaves the screen) or as the last (pNext null).
    HRESULT SendHeldImage(const GifImage* pNext, BYTE nextTransparentIndex);
    // The job for the next image in the file: the workers' next, or the
    // stream's own; null when an image could not be written.
    CEncodeJob* NextJob();
    // A filled job to the workers, or encoded and written now.
    HRESULT SendJob(CEncodeJob& job);
    // Ends the output for good with hr, unless it has failed already; the
    // first failure, which every later Write and FinishImages answers.
    HRESULT Fail(HRESULT hr);
    // A job of the image whole at the top-left corner, as the plain layout
    // writes it.
    static bool FillWholeImage(const GifImage& image, const RGBQUAD* localTable, const GifWriteOptions& options,
                               bool bRestore, CEncodeJob& job);

    // The Info methods: at most cbRecord bytes of the record, as many as the
    // caller's lSize allows.
    static HRESULT CopyInfo(void* pDest, LONG lSize, const void* pRecord, DWORD cbRecord);
    // Hundredths of a second that image n (from 0) stays on screen.
    WORD ImageDelay(DWORD nImage) const;

    LONG m_cRef;
    AVIFILEINFOW m_gifFileInfo;
    AVISTREAMINFOW m_gifStreamInfo;
    BOOL m_bStreamCreated;
    BOOL m_bHeaderWritten;      // the file header has been written (or its write tried)
    COutputSink m_output;       // open from Load on
    BITMAPINFOHEADER m_bmih;    // the current format: size of the images written
    GifWriteOptions m_options;
    DWORD m_nImagesAccepted;    // samples Write took, numbering their delays
    BOOL m_bClientRate;         // the stream's rate came from the client, not from Load

    // The current format as the client gave it (header, then colour table
    // or masks), as far as it fits; the colours of palette frames come from here.
    BYTE m_format[sizeof(BITMAPV5HEADER) + 256 * sizeof(RGBQUAD)];
    BOOL m_bFormatUsable;       // the frames of the current format can be written
    BOOL m_bTableGiven;         // the block holds the whole colour table of an 8-bit format
    RGBQUAD m_globalTable[256]; // the source's: what the indices of images on the global table stand for
    GlobalPalette m_global;     // the global table as the file has it
    BOOL m_bHeaderDeferred;     // differenced: the first 8-bit format was taken, its header waits for an image
    DWORD m_nDeferredCount;     // the entries of its table
    GifWriteOptions m_headerOptions;    // the options as they were at the first format
    LONG m_nScreenWidth;        // the first usable format's size, for a header
    LONG m_nScreenHeight;       // written only with the first image
    CFrameScaler m_scaler;      // stage 3: the output size, and widening for the colour limit
    DWORD m_nAskWidth;          // SetOutputSize's
    DWORD m_nAskHeight;
    DWORD m_nColourLimit;       // 2 to 256
    DWORD m_nLossiness;         // 0 to 200
    CFrameImage m_frames;
    CFrameDiffer m_differ;
    CEncodeJob m_job;           // the image being written, without parallel encoding
    CEncodePipeline m_pipeline; // started by the first image when parallel encoding is on
    BOOL m_bParallel;
    // An image whose pixels a worker maps, and what Write gave it.
    BOOL m_bPending;
    GifWriteOptions m_pendingOptions;
    BOOL m_bDifferencing;
    BOOL m_bDither;
    DWORD m_nTopLeftMode;       // 0: SetTransparency decides; 1: the first image's colour; 2: each image's own
    BOOL m_bFirstTransparentKnown;
    BOOL m_bFirstKeyKnown;      // the first image's key colour is known (taken when it is made)
    BOOL m_bFirstOnGlobal;      // the first image used the global table
    int m_nFirstTransparentIndex;   // -1: the first image had no entry of its colour
    DWORD m_nFirstKeyColour;    // the first image's top-left colour in its source
};
