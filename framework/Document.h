// CDocument: a document's path, title and modified flag, its views, and the
// open, save and save-prompt behaviour around the document's own Serialize.
#pragma once

#include "AfxString.h"
#include "CmdTarget.h"

#include <vector>

class CArchive;
class CDocTemplate;
class CException;
class CFile;
class CFileException;
class CView;

class CDocument : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocument)
public:
// Construction
    CDocument();
    ~CDocument() override;

// Attributes
    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Sets the path and the title from it; bAddToMRU puts it in the recent-file list.
    virtual void SetPathName(LPCSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }
    int GetViewCount() const { return static_cast<int>(m_viewList.size()); }
    CView* GetView(int nIndex) const { return m_viewList[nIndex]; }

// Operations
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    // Tells every view but pSender that the document changed.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

// Overridables
    virtual void Serialize(CArchive& ar) override;
    virtual void DeleteContents();
    virtual BOOL OnNewDocument();
    // Empties the document, then loads the file; on failure the report is
    // made, the contents are emptied again and FALSE returned.
    virtual BOOL OnOpenDocument(LPCSTR lpszPathName);
    // Writes the whole document to a new file beside lpszPathName and puts it
    // in place only when every byte is written and flushed: a failed save
    // leaves the old file as it was and the document modified.
    virtual BOOL OnSaveDocument(LPCSTR lpszPathName);
    virtual void OnCloseDocument();
    // Asks whether to save a modified document; FALSE when the user cancelled
    // or the save failed.
    virtual BOOL SaveModified();
    virtual void ReportSaveLoadException(LPCSTR lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault);
    virtual CFile* GetFile(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError);
    virtual void ReleaseFile(CFile* pFile, BOOL bAbort);

// Command handlers
    void OnFileSave();
    void OnFileSaveAs();

// Implementation
    // The file opened for loading (read, others may not write), or null
    // after the failure has been reported.
    CFile* OpenForLoading(LPCSTR lpszPathName);
    // Save (bReplace, with the current path when there is one) or Save As.
    BOOL DoSave(LPCSTR lpszPathName, BOOL bReplace = TRUE);
    BOOL DoFileSave();
    // Whether the last OnOpenDocument emptied the contents (and so lost what
    // was there) before it failed; the template then starts a new document.
    BOOL m_bContentsDiscarded;
    CDocTemplate* m_pDocTemplate;

protected:
    CString m_strTitle;
    CString m_strPathName;
    BOOL m_bModified;
    std::vector<CView*> m_viewList;

    DECLARE_MESSAGE_MAP()
};
