// CDocument: views, title, the save prompt, and opening and saving through
// the document's Serialize.
#include "Document.h"
#include "AfxRes.h"
#include "Archive.h"
#include "ArchiveException.h"
#include "DocTemplate.h"
#include "File.h"
#include "FileException.h"
#include "FrameWnd.h"
#include "MemoryException.h"
#include "MessageBox.h"
#include "View.h"
#include "WinApp.h"

#include <commdlg.h>

#include <algorithm>

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

namespace {

// The folder of a path, with its trailing separator; "." for a bare name.
CString FolderOf(const CString& strPath)
{
    const int nSlash = std::max(strPath.ReverseFind('\\'), strPath.ReverseFind('/'));
    return nSlash >= 0 ? strPath.Left(nSlash + 1) : CString(".");
}

CString FileNameOf(const CString& strPath)
{
    const int nSlash = std::max(strPath.ReverseFind('\\'), strPath.ReverseFind('/'));
    return strPath.Mid(nSlash + 1);
}

} // namespace

CDocument::CDocument() : m_bContentsDiscarded(FALSE), m_pDocTemplate(nullptr), m_bModified(FALSE)
{
}

CDocument::~CDocument()
{
    for (CView* pView : m_viewList)
        pView->m_pDocument = nullptr;
}

void CDocument::SetTitle(LPCSTR lpszTitle)
{
    m_strTitle = lpszTitle;
    for (CView* pView : m_viewList) {
        if (CFrameWnd* pFrame = pView->GetParentFrame())
            pFrame->OnUpdateFrameTitle(TRUE);
    }
}

void CDocument::SetPathName(LPCSTR lpszPathName, BOOL bAddToMRU)
{
    m_strPathName = lpszPathName;
    SetTitle(FileNameOf(m_strPathName));
    if (bAddToMRU && AfxGetApp() != nullptr)
        AfxGetApp()->AddToRecentFileList(m_strPathName);
}

void CDocument::AddView(CView* pView)
{
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView)
{
    m_viewList.erase(std::remove(m_viewList.begin(), m_viewList.end(), pView), m_viewList.end());
    pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    for (CView* pView : m_viewList)
        if (pView != pSender)
            pView->OnUpdate(pSender, lHint, pHint);
}

void CDocument::Serialize(CArchive&)
{
}

void CDocument::DeleteContents()
{
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    DeleteContents();
}

CFile* CDocument::GetFile(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    CFile* pFile = new CFile;
    if (!pFile->Open(lpszFileName, nOpenFlags, pError)) {
        delete pFile;
        return nullptr;
    }
    return pFile;
}

void CDocument::ReleaseFile(CFile* pFile, BOOL bAbort)
{
    if (bAbort) {
        pFile->Abort();
        delete pFile;
        return;
    }
    try {
        pFile->Close();
    } catch (...) {
        delete pFile;
        throw;
    }
    delete pFile;
}

