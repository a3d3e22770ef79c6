// CTestApp: start-up, the document template and the About box.
#include "TestApp.h"
#include "AboutDlg.h"
#include "AfxRes.h"
#include "DocTemplate.h"
#include "MainFrame.h"
#include "ProjectClasses.h"
#include "TestDoc.h"
#include "TestView.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
END_MESSAGE_MAP()

CTestApp::CTestApp()
{
}

CString CTestApp::CommandLinePath(LPCSTR lpszCmdLine)
{
    CString strPath(lpszCmdLine);
    const int nLength = strPath.GetLength();
    if (nLength >= 2 && strPath[0] == '"' && strPath[nLength - 1] == '"')
        strPath = strPath.Mid(1, nLength - 2);
    return strPath;
}

BOOL CTestApp::InitInstance()
{
    RegisterProjectClasses();       // before the command line's project is read
    LoadStdProfileSettings(6);
    AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CMainFrame),
                                          RUNTIME_CLASS(CTestView)));
    OnFileNew();
    const CString strPath = CommandLinePath(m_strCmdLine);
    if (!strPath.IsEmpty())
        OpenDocumentFile(strPath);      // a failure has been reported; the empty project stays
    return TRUE;
}

void CTestApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}
