// CTestDoc: the project document: the node tree under m_root, the export
// settings in m_options, the project file, Import, and the file rules that
// Import and dropped files share.
#pragma once

#include "Document.h"
#include "ExportProgress.h"
#include "ExportReport.h"
#include "ExportSettings.h"
#include "GifOptions.h"
#include "ImageList.h"

#include <vector>

class CTestDoc : public CDocument
{
    DECLARE_DYNCREATE(CTestDoc)
public:
    // The hint of UpdateAllViews when every node is about to be deleted (New,
    // Open): the views let go of them; the next update shows the new project.
    enum { hintEmptying = 1 };

// Construction
    CTestDoc();

// Attributes
    int GetTopLevelCount() { return m_root.GetChildCount(); }
    int CountFrames();
    // Whether an export is walking the tree. Its message boxes run the
    // message loop, so drops and commands still arrive: none of them may
    // change or replace the project until it ends.
    BOOL IsExportRunning() const { return m_nExportsRunning > 0; }

// Operations
    // One node for the file (a still image, or a movie when AVIFile can read
    // its extension) appended to the root; its index there.
    int AddFile(LPCSTR lpszPathName);
    // Appends a node to the root and returns its index; null adds nothing and gives 0.
    int AddNode(cTestNode* pNode);
    // Adds files as a drop does, in order: numbered bitmaps ("name007.bmp")
    // gathered into one sequence per prefix (exact case) among these files,
    // other bitmaps as images, movies AVIFile can read as movies. Files of
    // other kinds are skipped and listed in pSkipped when given. Project
    // files are not handled here; the caller decides about them first.
    void AddDroppedFiles(const std::vector<CString>& paths, std::vector<CString>* pSkipped = nullptr);

    // Whether the path names a project file by its extension (.seq, any case).
    static BOOL IsProjectFileName(LPCSTR lpszPathName);
    // The export settings the project keeps, for one kind of export, as
    // the dialogs and the console show them (a stored 0xFFFF loop count is
    // -1, the expand flag is set only when stored as 1).
    cExportSettings GetExportSettings(cExportSettings::Kind nKind) const;
    // Keeps a kind's settings for the next export and the project file, in
    // the record's 16-bit fields; the other kind's fields stay (the size
    // choices but the largest file are both kinds'). Choosing settings does
    // not modify the project.
    void StoreExportSettings(const cExportSettings& settings);
    // The one way the window and the console export the project: the tree
    // cannot change while it runs (IsExportRunning), failures are told
    // through pProgress as they happen, and the report says what was
    // written, what was left out and why, and whether the user stopped it.
    cExportReport Export(const cExportSettings& settings, cExportProgress* pProgress);

    // Why a path cannot join a project, or null when it can: a name with
    // characters the ANSI code page lacks (they arrive as '?'), or a path too
    // long for the files and the project to keep whole.
    static LPCSTR WhyUnusablePath(LPCSTR lpszPathName);
    // The message that refuses such files, "path: reason" a line.
    static CString RefusedFilesMessage(const std::vector<CString>& lines);
    // Why a dropped file of another kind is not added.
    static const char kNotAddable[];

    // Brackets an export: see IsExportRunning.
    class cExportRunning
    {
    public:
        explicit cExportRunning(CTestDoc* pDoc) : m_pDoc(pDoc) { ++m_pDoc->m_nExportsRunning; }
        ~cExportRunning() { --m_pDoc->m_nExportsRunning; }
        cExportRunning(const cExportRunning&) = delete;
        cExportRunning& operator=(const cExportRunning&) = delete;

    private:
        CTestDoc* m_pDoc;
    };

// Overridables
    void Serialize(CArchive& ar) override;
    void DeleteContents() override;
    BOOL OnNewDocument() override;
    // Refuses a file without the project mark before anything is touched.
    BOOL OnOpenDocument(LPCSTR lpszPathName) override;
    // Refused while an export runs: New, Open and closing all ask here first.
    BOOL SaveModified() override;

// Command handlers
    void OnImport();

// Implementation
    cImageList m_root;
    cGifOptions m_options;
private:
    int m_nExportsRunning;
public:

    DECLARE_MESSAGE_MAP()
};
