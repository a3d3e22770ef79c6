// cLibrary: a library loaded at run time whose entry points a subclass binds by name.
#pragma once

#include <windows.h>

class CString;

class cLibrary
{
public:
// Construction
    cLibrary();
    virtual ~cLibrary();
    cLibrary(const cLibrary&) = delete;
    cLibrary& operator=(const cLibrary&) = delete;

// Attributes
    BOOL IsLoaded() const { return m_hLibrary != nullptr; }
    HMODULE GetModule() const { return m_hLibrary; }
    // What LoadLibrary answered when loading failed (32 or less), else 32.
    UINT GetLoadError() const { return m_nLoadError; }

// Operations
    // Loads the library and binds its entry points; FALSE, with nothing
    // loaded and nothing bound, when the library or any entry point is missing.
    BOOL Load();
    // Clears the entry points and frees the library.
    void Unload();

// Overridables
    virtual void GetLibraryName(CString& strName) const = 0;
    virtual BOOL BindFunctions() = 0;
    virtual void ClearFunctions() = 0;

// Implementation
protected:
    // The address of an export of the loaded library, null when it has none.
    FARPROC FindFunction(const char* pszName) const;

private:
    void ReleaseModule();

    HMODULE m_hLibrary;
    UINT m_nLoadError;
};
