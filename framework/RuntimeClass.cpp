// The run-time class record and the registry of serialisable classes.
#include "RuntimeClass.h"
#include "Object.h"

#include <cstring>

namespace {

// Head of the registry chain, filled by the explicit registrations of the
// program at start-up.
const CRuntimeClass* g_pFirstClass = nullptr;

} // namespace

CObject* CRuntimeClass::CreateObject() const
{
    if (m_pfnCreateObject == nullptr)
        return nullptr;
    return (*m_pfnCreateObject)();
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    ASSERT(pBaseClass != nullptr);
    for (const CRuntimeClass* pClass = this; pClass != nullptr; pClass = pClass->m_pBaseClass)
        if (pClass == pBaseClass)
            return TRUE;
    return FALSE;
}

const CRuntimeClass* CRuntimeClass::FromName(LPCSTR lpszClassName)
{
    if (lpszClassName == nullptr)
        return nullptr;
    for (const CRuntimeClass* pClass = g_pFirstClass; pClass != nullptr; pClass = pClass->m_pNextClass)
        if (std::strcmp(pClass->m_lpszClassName, lpszClassName) == 0)
            return pClass;
    return nullptr;
}

void CRuntimeClass::Register(const CRuntimeClass* pClass)
{
    ASSERT(pClass != nullptr);
    // Linking a class in twice would close the chain into a loop.
    for (const CRuntimeClass* pKnown = g_pFirstClass; pKnown != nullptr; pKnown = pKnown->m_pNextClass)
        if (pKnown == pClass)
            return;
    // Two classes of one name: the archive could not tell which one a file means.
    ASSERT(FromName(pClass->m_lpszClassName) == nullptr);
    const_cast<CRuntimeClass*>(pClass)->m_pNextClass = g_pFirstClass;
    g_pFirstClass = pClass;
}
