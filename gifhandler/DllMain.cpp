// Entry point of loomcast.dll. The library keeps no per-process or
// per-thread state, so attach and detach only report success.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
