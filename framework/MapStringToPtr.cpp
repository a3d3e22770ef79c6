// CMapStringToPtr: chained hash buckets, one heap entry per key.
#include "MapStringToPtr.h"
#include "MemoryException.h"

#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CMapStringToPtr, CObject)

CMapStringToPtr::CMapStringToPtr(int nBlockSize)
{
    // Entries are allocated one at a time, so the block size is only checked.
    ASSERT(nBlockSize > 0);
    (void)nBlockSize;
}

CMapStringToPtr::~CMapStringToPtr()
{
    RemoveAll();
}

UINT CMapStringToPtr::HashKey(LPCSTR key)
{
    UINT nHash = 0;
    while (*key != '\0')
        nHash = (nHash << 5) + nHash + static_cast<BYTE>(*key++);
    return nHash;
}

void CMapStringToPtr::InitHashTable()
{
    ASSERT(m_pHashTable == nullptr);
    m_pHashTable = new (std::nothrow) CAssoc*[m_nHashTableSize];
    if (m_pHashTable == nullptr)
        AfxThrowMemoryException();
    std::memset(m_pHashTable, 0, sizeof(CAssoc*) * m_nHashTableSize);
}

CMapStringToPtr::CAssoc* CMapStringToPtr::GetAssocAt(LPCSTR key, UINT& nHash) const
{
    ASSERT(key != nullptr);
    nHash = HashKey(key);
    if (m_pHashTable == nullptr)
        return nullptr;
    for (CAssoc* pAssoc = m_pHashTable[nHash % m_nHashTableSize]; pAssoc != nullptr; pAssoc = pAssoc->pNext)
        if (pAssoc->key == key)
            return pAssoc;
    return nullptr;
}

BOOL CMapStringToPtr::Lookup(LPCSTR key, void*& rValue) const
{
    UINT nHash;
    const CAssoc* pAssoc = GetAssocAt(key, nHash);
    if (pAssoc == nullptr)
        return FALSE;
    rValue = pAssoc->value;
    return TRUE;
}

void*& CMapStringToPtr::operator[](LPCSTR key)
{
    UINT nHash;
    CAssoc* pAssoc = GetAssocAt(key, nHash);
    if (pAssoc == nullptr) {
        if (m_pHashTable == nullptr)
            InitHashTable();
        pAssoc = new (std::nothrow) CAssoc{nullptr, nHash, CString(), nullptr};
        if (pAssoc == nullptr)
            AfxThrowMemoryException();
        try {
            pAssoc->key = key;
        } catch (...) {
            delete pAssoc;
            throw;
        }
        pAssoc->pNext = m_pHashTable[nHash % m_nHashTableSize];
        m_pHashTable[nHash % m_nHashTableSize] = pAssoc;
        ++m_nCount;
        if (static_cast<UINT>(m_nCount) > 2 * m_nHashTableSize)
            Rehash(2 * m_nHashTableSize + 1);
    }
    return pAssoc->value;
}

void CMapStringToPtr::Rehash(UINT nNewSize)
{
    CAssoc** pNewTable = new (std::nothrow) CAssoc*[nNewSize];
    if (pNewTable == nullptr)
        return;     // keep the old table: slower, still correct
    std::memset(pNewTable, 0, sizeof(CAssoc*) * nNewSize);
    for (UINT i = 0; i < m_nHashTableSize; ++i) {
        CAssoc* pAssoc = m_pHashTable[i];
        while (pAssoc != nullptr) {
            CAssoc* pNext = pAssoc->pNext;
            pAssoc->pNext = pNewTable[pAssoc->nHashValue % nNewSize];
            pNewTable[pAssoc->nHashValue % nNewSize] = pAssoc;
            pAssoc = pNext;
        }
    }
    delete[] m_pHashTable;
    m_pHashTable = pNewTable;
    m_nHashTableSize = nNewSize;
}

BOOL CMapStringToPtr::RemoveKey(LPCSTR key)
{
    if (m_pHashTable == nullptr)
        return FALSE;
    const UINT nBucket = HashKey(key) % m_nHashTableSize;
    for (CAssoc** ppAssoc = &m_pHashTable[nBucket]; *ppAssoc != nullptr; ppAssoc = &(*ppAssoc)->pNext) {
        if ((*ppAssoc)->key == key) {
            CAssoc* pAssoc = *ppAssoc;
            *ppAssoc = pAssoc->pNext;
            delete pAssoc;
            --m_nCount;
            return TRUE;
        }
    }
    return FALSE;
}

void CMapStringToPtr::RemoveAll()
{
    if (m_pHashTable != nullptr) {
        for (UINT i = 0; i < m_nHashTableSize; ++i) {
            CAssoc* pAssoc = m_pHashTable[i];
            while (pAssoc != nullptr) {
                CAssoc* pNext = pAssoc->pNext;
                delete pAssoc;
                pAssoc = pNext;
            }
        }
        delete[] m_pHashTable;
        m_pHashTable = nullptr;
    }
    m_nCount = 0;
}

POSITION CMapStringToPtr::GetStartPosition() const
{
    if (m_nCount == 0 || m_pHashTable == nullptr)
        return nullptr;
    for (UINT i = 0; i < m_nHashTableSize; ++i)
        if (m_pHashTable[i] != nullptr)
            return reinterpret_cast<POSITION>(m_pHashTable[i]);
    return nullptr;
}

void CMapStringToPtr::GetNextAssoc(POSITION& rNextPosition, CString& rKey, void*& rValue) const
{
    ASSERT(rNextPosition != nullptr && m_pHashTable != nullptr);
    const CAssoc* pAssoc = reinterpret_cast<const CAssoc*>(rNextPosition);
    rKey = pAssoc->key;
    rValue = pAssoc->value;

    const CAssoc* pNext = pAssoc->pNext;
    for (UINT i = pAssoc->nHashValue % m_nHashTableSize + 1; pNext == nullptr && i < m_nHashTableSize; ++i)
        pNext = m_pHashTable[i];
    rNextPosition = reinterpret_cast<POSITION>(const_cast<CAssoc*>(pNext));
}
