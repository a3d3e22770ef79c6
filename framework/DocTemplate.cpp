// CDocTemplate and CSingleDocTemplate: the template string, and making and
// reusing the one document with its frame and view.
#include "DocTemplate.h"
#include "Document.h"
#include "FrameWnd.h"
#include "WinApp.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass)
{
    m_strDocStrings.LoadString(nIDResource);
}

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const
{
    rString.Empty();
    int nStart = 0;
    for (int i = 0; i < index; ++i) {
        const int nNext = m_strDocStrings.Mid(nStart).Find('\n');
        if (nNext < 0)
            return FALSE;
        nStart += nNext + 1;
    }
    const CString strRest = m_strDocStrings.Mid(nStart);
    const int nEnd = strRest.Find('\n');
    rString = nEnd >= 0 ? strRest.Left(nEnd) : strRest;
    return !rString.IsEmpty();
}

void CDocTemplate::SetDefaultTitle(CDocument* pDocument)
{
    CString strTitle;
    if (!GetDocString(strTitle, docName))
        strTitle = "Untitled";
    pDocument->SetTitle(strTitle);
}

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass), m_pOnlyDoc(nullptr), m_pFrame(nullptr)
{
}

CSingleDocTemplate::~CSingleDocTemplate()
{
    // The frame (and the view in it) is gone with its window; the document stays till here.
    if (m_pFrame != nullptr && CWnd::FromHandlePermanent(m_pFrame->m_hWnd) == m_pFrame)
        m_pFrame->DestroyWindow();
    delete m_pOnlyDoc;
}

BOOL CSingleDocTemplate::CreateDocumentAndFrame()
{
    CDocument* pDocument = static_cast<CDocument*>(m_pDocClass->CreateObject());
    if (pDocument == nullptr)
        return FALSE;
    pDocument->m_pDocTemplate = this;
    m_pOnlyDoc = pDocument;

    CCreateContext context;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pCurrentDoc = pDocument;
    CFrameWnd* pFrame = static_cast<CFrameWnd*>(m_pFrameClass->CreateObject());
    if (pFrame == nullptr)
        return FALSE;
    // A frame whose window fails is deleted with the window it did not get.
    if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
        return FALSE;
    m_pFrame = pFrame;
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == nullptr)
        pApp->m_pMainWnd = pFrame;
    return TRUE;
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCSTR lpszPathName, BOOL bMakeVisible)
{
    BOOL bCreated = FALSE;
    if (m_pOnlyDoc == nullptr || m_pFrame == nullptr) {
        if (m_pOnlyDoc == nullptr && !CreateDocumentAndFrame())
            return nullptr;
        if (m_pFrame == nullptr)
            return nullptr;
        bCreated = TRUE;
    } else if (!m_pOnlyDoc->SaveModified()) {
        return nullptr;
    }

    CDocument* pDocument = m_pOnlyDoc;
    if (lpszPathName == nullptr) {
        SetDefaultTitle(pDocument);
        if (!pDocument->OnNewDocument())
            return nullptr;
    } else {
        pDocument->m_bContentsDiscarded = FALSE;
        CWaitCursor wait;
        if (!pDocument->OnOpenDocument(lpszPathName)) {
            // What the document held is gone only when the open began to load.
            if (pDocument->m_bContentsDiscarded || bCreated) {
                SetDefaultTitle(pDocument);
                pDocument->OnNewDocument();
                m_pFrame->InitialUpdateFrame(pDocument, bMakeVisible);
            }
            return nullptr;
        }
        pDocument->SetPathName(lpszPathName);
    }
    m_pFrame->InitialUpdateFrame(pDocument, bMakeVisible);
    return pDocument;
}
