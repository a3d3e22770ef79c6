// Output names checked against the files a project reads.
#include "OutputGuard.h"

#include "AfxString.h"
#include "TestNode.h"

const char kOutputIsProjectFile[] = "The output file is one of the project's own files.";

namespace {

// The full path; with bLong, an existing file's short parts made long. The
// name as given when it cannot be made full.
CString FullPath(LPCSTR pszPath, BOOL bLong)
{
    char szFull[MAX_PATH];
    const DWORD nFull = ::GetFullPathNameA(pszPath, sizeof szFull, szFull, nullptr);
    if (nFull == 0 || nFull >= sizeof szFull)
        return CString(pszPath);
    char szLong[MAX_PATH];
    const DWORD nLong = bLong ? ::GetLongPathNameA(szFull, szLong, sizeof szLong) : 0;
    return CString(nLong > 0 && nLong < sizeof szLong ? szLong : szFull);
}

BOOL NamesFileIn(cTestNode* pNode, const CString& strOutput)
{
    // Groups carry a name, not a file.
    if ((pNode->m_nType == cTestNode::typeImage || pNode->m_nType == cTestNode::typeMovie)
        && FullPath(pNode->GetName(-1), FALSE).CompareNoCase(strOutput) == 0)
        return TRUE;
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        if (cTestNode* pChild = pNode->GetChild(i))
            if (NamesFileIn(pChild, strOutput))
                return TRUE;
    return FALSE;
}

} // namespace

BOOL IsProjectFile(cTestNode* pNode, LPCSTR pszOutput, LPCSTR pszProject)
{
    if (pszOutput == nullptr || *pszOutput == '\0')
        return FALSE;
    const CString strOutput = FullPath(pszOutput, TRUE);
    if (pszProject != nullptr && *pszProject != '\0' && FullPath(pszProject, TRUE).CompareNoCase(strOutput) == 0)
        return TRUE;
    return pNode != nullptr && NamesFileIn(pNode, strOutput);
}
