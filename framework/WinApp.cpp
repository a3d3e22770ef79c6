// CWinApp: start-up, the message loop, documents, the recent-file list,
// message boxes and the wait cursor.
#include "WinApp.h"
#include "AfxRes.h"
#include "CmdUI.h"
#include "DocTemplate.h"
#include "Document.h"
#include "FileDialog.h"
#include "FrameWnd.h"
#include "MessageBox.h"
#include "RecentFileList.h"

IMPLEMENT_DYNAMIC(CWinApp, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

namespace {

CWinApp* g_pApp = nullptr;

const char szRecentSection[] = "Recent File List";
const char szRecentEntry[] = "File%d";

} // namespace

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp != nullptr ? g_pApp->m_pMainWnd : nullptr;
}

CWinApp::CWinApp(LPCSTR lpszAppName)
    : m_strAppName(lpszAppName), m_hInstance(nullptr), m_pMainWnd(nullptr), m_pRecentFileList(nullptr),
      m_nWaitCursorCount(0), m_hcurWaitCursorRestore(nullptr), m_nMaxMRU(0)
{
    ASSERT(g_pApp == nullptr);      // one application object per process
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    delete m_pRecentFileList;
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return 0;
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    if (m_strProfileName.IsEmpty()) {
        // A bare name: the system keeps it in the Windows folder.
        char szModule[MAX_PATH];
        ::GetModuleFileNameA(nullptr, szModule, sizeof szModule);
        CString strModule(szModule);
        CString strName = strModule.Mid(strModule.ReverseFind('\\') + 1);
        const int nDot = strName.ReverseFind('.');
        if (nDot >= 0)
            strName = strName.Left(nDot);
        m_strProfileName = strName + ".INI";
    }
    m_nMaxMRU = nMaxMRU;
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (nMaxMRU > 0) {
        m_pRecentFileList = new CRecentFileList(ID_FILE_MRU_FILE1, szRecentSection, szRecentEntry,
                                                static_cast<int>(nMaxMRU));
        m_pRecentFileList->ReadList(m_strProfileName);
    }
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->WriteList(m_strProfileName);
}

CString CWinApp::GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault)
{
    char szValue[4096];
    ::GetPrivateProfileStringA(lpszSection, lpszEntry, lpszDefault != nullptr ? lpszDefault : "",
                               szValue, sizeof szValue, m_strProfileName);
    return CString(szValue);
}

BOOL CWinApp::WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue)
{
    return ::WritePrivateProfileStringA(lpszSection, lpszEntry, lpszValue, m_strProfileName);
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate)
{
    ASSERT(m_pDocTemplate == nullptr);      // a single-document program has one template
    m_pDocTemplate.reset(pTemplate);
}

void CWinApp::AddToRecentFileList(LPCSTR lpszPathName)
{
    if (m_pRecentFileList != nullptr)
        m_pRecentFileList->Add(lpszPathName);
}

CDocument* CWinApp::OpenDocumentFile(LPCSTR lpszFileName)
{
    if (m_pDocTemplate == nullptr)
        return nullptr;
    return m_pDocTemplate->OpenDocumentFile(lpszFileName);
}

BOOL CWinApp::SaveAllModified()
{
    if (m_pDocTemplate == nullptr)
        return TRUE;
    CDocument* pDocument = m_pDocTemplate->GetDocument();
    return pDocument == nullptr || pDocument->SaveModified();
}

void CWinApp::OnFileNew()
{
    if (m_pDocTemplate != nullptr)
        m_pDocTemplate->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    CString strFileName;
    if (!DoPromptFileName(strFileName, 0, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE))
        return;
    OpenDocumentFile(strFileName);
}

BOOL CWinApp::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog)
{
    CString strFilter, strDefExt;
    if (m_pDocTemplate != nullptr) {
        CString strTypeName, strExt;
        m_pDocTemplate->GetDocString(strTypeName, CDocTemplate::filterName);
        m_pDocTemplate->GetDocString(strExt, CDocTemplate::filterExt);
        if (!strExt.IsEmpty()) {
            strDefExt = strExt.Mid(1);                  // without the dot
            strFilter = strTypeName + " (*" + strExt + ")|*" + strExt + "|";
        }
    }
    strFilter += "All Files (*.*)|*.*||";
    CFileDialog dlg(bOpenFileDialog, strDefExt.IsEmpty() ? nullptr : static_cast<LPCSTR>(strDefExt),
                    fileName.IsEmpty() ? nullptr : static_cast<LPCSTR>(fileName), lFlags, strFilter,
                    nullptr);
    CString strTitle;
    if (nIDSTitle != 0 && strTitle.LoadString(nIDSTitle))
        dlg.m_ofn.lpstrTitle = strTitle;
    if (dlg.DoModal() != IDOK)
        return FALSE;
    fileName = dlg.GetPathName();
    return TRUE;
}

