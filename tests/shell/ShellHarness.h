// The program started inside the test process: the real application class
// with its message boxes recorded instead of shown, its windows made under
// the test display, and helpers that drive them with real messages.
#pragma once

#include "MainFrame.h"
#include "TestApp.h"
#include "TestDoc.h"
#include "TestView.h"

#include "TestSupport.h"

#include <functional>
#include <string>
#include <vector>

class CShellTestApp : public CTestApp
{
public:
    int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT) override
    {
        m_messages.push_back(lpszPrompt);
        // What a user does while the box is up: its loop still delivers
        // drops and commands to the windows.
        if (m_onMessage) {
            const std::function<void()> onMessage = std::move(m_onMessage);
            m_onMessage = nullptr;
            onMessage();
        }
        const UINT nButtons = nType & MB_TYPEMASK;
        return nButtons == MB_YESNOCANCEL || nButtons == MB_YESNO ? m_nAnswer : IDOK;
    }

    std::vector<std::string> m_messages;
    int m_nAnswer = IDNO;       // for the save prompt
    std::function<void()> m_onMessage;      // run once, at the next message
};

CShellTestApp& App();
CMainFrame* Frame();
CTestDoc* Doc();
CTestView* View();

// Runs the messages waiting now and the idle-time update.
void Pump();
// An empty, unmodified project, and no messages recorded.
void ResetProject();

// A real shell drop handle carrying these paths, as the shell builds it.
HDROP MakeDrop(const std::vector<std::string>& paths);
// The same with the paths as the shell keeps them, in UTF-16.
HDROP MakeDropW(const std::vector<std::wstring>& paths);

// The tree as text, one line per item in order, indented by depth:
// "  Image : C:\x.bmp [2]" with the item's image in brackets.
std::string TreeText(CTreeCtrl& tree);

// The window as it is on screen, written as a 24-bit .bmp in the work
// folder; the number of distinct colours in it, so that a blank capture is
// noticed.
size_t SaveWindowPicture(HWND hWnd, const std::string& name);

// Whether the menu command is enabled once the frame updated its popup.
bool MenuItemEnabled(UINT nID);
