// AfxMessageBox: the program's message boxes, captioned with the application
// title; the application object decides how they are shown.
#pragma once

#include "AfxString.h"

#include <vector>

int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = UINT(-1));

// The string resource nIDS with %1 (and %2) replaced.
CString AfxFormatString1(UINT nIDS, LPCSTR lpsz1);
CString AfxFormatString2(UINT nIDS, LPCSTR lpsz1, LPCSTR lpsz2);

// A heading and one line per item, at most nShown of them, then
// "... and N more." for the rest: a list that still fits on the screen.
CString AfxFormatList(LPCSTR lpszHeading, const std::vector<CString>& lines, size_t nShown = 10);

// The text with each line wider than cxLine pixels (as drawn on hdc)
// broken after a path separator or a space, so that a long path wraps
// instead of widening its box off the screen. A part with no such place
// (a long file name) stays whole up to cxPart pixels and is broken between
// characters only beyond. Every character stays, in order.
CString AfxWrapText(HDC hdc, LPCSTR lpszText, int cxLine, int cxPart);
// The text wrapped for a message box: in the message font, lines to half
// the width of the screen's work area, a long name to nearly all of it.
CString AfxFitMessageText(LPCSTR lpszText);
