// Whether an output file would replace a file the export reads: the
// project's still images and movies, or the project file itself. Writing
// first deletes the output, so such a name would lose the user's file (and,
// for a source, the frames still to be read from it).
#pragma once

#include <windows.h>

class cTestNode;

// What the export says when it refuses such a name.
extern const char kOutputIsProjectFile[];

// Whether pszOutput names the file of a still image or movie anywhere in the
// subtree, or pszProject when one is given. Names are compared as full paths
// whatever their case, the output's short (8.3) parts made long.
BOOL IsProjectFile(cTestNode* pNode, LPCSTR pszOutput, LPCSTR pszProject);
