// CObject: the root of the framework's classes, with its run-time class query,
// serialisation hook and the two diagnostic hooks.
#pragma once

#include "AfxDefs.h"
#include "RuntimeClass.h"

class CObject
{
public:
// Construction
    virtual ~CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;

// Attributes
    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;

// Overridables
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const {}
    virtual void Dump(CDumpContext& dc) const { (void)dc; }

// Implementation
    static CRuntimeClass classCObject;

protected:
    CObject() = default;
};
