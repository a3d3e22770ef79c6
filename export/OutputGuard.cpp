// Output names checked before an export writes.
#include "OutputGuard.h"

#include "AfxString.h"
#include "TestNode.h"

#include <cstdlib>

const char kOutputIsProjectFile[] = "The output file is one of the project's own files.";
const char kOutputNotGif[] = "The output file name must end in .gif.";

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

// What makes a file itself, whatever name reaches it.
struct FileIdentity
{
    DWORD dwVolume;
    DWORD nIndexHigh;
    DWORD nIndexLow;

    bool operator==(const FileIdentity& other) const
    {
        return dwVolume == other.dwVolume && nIndexHigh == other.nIndexHigh && nIndexLow == other.nIndexLow;
    }
};

// FALSE when the file cannot be reached (it does not exist, say).
BOOL GetFileIdentity(LPCSTR pszPath, FileIdentity& identity)
{
    // No access asked and every sharing mode allowed: a file another
    // program holds open still answers.
    HANDLE hFile = ::CreateFileA(pszPath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return FALSE;
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL bGot = ::GetFileInformationByHandle(hFile, &info);
    ::CloseHandle(hFile);
    if (!bGot)
        return FALSE;
    identity.dwVolume = info.dwVolumeSerialNumber;
    identity.nIndexHigh = info.nFileIndexHigh;
    identity.nIndexLow = info.nFileIndexLow;
    return TRUE;
}

// The output as the comparisons need it: its identity when it exists, and
// its full long name for the files that cannot be reached.
struct OutputFile
{
    CString strPath;
    BOOL bExists;
    FileIdentity identity;
};

BOOL IsSameFile(LPCSTR pszPath, const OutputFile& output)
{
    FileIdentity identity;
    if (output.bExists && GetFileIdentity(pszPath, identity))
        return identity == output.identity;
    return FullPath(pszPath, TRUE).CompareNoCase(output.strPath) == 0;
}

BOOL NamesFileIn(cTestNode* pNode, const OutputFile& output)
{
    // Groups carry a name, not a file.
    if ((pNode->m_nType == cTestNode::typeImage || pNode->m_nType == cTestNode::typeMovie)
        && IsSameFile(pNode->GetName(-1), output))
        return TRUE;
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        if (cTestNode* pChild = pNode->GetChild(i))
            if (NamesFileIn(pChild, output))
                return TRUE;
    return FALSE;
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

BOOL IsProjectFile(cTestNode* pNode, LPCSTR pszOutput, LPCSTR pszProject)
{
    if (pszOutput == nullptr || *pszOutput == '\0')
        return FALSE;
    OutputFile output;
    output.strPath = FullPath(pszOutput, TRUE);
    output.bExists = GetFileIdentity(pszOutput, output.identity);
    if (pszProject != nullptr && *pszProject != '\0' && IsSameFile(pszProject, output))
        return TRUE;
    return pNode != nullptr && NamesFileIn(pNode, output);
}
