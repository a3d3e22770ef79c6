// Entry point of loomcast.dll. The library keeps no per-thread state; it only
// remembers its own module handle, which registration needs to find its path.
#include "ServerModule.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        CServerModule::SetInstance(hInstance);
    return TRUE;
}
