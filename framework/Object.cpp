// CObject: run-time class record of the root class and the class queries.
#include "Object.h"

CRuntimeClass CObject::classCObject = {
    "CObject", static_cast<int>(sizeof(CObject)), AFX_NOT_SERIAL_SCHEMA, nullptr, nullptr, nullptr };

CRuntimeClass* CObject::GetRuntimeClass() const
{
    return RUNTIME_CLASS(CObject);
}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    ASSERT(pClass != nullptr);
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

BOOL CObject::IsSerializable() const
{
    return GetRuntimeClass()->IsSerializable();
}

void CObject::Serialize(CArchive& ar)
{
    // An object with nothing of its own to store writes nothing.
    (void)ar;
}