CFile* CDocument::OpenForLoading(LPCSTR lpszPathName)
{
    CFileException fe;
    CFile* pFile = GetFile(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe);
    if (pFile == nullptr)
        ReportSaveLoadException(lpszPathName, &fe, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return pFile;
}

BOOL CDocument::OnOpenDocument(LPCSTR lpszPathName)
{
    CFile* pFile = OpenForLoading(lpszPathName);
    if (pFile == nullptr)
        return FALSE;
    m_bContentsDiscarded = TRUE;
    DeleteContents();
    SetModifiedFlag(TRUE);      // a half-loaded document is not the file
    try {
        CWaitCursor wait;
        CArchive ar(pFile, CArchive::load);
        ar.m_pDocument = this;
        Serialize(ar);
        ar.Close();
        ReleaseFile(pFile, FALSE);
    } catch (CException* e) {
        ReleaseFile(pFile, TRUE);
        DeleteContents();
        ReportSaveLoadException(lpszPathName, e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCSTR lpszPathName)
{
    // A read-only file is not replaced, whatever the file system would allow.
    const DWORD dwAttributes = ::GetFileAttributesA(lpszPathName);
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        CFileException fe(CFileException::accessDenied, ERROR_ACCESS_DENIED, lpszPathName);
        ReportSaveLoadException(lpszPathName, &fe, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    char szTemp[MAX_PATH];
    if (::GetTempFileNameA(FolderOf(lpszPathName), "sav", 0, szTemp) == 0) {
        CFileException fe(CFileException::OsErrorToException(::GetLastError()), ::GetLastError(), lpszPathName);
        ReportSaveLoadException(lpszPathName, &fe, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    CFileException fe;
    CFile* pFile = GetFile(szTemp, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &fe);
    if (pFile == nullptr) {
        ::DeleteFileA(szTemp);
        ReportSaveLoadException(lpszPathName, &fe, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    try {
        CWaitCursor wait;
        CArchive ar(pFile, CArchive::store);
        ar.m_pDocument = this;
        Serialize(ar);
        ar.Close();
        pFile->Flush();
        ReleaseFile(pFile, FALSE);
    } catch (CException* e) {
        ReleaseFile(pFile, TRUE);
        ::DeleteFileA(szTemp);
        ReportSaveLoadException(lpszPathName, e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        e->Delete();
        return FALSE;
    }
    // Only a complete file replaces the old one.
    if (!::MoveFileExA(szTemp, lpszPathName, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD dwError = ::GetLastError();
        ::DeleteFileA(szTemp);
        CFileException moveError(CFileException::OsErrorToException(static_cast<LONG>(dwError)),
                                 static_cast<LONG>(dwError), lpszPathName);
        ReportSaveLoadException(lpszPathName, &moveError, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

namespace {

// The message that says best what went wrong, by the kind and cause of the failure.
UINT FailurePrompt(CException* e, BOOL bSaving, UINT nIDPDefault)
{
    if (e == nullptr)
        return nIDPDefault;
    if (e->IsKindOf(RUNTIME_CLASS(CMemoryException)))
        return AFX_IDP_FAILED_MEMORY_ALLOC;
    if (e->IsKindOf(RUNTIME_CLASS(CArchiveException)))
        return bSaving ? nIDPDefault : AFX_IDP_FAILED_INVALID_FORMAT;
    if (!e->IsKindOf(RUNTIME_CLASS(CFileException)))
        return nIDPDefault;
    switch (static_cast<CFileException*>(e)->m_cause) {
    case CFileException::fileNotFound:
    case CFileException::badPath:
        return AFX_IDP_FAILED_INVALID_PATH;
    case CFileException::diskFull:
        return AFX_IDP_FAILED_DISK_FULL;
    case CFileException::accessDenied:
    case CFileException::sharingViolation:
    case CFileException::lockViolation:
        return bSaving ? AFX_IDP_FAILED_ACCESS_WRITE : AFX_IDP_FAILED_ACCESS_READ;
    case CFileException::endOfFile:
        return bSaving ? AFX_IDP_FAILED_IO_ERROR_WRITE : AFX_IDP_FAILED_INVALID_FORMAT;
    case CFileException::none:
        return nIDPDefault;
    default:
        return bSaving ? AFX_IDP_FAILED_IO_ERROR_WRITE : AFX_IDP_FAILED_IO_ERROR_READ;
    }
}

} // namespace

void CDocument::ReportSaveLoadException(LPCSTR lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault)
{
    const UINT nIDPrompt = FailurePrompt(e, bSaving, nIDPDefault);
    AfxMessageBox(AfxFormatString1(nIDPrompt, lpszPathName), MB_ICONEXCLAMATION, nIDPrompt);
}

BOOL CDocument::SaveModified()
{
    if (!IsModified())
        return TRUE;
    const CString strName = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    switch (AfxMessageBox(AfxFormatString1(AFX_IDP_ASK_TO_SAVE, strName), MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE)) {
    case IDYES:
        return DoFileSave();
    case IDNO:
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDocument::DoFileSave()
{
    return DoSave(m_strPathName.IsEmpty() ? nullptr : static_cast<LPCSTR>(m_strPathName));
}

BOOL CDocument::DoSave(LPCSTR lpszPathName, BOOL bReplace)
{
    CString strNewName = lpszPathName;
    if (strNewName.IsEmpty()) {
        strNewName = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
        CWinApp* pApp = AfxGetApp();
        if (pApp == nullptr
            || !pApp->DoPromptFileName(strNewName, 0, OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT,
                                       FALSE))
            return FALSE;
    }
    if (!OnSaveDocument(strNewName))
        return FALSE;
    if (bReplace)
        SetPathName(strNewName);
    return TRUE;
}

void CDocument::OnFileSave()
{
    DoFileSave();
}

void CDocument::OnFileSaveAs()
{
    DoSave(nullptr);
}
