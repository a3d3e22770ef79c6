// Output names an export refuses before it writes anything:
//   IsGifOutputName  the output is a .gif: only the GIF handler is ours, and
//                    any other extension would have AVIFile write a movie
//                    over whatever file had that name
//   WhyBadOutputName that, and a name of its own before the ".gif"
//   IsProjectFile    the output is a file the export reads (a still image,
//                    a movie, the project file), which replacing would lose
#pragma once

#include <windows.h>

class cFileSet;
class cTestNode;

// What the export says when it refuses such a name.
extern const char kOutputIsProjectFile[];
extern const char kOutputNotGif[];
extern const char kOutputNoName[];

// Whether the name ends in ".gif", in any case.
BOOL IsGifOutputName(LPCSTR pszOutput);

// Why the name cannot be an output, or null when it can: kOutputNoName when
// its file part is empty or only spaces and dots (".gif" and "   .gif"
// included), kOutputNotGif when it does not end in ".gif".
LPCSTR WhyBadOutputName(LPCSTR pszOutput);

// Adds the project's files to the set: the still images and movies anywhere
// in the subtree (null: none), and pszProject when one is given.
void AddProjectFiles(cTestNode* pNode, LPCSTR pszProject, cFileSet& files);

// Whether pszOutput is the file of a still image or movie anywhere in the
// subtree, or pszProject when one is given, compared as files (cFileSet).
BOOL IsProjectFile(cTestNode* pNode, LPCSTR pszOutput, LPCSTR pszProject);
