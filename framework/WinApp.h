// CWinApp: the one application object: start-up, the message loop with
// idle-time updating, the documents' template, the recent-file list in the
// program's private profile, message boxes and the wait cursor.
#pragma once

#include "AfxString.h"
#include "CmdTarget.h"

#include <memory>

class CDocTemplate;
class CDocument;
class CRecentFileList;
class CWnd;

class CWinApp : public CCmdTarget
{
    DECLARE_DYNAMIC(CWinApp)
public:
// Construction
    // The title comes from string AFX_IDS_APP_TITLE when no name is given.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

// Attributes
    CString m_strAppName;           // caption of every message box
    HINSTANCE m_hInstance;
    CString m_strCmdLine;           // the command-line tail, as the system gave it
    CWnd* m_pMainWnd;
    CString m_strProfileName;       // the private profile; "<program>.INI" unless set before loading
    CRecentFileList* m_pRecentFileList;

// Operations
    // Loads the recent-file list (at most nMaxMRU entries) from the profile.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    void AddDocTemplate(CDocTemplate* pTemplate);       // the application owns it
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate.get(); }
    virtual CDocument* OpenDocumentFile(LPCSTR lpszFileName);
    virtual void AddToRecentFileList(LPCSTR lpszPathName);
    // Asks to save every modified document; FALSE when the user cancelled.
    BOOL SaveAllModified();
    CString GetProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszDefault = nullptr);
    BOOL WriteProfileString(LPCSTR lpszSection, LPCSTR lpszEntry, LPCSTR lpszValue);
    // Runs a file dialog for Open or Save As with the template's filter.
    BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog);

// Overridables
    virtual BOOL InitInstance();
    virtual int Run();
    virtual BOOL OnIdle(LONG lCount);
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt);
    // nCode 1 shows the wait cursor, -1 takes one back, 0 shows it again.
    virtual void DoWaitCursor(int nCode);

// Command handlers the program maps in its own message map
    void OnFileNew();
    void OnFileOpen();

// Implementation
    BOOL OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);
    void OnAppExit();
    // Runs the messages waiting now, with idle processing; for tests and
    // for loops that must keep windows answering. FALSE once WM_QUIT came.
    BOOL PumpWaitingMessages();

protected:
    std::unique_ptr<CDocTemplate> m_pDocTemplate;
    int m_nWaitCursorCount;
    HCURSOR m_hcurWaitCursorRestore;
    UINT m_nMaxMRU;

    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// What every start-up does before InitInstance: the application object learns
// its instance, command line and title, and the common controls are ready.
BOOL AfxWinInit(HINSTANCE hInstance, LPSTR lpCmdLine);

// The program's entry: AfxWinInit, then the application object's start-up
// and message loop.
int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine);
