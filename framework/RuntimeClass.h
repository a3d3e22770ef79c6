// The run-time class record every framework object carries, the process-wide
// registry of serialisable classes and the macros that declare both.
#pragma once

#include "AfxDefs.h"

// Schema number of a class that is dynamic but never stored in an archive.
#define AFX_NOT_SERIAL_SCHEMA 0xFFFF

class CRuntimeClass
{
public:
// Attributes
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                         // AFX_NOT_SERIAL_SCHEMA when not serialisable
    CObject* (*m_pfnCreateObject)();        // null when not dynamically creatable
    const CRuntimeClass* m_pBaseClass;

// Operations
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
    BOOL IsSerializable() const { return m_wSchema != AFX_NOT_SERIAL_SCHEMA; }

    // The registered class of this exact name (case-sensitive), or null.
    static const CRuntimeClass* FromName(LPCSTR lpszClassName);
    // Makes a serialisable class known to the archive by its name. Each
    // program registers its classes explicitly at start-up (a class that only
    // an archive names would otherwise not be linked in); registering a class
    // again does nothing.
    static void Register(const CRuntimeClass* pClass);

// Implementation
    const CRuntimeClass* m_pNextClass;      // registry chain, set by Register
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name) \
public: \
    static CRuntimeClass class##class_name; \
    virtual CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name) \
    static CObject* CreateObject();

#define DECLARE_SERIAL(class_name) \
    DECLARE_DYNCREATE(class_name) \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb);

#define AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew) \
    CRuntimeClass class_name::class##class_name = { \
        #class_name, static_cast<int>(sizeof(class_name)), wSchema, pfnNew, \
        RUNTIME_CLASS(base_class_name), nullptr }; \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, AFX_NOT_SERIAL_SCHEMA, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    CObject* class_name::CreateObject() { return new class_name; } \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, AFX_NOT_SERIAL_SCHEMA, \
                               class_name::CreateObject)

// A serialisable class: creatable by name, and found by the archive once
// registered with CRuntimeClass::Register.
#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema) \
    CObject* class_name::CreateObject() { return new class_name; } \
    AFX_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, \
                               class_name::CreateObject) \
    CArchive& operator>>(CArchive& ar, class_name*& pOb) \
    { \
        pOb = static_cast<class_name*>(ar.ReadObject(RUNTIME_CLASS(class_name))); \
        return ar; \
    }
