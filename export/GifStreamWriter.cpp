// cGifStreamWriter: formats, options and rows through the stream's own
// interface, as AVIStreamSetFormat and AVIStreamWrite pass them on.
#include "GifStreamWriter.h"

#include "Dib.h"
#include "FrameRecord.h"

cGifStreamWriter::cGifStreamWriter(PAVISTREAM pStream)
    : m_pStream(pStream), m_pOptions(nullptr), m_pOptions2(nullptr), m_pOptions3(nullptr), m_pOptions4(nullptr),
      m_nTransparency(0), m_nImages(0)
{
    if (FAILED(m_pStream->QueryInterface(IID_IGifStreamOptions, reinterpret_cast<void**>(&m_pOptions))))
        m_pOptions = nullptr;
    if (FAILED(m_pStream->QueryInterface(IID_IGifStreamOptions2, reinterpret_cast<void**>(&m_pOptions2))))
        m_pOptions2 = nullptr;
    if (FAILED(m_pStream->QueryInterface(IID_IGifStreamOptions3, reinterpret_cast<void**>(&m_pOptions3))))
        m_pOptions3 = nullptr;
    if (FAILED(m_pStream->QueryInterface(IID_IGifStreamOptions4, reinterpret_cast<void**>(&m_pOptions4))))
        m_pOptions4 = nullptr;
}

cGifStreamWriter::~cGifStreamWriter()
{
    if (m_pOptions4 != nullptr)
        m_pOptions4->Release();
    if (m_pOptions3 != nullptr)
        m_pOptions3->Release();
    if (m_pOptions2 != nullptr)
        m_pOptions2->Release();
    if (m_pOptions != nullptr)
        m_pOptions->Release();
}

void cGifStreamWriter::SetDithering(BOOL bDither)
{
    if (m_pOptions2 != nullptr)
        m_pOptions2->SetDithering(bDither);
}

void cGifStreamWriter::SetFrameDifferencing(BOOL bDifferencing)
{
    if (m_pOptions2 != nullptr)
        m_pOptions2->SetFrameDifferencing(bDifferencing);
}

HRESULT cGifStreamWriter::SetSizeChoices(int nWidth, int nHeight, int nColours, int nLossiness)
{
    const bool bScale = nWidth > 0 || nHeight > 0;
    if (!bScale && nColours == 256 && nLossiness == 0)
        return S_OK;
    if (m_pOptions4 == nullptr)
        return E_NOINTERFACE;
    HRESULT hr = S_OK;
    if (bScale)
        hr = m_pOptions4->SetOutputSize(static_cast<DWORD>(nWidth > 0 ? nWidth : 0),
                                        static_cast<DWORD>(nHeight > 0 ? nHeight : 0));
    if (SUCCEEDED(hr) && nColours != 256)
        hr = m_pOptions4->SetColourLimit(static_cast<DWORD>(nColours));
    if (SUCCEEDED(hr) && nLossiness != 0)
        hr = m_pOptions4->SetLossiness(static_cast<DWORD>(nLossiness));
    return hr;
}

HRESULT cGifStreamWriter::SetOutputStream(ISequentialStream* pStream)
{
    return m_pOptions4 != nullptr ? m_pOptions4->SetOutputStream(pStream) : E_NOINTERFACE;
}

void cGifStreamWriter::SetParallelEncoding(BOOL bParallel)
{
    if (m_pOptions3 != nullptr)
        m_pOptions3->SetParallelEncoding(bParallel);
}

HRESULT cGifStreamWriter::FinishImages()
{
    if (m_pOptions3 == nullptr)
        return S_OK;
    DWORD nImages = 0;
    const HRESULT hr = m_pOptions3->FinishImages(&nImages);
    m_nImages = static_cast<LONG>(nImages);
    return hr;
}

void cGifStreamWriter::SetTransparency(int nMode)
{
    m_nTransparency = nMode;
    // The handler knows the colour each image's top-left pixel gets, even
    // in an image it reduced; an older one is told indices as they come.
    if (m_pOptions2 != nullptr)
        m_pOptions2->SetTopLeftTransparency(static_cast<DWORD>(nMode));
}

void cGifStreamWriter::SetLoopCount(WORD wCount)
{
    if (m_pOptions != nullptr)
        m_pOptions->SetLoopCount(wCount);
}

HRESULT cGifStreamWriter::SetFormat(const cDib& format)
{
    return m_pStream->SetFormat(0, format.GetInfo(), static_cast<LONG>(format.GetInfoSize()));
}

BOOL cGifStreamWriter::CanWrite(const cDib& frame) const
{
    return m_pOptions2 != nullptr || frame.GetBitCount() == 8;
}

HRESULT cGifStreamWriter::WriteFrame(cDib& frame)
{
    if (!CanWrite(frame))
        return S_FALSE;
    if (m_pOptions != nullptr) {
        // The image's own size and colours; its answer does not matter.
        SetFormat(frame);
        if (m_pOptions2 == nullptr && (m_nTransparency == 2 || (m_nTransparency == 1 && m_nImages == 0)))
            m_pOptions->SetTransparency(1, TopLeftPixel(frame));
    }
    const HRESULT hr = m_pStream->Write(m_nImages, 1, frame.LockBits(), static_cast<LONG>(frame.GetBitsSize()),
                                        AVIIF_KEYFRAME, nullptr, nullptr);
    frame.FreeBits();
    if (hr == S_OK)
        ++m_nImages;
    return hr;
}
