// CObArray: a growable array of CObject pointers. It does not own its
// elements; derived arrays that do say so.
#pragma once

#include "Object.h"

class CObArray : public CObject
{
    DECLARE_SERIAL(CObArray)
public:
// Construction
    CObArray() = default;
    ~CObArray() override;

// Attributes
    int GetSize() const { return m_nSize; }
    int GetUpperBound() const { return m_nSize - 1; }
    // Grows or shrinks to nNewSize; new elements are null. nGrowBy -1 keeps
    // the current growth step.
    void SetSize(int nNewSize, int nGrowBy = -1);

// Operations
    void FreeExtra();
    void RemoveAll() { SetSize(0); }

    CObject* GetAt(int nIndex) const;
    void SetAt(int nIndex, CObject* newElement);
    CObject*& ElementAt(int nIndex);
    CObject* operator[](int nIndex) const { return GetAt(nIndex); }
    CObject*& operator[](int nIndex) { return ElementAt(nIndex); }
    const CObject** GetData() const { return const_cast<const CObject**>(m_pData); }
    CObject** GetData() { return m_pData; }

    void SetAtGrow(int nIndex, CObject* newElement);
    int Add(CObject* newElement);
    void InsertAt(int nIndex, CObject* newElement, int nCount = 1);
    void RemoveAt(int nIndex, int nCount = 1);

// Overridables
    // Element count as a WORD, then every element as an object reference.
    void Serialize(CArchive& ar) override;

// Implementation
protected:
    CObject** m_pData = nullptr;
    int m_nSize = 0;
    int m_nMaxSize = 0;
    int m_nGrowBy = 0;
};
