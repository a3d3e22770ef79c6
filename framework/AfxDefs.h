// Definitions every framework header shares: the Windows headers, assertion
// macros (ASSERT, VERIFY), POSITION and forward declarations of the core classes.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cassert>

// Programmer errors stop a debug build at the spot; release builds go on.
#ifndef NDEBUG
#define ASSERT(f) assert(f)
#define VERIFY(f) assert(f)
#else
#define ASSERT(f) ((void)0)
#define VERIFY(f) ((void)(f))
#endif

// An opaque iteration position inside a collection.
struct __POSITION {};
typedef __POSITION* POSITION;

class CObject;
class CRuntimeClass;
class CArchive;
class CDumpContext;
class CString;
class CFile;
class CDocument;
