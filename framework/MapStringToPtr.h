// CMapStringToPtr: a hash map from text (compared exactly) to untyped pointers.
#pragma once

#include "AfxString.h"
#include "Object.h"

class CMapStringToPtr : public CObject
{
    DECLARE_DYNAMIC(CMapStringToPtr)
public:
// Construction
    explicit CMapStringToPtr(int nBlockSize = 10);
    ~CMapStringToPtr() override;

// Attributes
    int GetCount() const { return m_nCount; }
    BOOL IsEmpty() const { return m_nCount == 0; }
    BOOL Lookup(LPCSTR key, void*& rValue) const;

// Operations
    void*& operator[](LPCSTR key);              // adds the key with a null value when absent
    void SetAt(LPCSTR key, void* newValue) { (*this)[key] = newValue; }
    BOOL RemoveKey(LPCSTR key);
    void RemoveAll();

    // Iteration in no particular order; the position becomes null after the last.
    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& rNextPosition, CString& rKey, void*& rValue) const;

// Implementation
private:
    struct CAssoc
    {
        CAssoc* pNext;
        UINT nHashValue;        // full hash; the bucket is this modulo the table size
        CString key;
        void* value;
    };

    static UINT HashKey(LPCSTR key);
    CAssoc* GetAssocAt(LPCSTR key, UINT& nHash) const;
    void InitHashTable();
    void Rehash(UINT nNewSize);

    CAssoc** m_pHashTable = nullptr;
    UINT m_nHashTableSize = 17;
    int m_nCount = 0;
};
