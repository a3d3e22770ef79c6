// The library-wide state of the COM server: its module handle and the count of
// live object references and server locks that decides DllCanUnloadNow.
#pragma once

#include <windows.h>

class CServerModule
{
public:
// Attributes
    static HINSTANCE Instance() { return s_hInstance; }
    static LONG LockCount() { return s_cLocks; }
    static bool CanUnload() { return s_cLocks == 0; }

// Operations
    static void SetInstance(HINSTANCE hInstance) { s_hInstance = hInstance; }
    // Every AddRef of every object and every LockServer(TRUE) takes one lock;
    // the matching Release or LockServer(FALSE) gives it back.
    static void Lock() { ::InterlockedIncrement(&s_cLocks); }
    static void Unlock() { ::InterlockedDecrement(&s_cLocks); }

// Implementation
private:
    CServerModule() = delete;

    static HINSTANCE s_hInstance;
    static LONG s_cLocks;
};
