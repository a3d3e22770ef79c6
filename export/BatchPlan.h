// cBatchPlan: what a batch is about to write, known before it writes
// anything: the frames it steps through, the folders it writes into and the
// GIFs that exist already; and, while it runs, whether a source's GIF may be
// written: never over one of the project's own files, never over a file
// this run wrote for an earlier source, and over a file that existed only
// when the user said to replace those.
#pragma once

#include "AfxString.h"
#include "ExportSettings.h"
#include "FileSet.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

class cTestNode;

// Why a batch leaves a source out rather than replace its GIF.
extern const char kSkipWrittenInRun[];
extern const char kSkipProjectFile[];
extern const char kSkipExists[];
// Why a batch leaves a GIF movie out.
extern const char kSkipGifMovie[];

class cBatchPlan
{
public:
// Construction
    cBatchPlan();

// Operations
    // Walks the tree as the batch will (a node's own frames, then its
    // children's), opening each node once, and notes the project's files
    // (its sources, and pszProject when given).
    void Build(cTestNode* pRoot, const cExportSettings& settings, LPCSTR pszProject);
    void SetReplaceExisting(BOOL bReplace) { m_bReplaceExisting = bReplace; }
    // Why the GIF must not be written now, naming the file it would
    // replace; empty when it may be written.
    CString WhyNotWrite(LPCSTR pszOutput) const;
    // A GIF written: this run's own from now on.
    void NoteWritten(LPCSTR pszOutput) { m_written.Add(pszOutput); }

// Attributes
    // The frame indices the batch steps through (CountFrames of the tree).
    int GetFrameCount() const { return m_nFrames; }
    // The GIFs to be written that exist already and are none of the
    // project's files, each once, in the order met.
    const std::vector<CString>& GetExisting() const { return m_existing; }
    // The folders written into, each once.
    const std::vector<CString>& GetFolders() const { return m_folders; }

// Implementation
private:
    void AddNode(cTestNode* pNode, BOOL bExpand);
    void AddOutput(const CString& strOutput);

    int m_nFrames;
    BOOL m_bReplaceExisting;
    cFileSet m_projectFiles;
    cFileSet m_written;
    std::vector<CString> m_existing;
    std::vector<CString> m_folders;
    std::set<std::string> m_outputKeys;     // outputs met, in capitals
    std::set<std::string> m_folderKeys;
};
