// Real mouse and keyboard input: events put into the system's input queue
// (SendInput), so that they reach the program as a user's do, hit-testing,
// focus, capture, accelerators, menus and drag detection included. The
// program's windows are made topmost and active first, so that the display
// (Xvfb under the tests) gives them the events.
#pragma once

#include <windows.h>

#include <initializer_list>

namespace realinput {

// Brings the window to the top and makes it the active one.
void Activate(HWND hWnd);

// Events are sent from a thread of their own, at a hand's pace, while
// the program runs its messages; each call returns once they are answered.

// Presses and releases the left button at a point of the window's client area.
void Click(HWND hWnd, POINT ptClient);
// Presses the left button at ptFrom, moves to ptTo in steps, releases it there.
void Drag(HWND hWnd, POINT ptFrom, POINT ptTo);

// Keys stroke after stroke; in each, the keys are pressed in order and
// released in reverse: {{VK_MENU, VK_UP}} is Alt+Up, {{VK_MENU, 'E'}, {'S'}}
// is Alt+E then S.
void Keys(std::initializer_list<std::initializer_list<WORD>> strokes);

// The point at the middle of a tree item's text, in the tree's client area.
POINT ItemPoint(HWND hTree, void* hItem);

} // namespace realinput
