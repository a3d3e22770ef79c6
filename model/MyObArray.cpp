// cMyObArray: ownership of the elements and their strict loading.
#include "MyObArray.h"
#include "TestNode.h"

IMPLEMENT_SERIAL(cMyObArray, CObArray, 1)

cMyObArray::~cMyObArray()
{
    DeleteAll();
}

void cMyObArray::DeleteAll()
{
    for (int i = 0; i < m_nSize; ++i) {
        CObject* pElement = m_pData[i];
        m_pData[i] = nullptr;
        delete pElement;
    }
    RemoveAll();
}

void cMyObArray::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        // A null element would make the file unreadable; it is left out.
        DWORD nCount = 0;
        for (int i = 0; i < m_nSize; ++i)
            nCount += m_pData[i] != nullptr;
        ar.WriteCount(nCount);
        for (int i = 0; i < m_nSize; ++i)
            if (m_pData[i] != nullptr)
                ar << m_pData[i];
        return;
    }
    DeleteAll();
    const DWORD nCount = ar.ReadCount();
    for (DWORD i = 0; i < nCount; ++i) {
        // Each element joins the array as soon as it is complete, so that a
        // failure further on frees it with the rest.
        CObject* pElement = ar.ReadNewObject(RUNTIME_CLASS(cTestNode));
        try {
            Add(pElement);
        } catch (...) {
            delete pElement;
            throw;
        }
    }
}
