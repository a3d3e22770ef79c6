// CGdiObject: owns one GDI object handle and deletes it with itself.
#pragma once

#include "Object.h"

class CGdiObject : public CObject
{
    DECLARE_DYNAMIC(CGdiObject)
public:
// Construction
    CGdiObject() = default;
    ~CGdiObject() override;

// Attributes
    HGDIOBJ m_hObject = nullptr;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

// Operations
    BOOL Attach(HGDIOBJ hObject);               // fails when a handle is already held
    HGDIOBJ Detach();
    BOOL DeleteObject();
};
