// cGifStreamWriter: formats, options and rows through the stream's own
// interface, as AVIStreamSetFormat and AVIStreamWrite pass them on.
#include "GifStreamWriter.h"

#include "Dib.h"
#include "FrameRecord.h"

cGifStreamWriter::cGifStreamWriter(PAVISTREAM pStream)
    : m_pStream(pStream), m_pOptions(nullptr), m_nImages(0)
{
    if (FAILED(m_pStream->QueryInterface(IID_IGifStreamOptions, reinterpret_cast<void**>(&m_pOptions))))
        m_pOptions = nullptr;
}

cGifStreamWriter::~cGifStreamWriter()
{
    if (m_pOptions != nullptr)
        m_pOptions->Release();
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

HRESULT cGifStreamWriter::WriteFrame(cDib& frame, BOOL bTransparent)
{
    if (m_pOptions != nullptr) {
        // The handler keeps the first format's colour table; this one gives
        // the image its size. Its answer does not matter.
        SetFormat(frame);
        if (bTransparent)
            m_pOptions->SetTransparency(1, TopLeftPixel(frame));
    }
    const HRESULT hr = m_pStream->Write(m_nImages, 1, frame.LockBits(), static_cast<LONG>(frame.GetBitsSize()),
                                        AVIIF_KEYFRAME, nullptr, nullptr);
    frame.FreeBits();
    if (hr == S_OK)
        ++m_nImages;
    return hr;
}
