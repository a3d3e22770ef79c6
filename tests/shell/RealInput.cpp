// Real input through SendInput, with the program's messages run after each
// event as a user's pace would let them run.
#include "RealInput.h"

#include "ShellHarness.h"

#include <commctrl.h>

#include <vector>

namespace realinput {

namespace {

typedef std::vector<INPUT> Events;

DWORD WINAPI SendEvents(LPVOID pParameter)
{
    const Events& events = *static_cast<const Events*>(pParameter);
    for (INPUT input : events) {
        ::SendInput(1, &input, sizeof input);
        ::Sleep(40);        // a hand's pace: each event is answered before the next
    }
    return 0;
}

// Sends the events from a thread of their own while this one runs the
// program's messages, as a user's hand and the program go side by side:
// the program may sit in a loop of its own meanwhile (a menu, a tree's
// drag detection) and still gets every event.
void Perform(const Events& events)
{
    HANDLE hThread = ::CreateThread(nullptr, 0, SendEvents, const_cast<Events*>(&events), 0, nullptr);
    ASSERT(hThread != nullptr);
    const DWORD dwStart = ::GetTickCount();
    while (::MsgWaitForMultipleObjects(1, &hThread, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0
           && ::GetTickCount() - dwStart < 20000)
        Pump();
    ::CloseHandle(hThread);
    for (int i = 0; i < 5; ++i) {
        ::Sleep(20);
        Pump();
    }
}

INPUT Mouse(DWORD dwFlags, LONG dx = 0, LONG dy = 0)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = dwFlags;
    return input;
}

// A move to a point of the window's client area: absolute positions run
// from 0 to 65535 across the screen.
INPUT MoveEvent(HWND hWnd, POINT ptClient)
{
    POINT pt = ptClient;
    ::ClientToScreen(hWnd, &pt);
    const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    return Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ::MulDiv(pt.x, 65535, cx - 1), ::MulDiv(pt.y, 65535, cy - 1));
}

bool IsExtended(WORD vk)
{
    switch (vk) {
    case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT: case VK_INSERT: case VK_DELETE:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
        return true;
    default:
        return false;
    }
}

INPUT KeyEvent(WORD vk, bool bDown)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, 0));
    input.ki.dwFlags = (bDown ? 0 : KEYEVENTF_KEYUP) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

} // namespace

void Activate(HWND hWnd)
{
    ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(hWnd);
    ::SetActiveWindow(hWnd);
    Pump();
}

void Click(HWND hWnd, POINT ptClient)
{
    Perform({MoveEvent(hWnd, ptClient), Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP)});
}

void Drag(HWND hWnd, POINT ptFrom, POINT ptTo)
{
    Events events = {MoveEvent(hWnd, ptFrom), Mouse(MOUSEEVENTF_LEFTDOWN)};
    const int nSteps = 6;
    for (int i = 1; i <= nSteps; ++i)
        events.push_back(MoveEvent(hWnd, POINT{ptFrom.x + (ptTo.x - ptFrom.x) * i / nSteps,
                                               ptFrom.y + (ptTo.y - ptFrom.y) * i / nSteps}));
    events.push_back(Mouse(MOUSEEVENTF_LEFTUP));
    Perform(events);
}

void Keys(std::initializer_list<std::initializer_list<WORD>> strokes)
{
    Events events;
    for (const auto& keys : strokes) {
        for (WORD vk : keys)
            events.push_back(KeyEvent(vk, true));
        for (auto it = keys.end(); it != keys.begin();)
            events.push_back(KeyEvent(*--it, false));
    }
    Perform(events);
}

POINT ItemPoint(HWND hTree, void* hItem)
{
    RECT rc = {};
    *reinterpret_cast<HTREEITEM*>(&rc) = static_cast<HTREEITEM>(hItem);
    ::SendMessageA(hTree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rc));
    return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

} // namespace realinput
