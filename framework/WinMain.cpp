// AfxWinInit and AfxWinMain: the start-up of a program with windows, kept
// apart from CWinApp so that a program without windows (the console twin)
// does not load the common controls it never uses.
#include "WinApp.h"
#include "AfxRes.h"
#include "Exception.h"
#include "FrameWnd.h"

#include <commctrl.h>

BOOL AfxWinInit(HINSTANCE hInstance, LPSTR lpCmdLine)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return FALSE;
    pApp->m_hInstance = hInstance;
    pApp->m_strCmdLine = lpCmdLine;
    if (pApp->m_strAppName.IsEmpty() && !pApp->m_strAppName.LoadString(AFX_IDS_APP_TITLE))
        pApp->m_strAppName = "Application";
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&icc);
    return TRUE;
}

int AfxWinMain(HINSTANCE hInstance, LPSTR lpCmdLine)
{
    if (!AfxWinInit(hInstance, lpCmdLine))
        return -1;
    CWinApp* pApp = AfxGetApp();
    int nResult;
    try {
        if (!pApp->InitInstance()) {
            if (pApp->m_pMainWnd != nullptr)
                pApp->m_pMainWnd->DestroyWindow();
            return pApp->ExitInstance();
        }
        nResult = pApp->Run();
    } catch (CException* e) {
        char szMessage[256];
        if (!e->GetErrorMessage(szMessage, sizeof szMessage))
            lstrcpynA(szMessage, "The program cannot go on.", sizeof szMessage);
        e->Delete();
        pApp->DoMessageBox(szMessage, MB_OK | MB_ICONSTOP, 0);
        nResult = -1;
    }
    return nResult;
}
