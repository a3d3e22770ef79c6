// Dialogs driven while the program runs them: a thread timer plays a
// script of steps on the dialog with a given caption, one step a tick, and
// the bitmaps the export commands are tried on.
#pragma once

#include "ShellHarness.h"

#include "BmpBuilder.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace dialogscript {

typedef std::function<void(HWND)> Step;

// The script the timer plays on the dialog with the given caption: one step
// per tick; when the steps run out with the dialog still up, it is
// cancelled, so that a test that goes wrong cannot hang.
struct Script
{
    const char* caption = "";
    std::vector<Step> steps;
    size_t next = 0;
    int idleTicks = 0;
};
inline Script g_script;

inline VOID CALLBACK PlayStep(HWND, UINT, UINT_PTR, DWORD)
{
    HWND hDlg = ::FindWindowA("#32770", g_script.caption);
    if (hDlg == nullptr) {
        ++g_script.idleTicks;
        return;
    }
    if (g_script.next < g_script.steps.size())
        g_script.steps[g_script.next++](hDlg);
    else
        ::PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
}

// Sends the command while the timer plays the steps on its dialog.
inline void RunCommand(UINT nID, const char* caption, std::vector<Step> steps)
{
    g_script = Script();
    g_script.caption = caption;
    g_script.steps = std::move(steps);
    const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 50, PlayStep);
    Frame()->SendMessage(WM_COMMAND, nID);
    ::KillTimer(nullptr, nTimer);
    Pump();
}

inline std::string Text(HWND hDlg, int nID)
{
    char text[MAX_PATH] = "";
    ::GetDlgItemTextA(hDlg, nID, text, sizeof text);
    return text;
}

inline Step SetText(int nID, const std::string& text)
{
    return [=](HWND hDlg) { ::SetDlgItemTextA(hDlg, nID, text.c_str()); };
}

inline Step Click(int nID)
{
    return [=](HWND hDlg) { ::SendMessageA(::GetDlgItem(hDlg, nID), BM_CLICK, 0, 0); };
}

inline Step Press(int nID)
{
    return [=](HWND hDlg) { ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED), 0); };
}

// A bitmap of the builder's picture in the work folder; its path.
inline std::string WriteBitmap(const std::string& name, LONG width, LONG height, WORD bitCount)
{
    bmp::Layout layout;
    layout.width = width;
    layout.height = height;
    layout.bitCount = bitCount;
    const bmp::Bytes file = bmp::File(layout);
    const std::string path = testsupport::WorkPath(name);
    testsupport::WriteFileBytes(path, file.data(), file.size());
    return path;
}

} // namespace dialogscript
