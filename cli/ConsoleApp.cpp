// cConsoleApp: messages to stderr, one line each.
#include "ConsoleApp.h"
#include "ProjectClasses.h"

#include <cstdio>
#include <cstring>

cConsoleApp::cConsoleApp()
    : CWinApp("reelwright-cli"), m_nMessages(0)
{
}

BOOL cConsoleApp::InitInstance()
{
    RegisterProjectClasses();
    return TRUE;
}

int cConsoleApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT)
{
    ++m_nMessages;
    // The framework's reports put the cause after a blank line; one line reads better here.
    CString strText(lpszPrompt);
    for (int i = 0; i < strText.GetLength(); ++i)
        if (strText[i] == '\n' || strText[i] == '\r')
            strText.SetAt(i, ' ');
    if (m_strCurrentFile.IsEmpty())
        std::fprintf(stderr, "%s\n", static_cast<LPCSTR>(strText));
    else
        std::fprintf(stderr, "%s: %s\n", static_cast<LPCSTR>(m_strCurrentFile), static_cast<LPCSTR>(strText));
    std::fflush(stderr);
    // No one answers a question on this path: the cautious answer.
    const UINT nButtons = nType & MB_TYPEMASK;
    return nButtons == MB_YESNOCANCEL ? IDCANCEL : nButtons == MB_YESNO ? IDNO : IDOK;
}
