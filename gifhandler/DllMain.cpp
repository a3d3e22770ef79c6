// Entry point of loomcast.dll. The library keeps no per-thread state; it
// remembers its own module handle, which registration needs to find its path,
// and the LZW encoder keeps one workspace between images.
#include "LzwEncoder.h"
#include "ServerModule.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID pReserved)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        CServerModule::SetInstance(hInstance);
    // Only on FreeLibrary: at process exit the system takes the memory back.
    else if (dwReason == DLL_PROCESS_DETACH && pReserved == nullptr)
        LzwReleaseWorkspace();
    return TRUE;
}
