// cProjectFile: the layout of a .seq project file around the root node and
// the settings record; the document's Serialize hands its archive here.
#pragma once

#include "GifOptions.h"
#include "ImageList.h"

class cProjectFile
{
public:
    // Version 2 adds the size record after the settings; a project without
    // size choices is still written as version 1, which older builds read.
    enum : DWORD { dwProjectMark = 0xFACEFEED, dwSettingsVersion = 1, dwCurrentVersion = 2 };

// Operations
    // Stores or loads the whole project, as the archive's mode says.
    static void Serialize(CArchive& ar, cImageList& root, cGifOptions& options);

    // Writes the mark, the version, the root's record and the settings (and
    // the size record, in version 2, when there are size choices).
    static void Store(CArchive& ar, cImageList& root, cGifOptions& options);

    // Reads a project into root, replacing its children and name. A version-0
    // file has no settings and leaves options as they were; a version-1 file
    // has no size record and sets the size choices to their defaults. Any failure
    // throws the archive's exception (generic for a wrong mark, bad schema for
    // a newer version) after freeing everything read: root is then empty with
    // its old name, and options are unchanged.
    static void Load(CArchive& ar, cImageList& root, cGifOptions& options);

    // Whether the first bytes of a file are the project mark.
    static BOOL HasProjectMark(const void* pFirstBytes, UINT nCount);
};
