// CTestApp: the application object: start-up and the About command.
#pragma once

#include "WinApp.h"

class CTestApp : public CWinApp
{
public:
// Construction
    CTestApp();

// Operations
    // The command-line tail as one project path: a pair of quotation marks
    // around the whole of it (a dropped name with spaces) is removed.
    static CString CommandLinePath(LPCSTR lpszCmdLine);

// Overridables
    BOOL InitInstance() override;

// Command handlers
    void OnAppAbout();

    DECLARE_MESSAGE_MAP()
};
