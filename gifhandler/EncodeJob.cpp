// CEncodeJob: the buffers of one image, and its encoding.
#include "EncodeJob.h"

#include "DibGeometry.h"
#include "LzwEncoder.h"

CEncodeJob::CEncodeJob()
    : m_bStill(false), m_bOptimise(false), m_nKeyIndex(-1), m_nLossiness(0)
{
    ::ZeroMemory(&m_placed, sizeof m_placed);
    ::ZeroMemory(m_table, sizeof m_table);
    ::ZeroMemory(m_sourceTable, sizeof m_sourceTable);
    m_global.SetIdentity(m_sourceTable);
}

bool CEncodeJob::Begin(const GifPlacedImage& placed)
{
    m_placed = placed;
    m_placed.localTable = nullptr;
    m_bStill = false;
    m_bOptimise = false;
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

void CEncodeJob::Optimise(int keyIndex, DWORD lossiness, const RGBQUAD* sourceTable, const GlobalPalette& global)
{
    m_global = global;
    m_bOptimise = true;
    m_nKeyIndex = keyIndex;
    m_nLossiness = lossiness;
    ::CopyMemory(m_sourceTable, sourceTable, sizeof m_sourceTable);
}

BYTE* CEncodeJob::StillMask()
{
    if (!m_pStill.Reserve(static_cast<ULONGLONG>(m_placed.width) * m_placed.height))
        return nullptr;
    m_bStill = true;
    return m_pStill;
}

bool CEncodeJob::Encode()
{
    if (m_bOptimise) {
        const ImageVersionsIn in = { m_placed.width, m_placed.height, m_pPixels, m_bStill ? m_pStill.Get() : nullptr,
                                     m_placed.localTable != nullptr ? m_table : m_sourceTable,
                                     m_placed.localTable != nullptr ? m_placed.localCount : 0, &m_global,
                                     m_nKeyIndex, m_nLossiness };
        return EncodeShortestVersion(in, m_version);
    }
    DibGeometry rows;
    rows.width = m_placed.width;
    rows.height = m_placed.height;
    rows.stride = m_placed.width;
    rows.topDown = true;
    m_plain.Clear();
    return LzwEncodeImageData(m_plain, rows, m_pPixels);
}

bool CEncodeJob::WriteTo(ByteSink& output) const
{
    if (!m_bOptimise)
        return GifWriteEncodedImage(output, m_placed, m_plain.Data(), m_plain.Size());
    GifPlacedImage placed = m_placed;
    placed.transparent = m_version.transparent;
    placed.transparentIndex = m_version.transparentIndex;
    placed.localTable = m_version.count != 0 ? m_version.table : nullptr;
    placed.localCount = m_version.count;
    return GifWriteEncodedImage(output, placed, m_version.data.Data(), m_version.data.Size());
}
