// CEncodeJob: the buffers of one image, and its encoding.
#include "EncodeJob.h"

#include "DibGeometry.h"
#include "LzwEncoder.h"

CEncodeJob::CEncodeJob()
    : m_bOffered(false), m_nOfferedIndex(0), m_nOfferedCount(0), m_bTransparentChosen(false)
{
    ::ZeroMemory(&m_placed, sizeof m_placed);
    ::ZeroMemory(m_table, sizeof m_table);
}

bool CEncodeJob::Begin(const GifPlacedImage& placed)
{
    m_placed = placed;
    m_placed.localTable = nullptr;
    m_bOffered = false;
    m_bTransparentChosen = false;
    return m_pPixels.Reserve(static_cast<ULONGLONG>(placed.width) * placed.height);
}

void CEncodeJob::SetLocalTable(const RGBQUAD* table, DWORD count)
{
    // Entries past count are black, whoever used the job before: the
    // transparent version may take the first of them.
    ::ZeroMemory(m_table, sizeof m_table);
    ::CopyMemory(m_table, table, count * sizeof(RGBQUAD));
    m_placed.localTable = m_table;
    m_placed.localCount = count;
}

BYTE* CEncodeJob::OfferTransparentVersion(BYTE transparentIndex, DWORD localCount)
{
    if (!m_pTransparentPixels.Reserve(static_cast<ULONGLONG>(m_placed.width) * m_placed.height))
        return nullptr;
    m_bOffered = true;
    m_nOfferedIndex = transparentIndex;
    m_nOfferedCount = localCount;
    return m_pTransparentPixels;
}

bool CEncodeJob::Encode()
{
    DibGeometry rows;
    rows.width = m_placed.width;
    rows.height = m_placed.height;
    rows.stride = m_placed.width;
    rows.topDown = true;
    m_plain.Clear();
    m_transparent.Clear();
    if (!LzwEncodeImageData(m_plain, rows, m_pPixels))
        return false;
    if (m_bOffered && !LzwEncodeImageData(m_transparent, rows, m_pTransparentPixels))
        return false;
    m_bTransparentChosen = m_bOffered && m_transparent.Size() < m_plain.Size();
    return true;
}

bool CEncodeJob::WriteTo(ByteSink& output) const
{
    if (!m_bTransparentChosen)
        return GifWriteEncodedImage(output, m_placed, m_plain.Data(), m_plain.Size());
    GifPlacedImage placed = m_placed;
    placed.transparent = true;
    placed.transparentIndex = m_nOfferedIndex;
    if (placed.localTable != nullptr)
        placed.localCount = m_nOfferedCount;
    return GifWriteEncodedImage(output, placed, m_transparent.Data(), m_transparent.Size());
}
