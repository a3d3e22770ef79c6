// Defines the AVIFile interface identifiers for the test programs: taken from
// vfw32's import library they would be thunks that compare unequal.
#include <windows.h>
#include <initguid.h>
#include <vfw.h>
