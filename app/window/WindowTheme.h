#pragma once
// The installer window's colours on the screen: the brushes of the credit
// line and the log, the main window's background, and the user's contrast
// theme followed while the window is open.
#include <windows.h>

// Follows the theme as it is now, makes the brushes and colours the main
// window; the panels take their colours as they are built.
void WindowThemeStart();
// Deletes the brushes.
void WindowThemeEnd();
// A theme that came, went or changed colours: every part takes its colours
// again, the pictures are made anew from the payload, and all is repainted;
// nothing is done when the theme is as it was.
void WindowThemeFollow();
// The answers to WM_CTLCOLORSTATIC and WM_CTLCOLORLISTBOX: the credit line
// lies on the log panel's colour; the log is dark blue on white; in a
// contrast theme both take the theme's pairs. WinDefault for any other
// control.
LRESULT WindowThemeColourText(HDC context, HWND control);
LRESULT WindowThemeColourList(HDC context, HWND control);
