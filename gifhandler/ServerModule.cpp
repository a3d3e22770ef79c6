// Storage of the library-wide server state.
#include "ServerModule.h"

HINSTANCE CServerModule::s_hInstance = nullptr;
LONG CServerModule::s_cLocks = 0;
