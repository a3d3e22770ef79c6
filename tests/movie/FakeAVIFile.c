/* Stand-ins for the AVIFile library that export some or all of its names.
   Binding only looks the names up; none of them is ever called. */
#include <windows.h>

int __stdcall FakeEntry(void)
{
    return 0;
}
