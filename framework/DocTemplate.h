// CDocTemplate and CSingleDocTemplate: what binds a document class, its frame
// and its view under one resource id; the single-document template makes
// them once and reuses them for every New and Open.
#pragma once

#include "AfxString.h"
#include "CmdTarget.h"

class CDocument;
class CFrameWnd;

class CDocTemplate : public CCmdTarget
{
    DECLARE_DYNAMIC(CDocTemplate)
public:
    // The fields of the template string, in order, separated by '\n'.
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };

// Construction
    CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                 CRuntimeClass* pViewClass);

// Attributes
    BOOL GetDocString(CString& rString, DocStringIndex index) const;
    UINT GetResourceID() const { return m_nIDResource; }
    virtual CDocument* GetDocument() const = 0;

// Operations
    // Null path: a new, empty document. Otherwise the file, after the save
    // prompt. The document, or null when it failed (the user has been told).
    virtual CDocument* OpenDocumentFile(LPCSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
    void SetDefaultTitle(CDocument* pDocument);

// Implementation
protected:
    UINT m_nIDResource;
    CRuntimeClass* m_pDocClass;
    CRuntimeClass* m_pFrameClass;
    CRuntimeClass* m_pViewClass;
    CString m_strDocStrings;
};

class CSingleDocTemplate : public CDocTemplate
{
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
// Construction
    CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                       CRuntimeClass* pViewClass);
    ~CSingleDocTemplate() override;

// Attributes
    CDocument* GetDocument() const override { return m_pOnlyDoc; }

// Operations
    CDocument* OpenDocumentFile(LPCSTR lpszPathName, BOOL bMakeVisible = TRUE) override;

// Implementation
private:
    // The document, then its frame with the view inside; FALSE if any failed.
    BOOL CreateDocumentAndFrame();

    CDocument* m_pOnlyDoc;
    CFrameWnd* m_pFrame;
};
