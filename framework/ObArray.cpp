// CObArray: storage growth, element access and the array's archive encoding.
#include "ObArray.h"
#include "Archive.h"
#include "ArchiveException.h"
#include "MemoryException.h"

#include <climits>
#include <cstring>
#include <new>

IMPLEMENT_SERIAL(CObArray, CObject, 0)

CObArray::~CObArray()
{
    delete[] m_pData;
}

void CObArray::SetSize(int nNewSize, int nGrowBy)
{
    ASSERT(nNewSize >= 0);
    if (nNewSize < 0)
        nNewSize = 0;
    if (nGrowBy != -1)
        m_nGrowBy = nGrowBy;

    if (nNewSize == 0) {
        delete[] m_pData;
        m_pData = nullptr;
        m_nSize = m_nMaxSize = 0;
    } else if (nNewSize <= m_nMaxSize) {
        if (nNewSize > m_nSize)
            std::memset(&m_pData[m_nSize], 0, (nNewSize - m_nSize) * sizeof(CObject*));
        m_nSize = nNewSize;
    } else {
        // Grow geometrically (an eighth, between 4 and 1024 elements) unless a
        // step was set, so that appending one at a time stays cheap.
        int nStep = m_nGrowBy;
        if (nStep == 0) {
            nStep = m_nSize / 8;
            nStep = nStep < 4 ? 4 : (nStep > 1024 ? 1024 : nStep);
        }
        int nNewMax = m_nMaxSize + nStep;
        if (nNewMax < nNewSize || nNewMax < 0)
            nNewMax = nNewSize;
        if (static_cast<size_t>(nNewMax) > SIZE_MAX / sizeof(CObject*))
            AfxThrowMemoryException();
        CObject** pNewData = new (std::nothrow) CObject*[nNewMax];
        if (pNewData == nullptr)
            AfxThrowMemoryException();
        if (m_nSize > 0)
            std::memcpy(pNewData, m_pData, m_nSize * sizeof(CObject*));
        std::memset(&pNewData[m_nSize], 0, (nNewMax - m_nSize) * sizeof(CObject*));
        delete[] m_pData;
        m_pData = pNewData;
        m_nSize = nNewSize;
        m_nMaxSize = nNewMax;
    }
}

void CObArray::FreeExtra()
{
    if (m_nSize == m_nMaxSize)
        return;
    CObject** pNewData = nullptr;
    if (m_nSize > 0) {
        pNewData = new (std::nothrow) CObject*[m_nSize];
        if (pNewData == nullptr)
            AfxThrowMemoryException();
        std::memcpy(pNewData, m_pData, m_nSize * sizeof(CObject*));
    }
    delete[] m_pData;
    m_pData = pNewData;
    m_nMaxSize = m_nSize;
}

CObject* CObArray::GetAt(int nIndex) const
{
    ASSERT(nIndex >= 0 && nIndex < m_nSize);
    return m_pData[nIndex];
}

void CObArray::SetAt(int nIndex, CObject* newElement)
{
    ASSERT(nIndex >= 0 && nIndex < m_nSize);
    m_pData[nIndex] = newElement;
}

CObject*& CObArray::ElementAt(int nIndex)
{
    ASSERT(nIndex >= 0 && nIndex < m_nSize);
    return m_pData[nIndex];
}

void CObArray::SetAtGrow(int nIndex, CObject* newElement)
{
    ASSERT(nIndex >= 0);
    if (nIndex >= m_nSize)
        SetSize(nIndex + 1);
    m_pData[nIndex] = newElement;
}

int CObArray::Add(CObject* newElement)
{
    const int nIndex = m_nSize;
    SetAtGrow(nIndex, newElement);
    return nIndex;
}

void CObArray::InsertAt(int nIndex, CObject* newElement, int nCount)
{
    ASSERT(nIndex >= 0 && nCount > 0);
    if (nIndex >= m_nSize) {
        SetSize(nIndex + nCount);
    } else {
        const int nOldSize = m_nSize;
        SetSize(m_nSize + nCount);
        std::memmove(&m_pData[nIndex + nCount], &m_pData[nIndex], (nOldSize - nIndex) * sizeof(CObject*));
    }
    for (int i = 0; i < nCount; ++i)
        m_pData[nIndex + i] = newElement;
}

void CObArray::RemoveAt(int nIndex, int nCount)
{
    ASSERT(nIndex >= 0 && nCount >= 0 && nIndex + nCount <= m_nSize);
    const int nMoveCount = m_nSize - (nIndex + nCount);
    if (nMoveCount > 0)
        std::memmove(&m_pData[nIndex], &m_pData[nIndex + nCount], nMoveCount * sizeof(CObject*));
    m_nSize -= nCount;
}

void CObArray::Serialize(CArchive& ar)
{
    CObject::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteCount(m_nSize);
        for (int i = 0; i < m_nSize; ++i)
            ar << m_pData[i];
    } else {
        const DWORD nCount = ar.ReadCount();
        SetSize(static_cast<int>(nCount));
        for (DWORD i = 0; i < nCount; ++i)
            ar >> m_pData[i];
    }
}
