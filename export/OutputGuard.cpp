// Output names checked before an export writes.
#include "OutputGuard.h"

#include "FileSet.h"
#include "TestNode.h"

#include <cstdlib>
#include <cstring>
#include <string>

const char kOutputIsProjectFile[] = "The output file is one of the project's own files.";
const char kOutputNotGif[] = "The output file name must end in .gif.";
const char kOutputNoName[] = "The output file needs a name before its .gif.";

namespace {

void AddFilesIn(cTestNode* pNode, cFileSet& files)
{
    // Groups carry a name, not a file.
    if (pNode->m_nType == cTestNode::typeImage || pNode->m_nType == cTestNode::typeMovie)
        files.Add(pNode->GetName(-1));
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        if (cTestNode* pChild = pNode->GetChild(i))
            AddFilesIn(pChild, files);
}

} // namespace

BOOL IsGifOutputName(LPCSTR pszOutput)
{
    if (pszOutput == nullptr)
        return FALSE;
    char szExt[_MAX_EXT];
    ::_splitpath(pszOutput, nullptr, nullptr, nullptr, szExt);
    return ::_stricmp(szExt, ".gif") == 0;
}

LPCSTR WhyBadOutputName(LPCSTR pszOutput)
{
    if (pszOutput == nullptr)
        return kOutputNoName;
    // The file part, after the last separator: the file system drops the
    // spaces and dots that end a name, so a part of only those, with or
    // without ".gif", would write "   .gif" or a file called ".gif".
    LPCSTR pszName = pszOutput;
    for (LPCSTR p = pszOutput; *p != '\0'; p = ::CharNextA(p))
        if (*p == '\\' || *p == '/' || *p == ':')
            pszName = p + 1;
    std::string title = pszName;
    if (title.size() >= 4 && ::_stricmp(title.c_str() + title.size() - 4, ".gif") == 0)
        title.resize(title.size() - 4);
    if (title.find_first_not_of(" .") == std::string::npos)
        return kOutputNoName;
    return IsGifOutputName(pszOutput) ? nullptr : kOutputNotGif;
}

void AddProjectFiles(cTestNode* pNode, LPCSTR pszProject, cFileSet& files)
{
    if (pszProject != nullptr && *pszProject != '\0')
        files.Add(pszProject);
    if (pNode != nullptr)
        AddFilesIn(pNode, files);
}

BOOL IsProjectFile(cTestNode* pNode, LPCSTR pszOutput, LPCSTR pszProject)
{
    if (pszOutput == nullptr || *pszOutput == '\0')
        return FALSE;
    cFileSet files;
    AddProjectFiles(pNode, pszProject, files);
    return files.Contains(pszOutput);
}
