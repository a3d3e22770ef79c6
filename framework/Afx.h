// The framework's core in one include: objects and their run-time classes,
// strings, collections, files, archives and exceptions.
#pragma once

#include "AfxDefs.h"
#include "AfxString.h"
#include "Archive.h"
#include "ArchiveException.h"
#include "Exception.h"
#include "File.h"
#include "FileException.h"
#include "MapStringToPtr.h"
#include "MemoryException.h"
#include "Object.h"
#include "ObArray.h"
#include "RuntimeClass.h"
