// cConsoleApp: the application object of the command-line program. The
// document and the export report through AfxMessageBox; here every such
// message goes to the error stream, naming the file it is about.
#pragma once

#include "WinApp.h"

class cConsoleApp : public CWinApp
{
public:
// Construction
    cConsoleApp();

// Attributes
    // The file the next messages are about (the project, or an output).
    void SetCurrentFile(LPCSTR pszFileName) { m_strCurrentFile = pszFileName; }
    int GetMessageCount() const { return m_nMessages; }

// Overridables
    // Makes the project's classes known before any project is read.
    BOOL InitInstance() override;
    int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt) override;
    // There is no cursor to change.
    void DoWaitCursor(int) override {}

// Implementation
private:
    CString m_strCurrentFile;
    int m_nMessages;
};