BOOL CWinApp::OnOpenRecentFile(UINT nID)
{
    ASSERT(m_pRecentFileList != nullptr);
    if (m_pRecentFileList == nullptr)
        return FALSE;
    const int nIndex = static_cast<int>(nID - ID_FILE_MRU_FILE1);
    if (nIndex < 0 || nIndex >= m_pRecentFileList->GetCount())
        return FALSE;
    const CString strPath = (*m_pRecentFileList)[nIndex];   // opening may reorder the list
    if (OpenDocumentFile(strPath) == nullptr && ::GetFileAttributesA(strPath) == INVALID_FILE_ATTRIBUTES) {
        // The file is gone: the entry would fail the same way every time.
        // One that failed for another reason (a cancelled save prompt, a
        // damaged file that can still be mended) stays.
        for (int i = 0; i < m_pRecentFileList->GetCount(); ++i)
            if ((*m_pRecentFileList)[i].CompareNoCase(strPath) == 0) {
                m_pRecentFileList->Remove(i);
                break;
            }
    }
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI)
{
    if (m_pRecentFileList == nullptr) {
        pCmdUI->Enable(FALSE);
        return;
    }
    if (pCmdUI->m_hMenu != nullptr)
        m_pRecentFileList->UpdateMenu(pCmdUI);
    else
        pCmdUI->Enable(m_pRecentFileList->GetCount() > 0);
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd != nullptr)
        m_pMainWnd->SendMessage(WM_CLOSE);
}

int CWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT)
{
    HWND hOwner = m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr;
    if (hOwner != nullptr) {
        // A box owned by a disabled window (a modal dialog is up) would sit behind it.
        HWND hActive = ::GetActiveWindow();
        if (hActive != nullptr && ::IsWindowEnabled(hActive))
            hOwner = hActive;
    }
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            nType |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            nType |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    // A long path would make the box wider than the screen: wrapped.
    return ::MessageBoxA(hOwner, AfxFitMessageText(lpszPrompt), m_strAppName, nType);
}

void CWinApp::DoWaitCursor(int nCode)
{
    m_nWaitCursorCount += nCode;
    if (m_nWaitCursorCount < 0)
        m_nWaitCursorCount = 0;
    if (m_nWaitCursorCount > 0) {
        HCURSOR hcurPrevious = ::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        if (nCode > 0 && m_nWaitCursorCount == 1)
            m_hcurWaitCursorRestore = hcurPrevious;
    } else {
        ::SetCursor(m_hcurWaitCursorRestore);
    }
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    // The window under the message first, then each of its parents: the main
    // frame translates its accelerators.
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
        if (pWnd != nullptr && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
    }
    return FALSE;
}

BOOL CWinApp::OnIdle(LONG lCount)
{
    if (lCount == 0 && m_pMainWnd != nullptr && m_pMainWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
        static_cast<CFrameWnd*>(m_pMainWnd)->OnIdleUpdateCmdUI();
    return FALSE;
}

BOOL CWinApp::PumpWaitingMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return FALSE;
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    OnIdle(0);
    return TRUE;
}

int CWinApp::Run()
{
    MSG msg;
    BOOL bIdle = TRUE;
    for (;;) {
        // Idle work (command states, caption) once whenever the queue runs dry.
        if (bIdle && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            OnIdle(0);
            bIdle = FALSE;
        }
        const BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
        if (bGot == 0 || bGot == -1)
            break;
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        // Mouse moves and timers alone do not change any command's state.
        if (msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE && msg.message != WM_TIMER
            && msg.message != WM_PAINT)
            bIdle = TRUE;
    }
    const int nExit = ExitInstance();
    return nExit != 0 ? nExit : static_cast<int>(msg.wParam);
}
