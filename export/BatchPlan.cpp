// cBatchPlan: the walk before the batch, and the rules while it writes.
#include "BatchPlan.h"

#include "FrameRecord.h"
#include "OutputFile.h"
#include "OutputGuard.h"
#include "TestNode.h"

const char kSkipWrittenInRun[] = "would replace %s, written for another file in this run";
const char kSkipProjectFile[] = "would replace %s, one of the project's own files";
const char kSkipExists[] = "would replace %s, which exists already";
const char kSkipGifMovie[] = "is a GIF already; converting it would replace it";

namespace {

std::string Key(LPCSTR pszName)
{
    std::string key = pszName;
    ::CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
    return key;
}

// A file, not a folder, has the name.
BOOL FileExists(LPCSTR pszPath)
{
    const DWORD dwAttributes = ::GetFileAttributesA(pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

cBatchPlan::cBatchPlan() : m_nFrames(0), m_bReplaceExisting(FALSE)
{
}

void cBatchPlan::Build(cTestNode* pRoot, const cExportSettings& settings, LPCSTR pszProject)
{
    AddProjectFiles(pRoot, pszProject, m_projectFiles);
    if (pRoot != nullptr)
        AddNode(pRoot, settings.bExpand);
}

void cBatchPlan::AddNode(cTestNode* pNode, BOOL bExpand)
{
    pNode->Open();      // every Open has its Close, whatever it answered
    const int nFrames = pNode->GetFrameCount();
    m_nFrames += nFrames;
    if (pNode->m_nType == cTestNode::typeMovie && !bExpand) {
        // A GIF movie is left out, not converted over itself.
        if (!IsGifOutputName(pNode->GetName(-1)))
            AddOutput(GifOutputName(pNode->GetName(-1)));
    } else {
        for (int i = 0; i < nFrames; ++i)
            AddOutput(GifOutputName(pNode->GetName(i)));
    }
    pNode->Close();
    for (int i = 0; i < pNode->GetChildCount(); ++i)
        if (cTestNode* pChild = pNode->GetChild(i))
            AddNode(pChild, bExpand);
}

void cBatchPlan::AddOutput(const CString& strOutput)
{
    if (!m_outputKeys.insert(Key(strOutput)).second)
        return;
    const CString strFolder = cOutputFile::FolderOf(strOutput);
    if (!strFolder.IsEmpty() && m_folderKeys.insert(Key(strFolder)).second)
        m_folders.push_back(strFolder);
    if (FileExists(strOutput) && !m_projectFiles.Contains(strOutput))
        m_existing.push_back(strOutput);
}

CString cBatchPlan::WhyNotWrite(LPCSTR pszOutput) const
{
    LPCSTR pszRule = nullptr;
    if (m_written.Contains(pszOutput))
        pszRule = kSkipWrittenInRun;
    else if (m_projectFiles.Contains(pszOutput))
        pszRule = kSkipProjectFile;
    else if (!m_bReplaceExisting && FileExists(pszOutput))
        pszRule = kSkipExists;
    CString strWhy;
    if (pszRule != nullptr)
        strWhy.Format(pszRule, pszOutput);
    return strWhy;
}
