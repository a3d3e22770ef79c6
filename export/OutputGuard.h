// Output names an export refuses before it writes anything:
//   IsGifOutputName  the output is a .gif: only the GIF handler is ours, and
//                    any other extension would have AVIFile write a movie
//                    over whatever file had that name
//   IsProjectFile    the output is a file the export reads (a still image,
//                    a movie, the project file), which replacing would lose
#pragma once

#include <windows.h>

class cTestNode;

// What the export says when it refuses such a name.
extern const char kOutputIsProjectFile[];
extern const char kOutputNotGif[];

// Whether the name ends in ".gif", in any case.
BOOL IsGifOutputName(LPCSTR pszOutput);

// Whether pszOutput is the file of a still image or movie anywhere in the
// subtree, or pszProject when one is given. When the output exists, files
// are compared by identity (volume and file index), so that short names,
// "..", case and links all count; otherwise by full path, in any case.
BOOL IsProjectFile(cTestNode* pNode, LPCSTR pszOutput, LPCSTR pszProject);
